// Row hand-overs per second from the roll worker to the draw screen's real tiles over its
// background, with 100,000 participants: one row of 11 tile captions, and all ten rows.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise (for instance xcb under Xvfb).
// Prints the median of several runs per figure, and how often a tile was really repainted
// meanwhile (the hand-overs are worth little if the screen does not show them).

#include "TestDb.h"
#include "HandoverBench.h"

#include "data/AppPaths.h"
#include "data/Unit_DBLink.h"
#include "draw/AlertWindow.h"
#include "draw/DigitTile.h"
#include "draw/SoundPlayer.h"
#include "draw/frmCJ.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <sqlite3.h>

namespace {

constexpr int Participants = 100000;
constexpr int Handovers = 20000;
constexpr int Runs = 7;

/// Counts the paint events of one tile.
class PaintCounter final : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void print(const QString &figure, double value, const QString &unit)
{
    QTextStream(stdout) << figure.leftJustified(66, QLatin1Char('.')) << ' ' << QString::number(value, 'f', 0) << ' '
                        << unit << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform cannot fade the notification window in and says so at each step.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, text);
        });

    TestDb db;
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/cj.bmp"), db.binDir() + QStringLiteral("/cj.bmp"));
    db.addManyParticipants(Participants);
    db.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("10"), QStringLiteral("10"), QString(), QString()}});

    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    TfmCJ screen;
    screen.show();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    screen.AdvAlertWindow1->hideAlert();

    QTextStream(stdout) << "Platform " << QGuiApplication::platformName() << ", screen " << screen.width() << "x"
                        << screen.height() << ", " << Participants << " participants, median of " << Runs
                        << " runs of " << Handovers << " rows" << Qt::endl;
    for (int rows : {1, TfmCJ::MaxRoundRows}) {
        for (int i = 0; i < rows * TfmCJ::TilesPerRow; ++i)
            screen.DigitTiles.at(i)->setShown(true);
        // The last tile of the first row: its digit changes with almost every number.
        DigitTile *watched = screen.DigitTiles.at(TfmCJ::TilesPerRow - 1);
        PaintCounter counter;
        watched->installEventFilter(&counter);
        QElapsedTimer clock;
        clock.start();
        std::vector<double> rates = bench::handoverRates(screen, rows, Handovers, Runs);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        watched->removeEventFilter(&counter);
        const QString what = rows == 1 ? QStringLiteral("one row of 11 tiles") : QStringLiteral("ten rows of 11 tiles");
        print(QStringLiteral("Row hand-overs per second to the draw screen, %1").arg(what), bench::median(rates),
              QStringLiteral("/s"));
        print(QStringLiteral("  repaints per second of the row's last tile meanwhile"), counter.paints / seconds,
              QStringLiteral("/s"));
    }
    return 0;
}
