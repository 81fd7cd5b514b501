// Row hand-overs per second from the roll worker to the draw screen's real tiles over its
// background, with 100,000 participants: rounds of 1, 10 and 50 rows, each on a screen laid out
// for that round, on a 1920 x 1080 and a 3840 x 2160 screen.
// Runs offscreen with those two screens unless QT_QPA_PLATFORM says otherwise; under another
// platform (for instance xcb under Xvfb -screen 0 3840x2160x24) it measures on each screen that
// platform has.
// Prints the median of several runs per figure, and how often a tile was really repainted
// meanwhile (the hand-overs are worth little if the screen does not show them).

#include "FakeSoundPlayer.h"
#include "HandoverBench.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/data/Settings.h"
#include "core/draw/PhoneMask.h"
#include "gui/draw/DrawScreen.h"
#include "gui/ui/DigitTile.h"
#include "gui/ui/NotificationWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

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
    QTextStream(stdout) << figure.leftJustified(72, QLatin1Char('.')) << ' ' << QString::number(value, 'f', 0) << ' '
                        << unit << Qt::endl;
}

/// Hand-overs to the real tiles of a draw screen on @p screenName, laid out for rounds of
/// @p rows rows (the prize plan is set to that).
void measure(TestDb &db, Database &connection, const QString &screenName, int rows)
{
    db.exec(QStringLiteral("update Tab_Set set quantity = '%1', rs = '%1'").arg(rows));
    Settings settings = Settings::load(db.settingsFile());
    settings.drawScreen = screenName;
    settings.save(db.settingsFile());

    DrawScreen screen(connection);
    screen.show();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    screen.findChild<NotificationWindow *>(QStringLiteral("notification"))->dismiss();
    QList<DigitTile *> tiles = screen.findChildren<DigitTile *>();
    std::sort(tiles.begin(), tiles.end(),
              [](const DigitTile *a, const DigitTile *b) { return a->index() < b->index(); });
    for (int i = 0; i < tiles.size(); ++i)
        tiles.at(i)->setShown(i < rows * TilesPerRow);
    // The last tile of the first row: its digit changes with almost every number.
    DigitTile *watched = tiles.at(TilesPerRow - 1);
    PaintCounter counter;
    watched->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    std::vector<double> rates = bench::handoverRates(db.dbFile(), screen, rows, Handovers, Runs);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    watched->removeEventFilter(&counter);
    print(QStringLiteral("%1 x %2, %3 rows of %4 px tiles: row hand-overs per second")
              .arg(screen.width())
              .arg(screen.height())
              .arg(rows)
              .arg(watched->height()),
          bench::median(rates), QStringLiteral("/s"));
    print(QStringLiteral("  repaints per second of the first row's last tile meanwhile"), counter.paints / seconds,
          QStringLiteral("/s"));
}

/// An offscreen platform with a 1920 x 1080 screen and a 3840 x 2160 one beside it.
void useOffscreenScreens(const QString &configFile)
{
    QFile config(configFile);
    if (!config.open(QIODevice::WriteOnly))
        qFatal("Cannot write %s", qPrintable(configFile));
    config.write(R"({"screens": [
        {"name": "FHD", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "UHD", "x": 1920, "y": 0, "width": 3840, "height": 2160, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configFile));
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir platformDir;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        useOffscreenScreens(platformDir.filePath(QStringLiteral("screens.json")));
    QApplication app(argc, argv);
    // The offscreen platform cannot fade the notification window in and says so at each step.
    static const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, text);
        });

    TestDb db;
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/cj.bmp"),
                db.binDir() + QStringLiteral("/cj.bmp"));
    db.addManyParticipants(Participants);
    db.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});

    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    Database connection(db.dbFile());
    QTextStream(stdout) << "Platform " << QGuiApplication::platformName() << ", " << Participants
                        << " participants, median of " << Runs << " runs of " << Handovers << " rows" << Qt::endl;
    for (const QScreen *screen : QGuiApplication::screens()) {
        for (int rows : {1, 10, DrawScreen::MaxRoundRows})
            measure(db, connection, screen->name(), rows);
    }
    return 0;
}
