// Start-up to the main window shown, with 100,000 participants and 50 prize levels.
// The parent times a fresh process of itself (library loading included) from its start to the
// window being shown, several times, and prints the medians of time and peak resident memory.
#include "TestDb.h"
#include "core/data/AppPaths.h"
#include "core/data/Database.h"
#include "gui/app/Application.h"
#include "gui/app/MainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int Participants = 100000;
constexpr int Prizes = 50;
constexpr int Runs = 7;

QString peakResidentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("0");
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed().split(' ').first());
    }
    return QStringLiteral("0");
}

int child(int argc, char **argv, const QString &binDir)
{
    Application app(argc, argv);
    AppPaths::setExeDirForTesting(binDir);
    Database db(AppPaths::databaseFile());
    MainWindow window(db);
    window.show();
    QTimer::singleShot(0, &app, [&] {
        QTextStream(stdout) << "shown " << peakResidentKb() << Qt::endl;
        app.quit();
    });
    return app.exec();
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    TestDb db;
    const QString binDir = db.binDir();
    db.addManyParticipants(Participants);
    QList<QStringList> prizes;
    for (int i = 1; i <= Prizes; ++i)
        prizes.append({QStringLiteral("%1等奖").arg(i), QStringLiteral("5"), QStringLiteral("1"),
                       QStringLiteral("奖品"), QString()});
    db.addPrizes(prizes);

    QList<double> seconds, megabytes;
    for (int run = 0; run < Runs; ++run) {
        // Each run starts from the same database: the exit purges change nothing here.
        QProcess p;
        QElapsedTimer timer;
        timer.start();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), binDir});
        p.waitForReadyRead(60000);
        const double elapsed = timer.nsecsElapsed() / 1e9;
        const QByteArray line = p.readLine().trimmed();
        p.waitForFinished(60000);
        if (!line.startsWith("shown ")) {
            QTextStream(stderr) << "child failed: " << line << p.readAllStandardError() << Qt::endl;
            return 1;
        }
        seconds << elapsed;
        megabytes << line.mid(6).toDouble() / 1024.0;
    }
    QTextStream out(stdout);
    out << "startup to main window shown (100000 participants, 50 prizes): median "
        << QString::number(median(seconds), 'f', 3) << " s over " << Runs << " runs (goal <= 0.5 s)\n";
    out << "peak resident memory at that point: median " << QString::number(median(megabytes), 'f', 1)
        << " MB (goal <= 150 MB)\n";
    return 0;
}
