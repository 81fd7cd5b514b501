// Creates the program's database with its empty tables when the file is missing. An
// existing file is brought up to the current schema and otherwise left as it is.
#include "core/base/Error.h"
#include "core/data/Database.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: raffle_initdb <path of CJ.mdb>\n";
        return 2;
    }
    try {
        const bool existed = QFileInfo::exists(args.at(1));
        Database db(args.at(1), Database::OpenMode::CreateIfMissing);
        if (!existed)
            QTextStream(stdout) << "created " << args.at(1) << "\n";
    } catch (const Error &e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
