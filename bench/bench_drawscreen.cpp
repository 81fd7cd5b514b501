// Row hand-overs per second from the roll worker to the draw screen's real tiles over its
// background, with 100,000 participants: rounds of 1, 10 and 50 rows, on the platform's screen
// and on a 3840 x 2160 one.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise (for instance xcb under Xvfb).
// Prints the median of several runs per figure, and how often a tile was really repainted
// meanwhile (the hand-overs are worth little if the screen does not show them).

#include "FakeSoundPlayer.h"
#include "HandoverBench.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/draw/PhoneMask.h"
#include "gui/draw/DrawScreen.h"
#include "gui/ui/DigitTile.h"
#include "gui/ui/NotificationWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
    QTextStream(stdout) << figure.leftJustified(66, QLatin1Char('.')) << ' ' << QString::number(value, 'f', 0) << ' '
                        << unit << Qt::endl;
}

/// Hand-overs to the real tiles of a draw screen of the given size, for rounds of 1, 10 and 50
/// rows (the screen laid out for each).
void measure(const QString &databaseFile, Database &connection, const QSize &size)
{
    DrawScreen screen(connection);
    if (size.isValid())
        screen.setGeometry(QRect(QPoint(0, 0), size));
    screen.show();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    screen.findChild<NotificationWindow *>(QStringLiteral("notification"))->dismiss();
    QList<DigitTile *> tiles = screen.findChildren<DigitTile *>();
    std::sort(tiles.begin(), tiles.end(),
              [](const DigitTile *a, const DigitTile *b) { return a->index() < b->index(); });

    QTextStream(stdout) << "Platform " << QGuiApplication::platformName() << ", screen " << screen.width() << "x"
                        << screen.height() << ", tiles " << tiles.first()->height() << " px, " << Participants
                        << " participants, median of " << Runs << " runs of " << Handovers << " rows" << Qt::endl;
    for (int rows : {1, 10, DrawScreen::MaxRoundRows}) {
        for (int i = 0; i < tiles.size(); ++i)
            tiles.at(i)->setShown(i < rows * TilesPerRow);
        // The last tile of the first row: its digit changes with almost every number.
        DigitTile *watched = tiles.at(TilesPerRow - 1);
        PaintCounter counter;
        watched->installEventFilter(&counter);
        QElapsedTimer clock;
        clock.start();
        std::vector<double> rates = bench::handoverRates(databaseFile, screen, rows, Handovers, Runs);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        watched->removeEventFilter(&counter);
        print(QStringLiteral("Row hand-overs per second to the draw screen, %1 rows of 11 tiles").arg(rows),
              bench::median(rates), QStringLiteral("/s"));
        print(QStringLiteral("  repaints per second of the row's last tile meanwhile"), counter.paints / seconds,
              QStringLiteral("/s"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
    // The largest round there is: the screen has tiles for 50 rows.
    db.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("50"), QStringLiteral("50"), QString(), QString()}});

    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    Database connection(db.dbFile());
    // The screen the platform has, then a 3840 x 2160 one (the window made that size).
    measure(db.dbFile(), connection, QSize());
    measure(db.dbFile(), connection, QSize(3840, 2160));
    return 0;
}
