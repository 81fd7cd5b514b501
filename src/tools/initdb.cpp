// Creates the program's database with its two empty tables when the file is missing.
// An existing file is left exactly as it is.
#include "data/CjError.h"
#include "data/Unit_DBLink.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: cj_initdb <path of CJ.mdb>\n";
        return 2;
    }
    try {
        if (TDBLink::createIfMissing(args.at(1)))
            QTextStream(stdout) << "created " << args.at(1) << "\n";
    } catch (const CjError &e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
