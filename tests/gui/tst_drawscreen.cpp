// The draw screen driven as the operator drives it (mouse, Enter, the popup menu) from the
// main window's 开始抽奖 to its closing, with scripted dialogs and a fake sound player; then
// the results page the main window builds from it.
#include "FakeDrawSurface.h"
#include "FakeSoundPlayer.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/draw/DrawEngine.h"
#include "core/draw/PhoneMask.h"
#include "gui/app/MainWindow.h"
#include "gui/draw/DrawScreen.h"
#include "gui/draw/StretchedPicture.h"
#include "gui/ui/DigitTile.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"
#include "gui/ui/NotificationWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using Sound = FakeSoundPlayer::Request;
using Mode = SoundPlayer::Mode;

namespace {

const QString Done = QStringLiteral("抽奖完毕，谢谢！");
const QString Tip = QStringLiteral("  温馨提示:\r  你可以点击鼠标左键或Enter\r  键进行开始和结束操作!");

/// A test installation with the tile face beside the "executable", and the program's
/// connection to its database.
struct Installation
{
    TestDb db;
    std::unique_ptr<Database> connection;
    Installation()
    {
        QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/cj.bmp"),
                    db.binDir() + QStringLiteral("/cj.bmp"));
        connection = std::make_unique<Database>(db.dbFile());
    }
};

/// The screen's tiles in index order.
QList<DigitTile *> tiles(const DrawScreen &s)
{
    QList<DigitTile *> all = s.findChildren<DigitTile *>();
    std::sort(all.begin(), all.end(), [](const DigitTile *a, const DigitTile *b) { return a->index() < b->index(); });
    return all;
}

QAction *action(const QObject &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

QAction *startAction(const DrawScreen &s)
{
    return action(s, "startAction");
}

QAction *stopAction(const DrawScreen &s)
{
    return action(s, "stopAction");
}

QAction *exitAction(const DrawScreen &s)
{
    return action(s, "exitAction");
}

NotificationWindow *notification(const DrawScreen &s)
{
    return s.findChild<NotificationWindow *>(QStringLiteral("notification"));
}

StretchedPicture *background(const DrawScreen &s)
{
    return s.findChild<StretchedPicture *>(QStringLiteral("background"));
}

GridModel *resultGrid(const MainWindow &w)
{
    return w.findChild<GridView *>(QStringLiteral("resultGrid"))->gridModel();
}

GridModel *prizeGrid(const MainWindow &w)
{
    return w.findChild<GridView *>(QStringLiteral("prizeGrid"))->gridModel();
}

/// The text of tile row r, one character per tile.
QString rowText(const DrawScreen &s, int row)
{
    const QList<DigitTile *> all = tiles(s);
    QString t;
    for (int c = 0; c < TilesPerRow && row * TilesPerRow + c < all.size(); ++c)
        t += all.at(row * TilesPerRow + c)->caption();
    return t;
}

int shownTiles(const DrawScreen &s)
{
    int n = 0;
    for (const DigitTile *t : tiles(s))
        n += t->isShown() ? 1 : 0;
    return n;
}

/// The first `n` tiles shown and every other one hidden.
bool firstTilesShown(const DrawScreen &s, int n)
{
    const QList<DigitTile *> all = tiles(s);
    for (int i = 0; i < all.size(); ++i) {
        if (all.at(i)->isShown() != (i < n))
            return false;
    }
    return true;
}

/// Every shown row has rolled a masked number.
bool rowsRolled(const DrawScreen &s, int rows)
{
    for (int r = 0; r < rows; ++r) {
        if (!rowText(s, r).contains(QLatin1String("***")))
            return false;
    }
    return true;
}

/// Runs `script` on the draw screen the main window opens with 开始抽奖; returns whether the
/// screen was still open after the script (it is then closed, so the test cannot hang).
bool runDraw(MainWindow &w, const std::function<void(DrawScreen &)> &script)
{
    bool stillOpen = true;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *screen = qobject_cast<DrawScreen *>(QApplication::activeModalWidget());
        if (!screen)
            return;
        seen = true;
        script(*screen);
        stillOpen = screen->isVisible();
        if (stillOpen) {
            screen->engine().halt();
            screen->done(QDialog::Rejected);
        }
    });
    action(w, "startDrawAction")->trigger();
    return !seen || stillOpen;
}

QStringList gridColumn(const GridModel *grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->text(r, column);
    return out;
}

} // namespace

class TestDrawScreen final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeDrawByMouseAndKeyboard();
    void exitDuringRollingRound();
    void closedAnotherWay();
    void doubleClickTogglesOnce_data();
    void doubleClickTogglesOnce();
    void rowsWithNobodyAreBlank();
    void stopThatCannotWrite();
    void builtInSounds_data();
    void builtInSounds();
    void popupCommands();
    void roundRows_data();
    void roundRows();
    void planRefusedAtOpening();
    void keys_data();
    void keys();
    void showTileRow_data();
    void showTileRow();
    void tilesAndScreen();
    void tileFace_data();
    void tileFace();
    void settingsUsed_data();
    void settingsUsed();
    void notificationWindow();
    void resultsPairedByPrize();
    void deleteResultRow_data();
    void deleteResultRow();
    void continueOrNewDraw_data();
    void continueOrNewDraw();
    void voidOnTheDrawScreen();
    void voidOnTheResultsPage();
    void recordCheckedAndExported();
    void namesAtTheReveal_data();
    void namesAtTheReveal();
};

static QtMessageHandler g_previousHandler = nullptr;

void TestDrawScreen::initTestCase()
{
    // The offscreen platform cannot fade or raise a window and says so at every step of the
    // notification's fade; the window's own state is what the tests look at.
    g_previousHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (text.startsWith(QLatin1String("This plugin does not support")))
                return;
            g_previousHandler(type, context, text);
        });
}

// The three prizes (2, 1), (5, 2), (1, 1): six rounds, eight winners, and the seventh start
// closes the screen. Starts and stops alternate between every way the operator has.
void TestDrawScreen::wholeDrawByMouseAndKeyboard()
{
    Installation inst;
    inst.db.addManyParticipants(30);
    inst.db.addPrizes(
        {{"一等奖", "2", "1", "电视", ""}, {"二等奖", "5", "2", "冰箱", ""}, {"三等奖", "1", "1", "手机", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();

    const QList<int> roundRows{1, 1, 2, 2, 1, 1};
    const QStringList prizes{"一等奖", "一等奖", "二等奖", "二等奖", "二等奖", "三等奖"};
    const QList<int> prizeNumbers{1, 1, 2, 2, 2, 3};
    WinnerLog log;
    const bool stillOpen = runDraw(w, [&](DrawScreen &s) {
        QCOMPARE(s.geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(notification(s)->lines(), QStringList{Tip});
        QVERIFY(notification(s)->isVisible());
        QCOMPARE(shownTiles(s), 0);
        QTRY_COMPARE(QApplication::focusWidget(), tiles(s).first());

        // start, stop: Enter on the focused tile / click on the background, then a click on
        // a shown tile / Enter on the screen itself, then the popup commands.
        const std::function<void()> starts[] = {
            [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); },
            [&] { QTest::mouseClick(tiles(s).at(3), Qt::LeftButton); },
            [&] { startAction(s)->trigger(); },
        };
        const std::function<void()> stops[] = {
            [&] { QTest::mouseClick(background(s), Qt::LeftButton, {}, QPoint(s.width() - 40, 60)); },
            [&] {
                s.setFocus();
                QTest::keyClick(&s, Qt::Key_Enter);
            },
            [&] { stopAction(s)->trigger(); },
        };
        int marked = 0;
        for (int round = 0; round < roundRows.size(); ++round) {
            const int rows = roundRows.at(round);
            starts[round % 3]();
            QCOMPARE(notification(s)->lines(), QStringList{prizes.at(round) + "\r"});
            QVERIFY(!notification(s)->isVisible());
            QVERIFY(!startAction(s)->isEnabled());
            QVERIFY(stopAction(s)->isEnabled());
            QVERIFY(firstTilesShown(s, rows * 11));
            QCOMPARE(sounds.requests.last(), (Sound{inst.db.binDir() + "/start.wav", Mode::Loop}));
            QTRY_VERIFY(rowsRolled(s, rows));

            stops[round % 3]();
            QVERIFY(startAction(s)->isEnabled());
            QVERIFY(!stopAction(s)->isEnabled());
            QCOMPARE(sounds.requests.last(), (Sound{"end.wav", Mode::Once}));
            const WinnerLog &now = s.winnerLog();
            QCOMPARE(now.size(), log.size() + rows);
            QStringList lines{prizes.at(round) + "\r"};
            for (int r = 0; r < rows; ++r) {
                const WinnerEntry &e = now.at(log.size() + r);
                QCOMPARE(e.prizeNumber, prizeNumbers.at(round));
                QCOMPARE(rowText(s, r), e.number); // revealed in full
                const QString name = inst.db.column("select Name from Tab_CJ where Tel = '" + e.number + "'").first();
                lines << e.number + "      " + name + "\r";
            }
            QCOMPARE(notification(s)->lines(), lines);
            QVERIFY(notification(s)->isVisible());
            log = now;
            marked += rows;
            QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"),
                     QStringList{QString::number(marked)});
        }
        QCOMPARE(sounds.requests.size(), 12);
        QCOMPARE(sounds.builtIns.mid(0, 2), (QStringList{":/sounds/start.wav", ":/sounds/end.wav"}));
        QCOMPARE(dialogs.messages.size(), 0);

        // The seventh start: the draw is over; the screen closes without a sound.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialogs.texts(), QStringList{Done});
        QCOMPARE(dialogs.messages.first().caption, QStringLiteral("完毕!"));
        QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Information);
        QCOMPARE(sounds.requests.size(), 12);
    });
    QVERIFY(!stillOpen);

    // The results page: every place with its winner, in draw order.
    QCOMPARE(w.findChild<QTabWidget *>(QStringLiteral("pages"))->currentIndex(), 2);
    QCOMPARE(gridColumn(resultGrid(w), 0), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    QCOMPARE(gridColumn(resultGrid(w), 1),
             (QStringList{"一等奖", "一等奖", "二等奖", "二等奖", "二等奖", "二等奖", "二等奖", "三等奖"}));
    QCOMPARE(gridColumn(resultGrid(w), 2),
             (QStringList{"电视", "电视", "冰箱", "冰箱", "冰箱", "冰箱", "冰箱", "手机"}));
    QStringList tels, names;
    for (const WinnerEntry &e : log) {
        tels << e.number;
        names << inst.db.column("select Name from Tab_CJ where Tel = '" + e.number + "'").first();
    }
    QCOMPARE(gridColumn(resultGrid(w), 3), tels);
    QCOMPARE(gridColumn(resultGrid(w), 4), names);
    QCOMPARE(gridColumn(resultGrid(w), 5), QStringList(8, QString()));
    QCOMPARE(inst.db.column("select Tel from Tab_CJ where ZT = '1' order by Tel"), [&] {
        QStringList sorted = tels;
        sorted.sort();
        return sorted;
    }());
}

void TestDrawScreen::exitDuringRollingRound()
{
    Installation inst;
    inst.db.addManyParticipants(10);
    inst.db.addPrizes({{"一等奖", "3", "1", "电视", ""}});
    ScriptedDialogs dialogs;
    dialogs.answers = {false, true}; // the first exit is cancelled, the second confirmed
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();
    QString first;
    const bool stillOpen = runDraw(w, [&](DrawScreen &s) {
        startAction(s)->trigger();
        QTRY_VERIFY(rowsRolled(s, 1));
        stopAction(s)->trigger();
        first = s.winnerLog().value(0).number;
        startAction(s)->trigger();
        QTRY_VERIFY(rowsRolled(s, 1));

        exitAction(s)->trigger(); // cancelled: the round goes on rolling
        QVERIFY(s.isVisible());
        QVERIFY(s.engine().isRolling());
        exitAction(s)->trigger();
        QCOMPARE(dialogs.messages.size(), 2);
        for (const ScriptedDialogs::Message &m : dialogs.messages) {
            QCOMPARE(m.text, QStringLiteral("退出后则此次抽奖完毕，重新进入则进行重新抽奖！"));
            QCOMPARE(m.caption, QStringLiteral("是否确定退出"));
            QVERIFY(m.icon == Dialogs::Icon::Information);
            QVERIFY(m.buttons == Dialogs::Buttons::OkCancel);
        }
        QVERIFY(!s.engine().isRolling());
        QVERIFY(rowText(s, 0).contains(QLatin1String("***"))); // no reveal
        QCOMPARE(s.winnerLog().size(), 1);
    });
    QVERIFY(!stillOpen);
    QCOMPARE(sounds.requests.last(), (Sound{"stop.wav", Mode::Once}));
    QCOMPARE(sounds.requests.size(), 4);
    QCOMPARE(inst.db.column("select Tel from Tab_CJ where ZT is not null"), QStringList{first});
    QCOMPARE(gridColumn(resultGrid(w), 3), (QStringList{first, "", ""}));
}

// Alt+F4 or the window manager's close take the exit command's path: the question, the halt
// without a reveal, "stop.wav" replacing the music.
void TestDrawScreen::closedAnotherWay()
{
    Installation inst;
    inst.db.addManyParticipants(10);
    inst.db.addPrizes({{"一等奖", "3", "1", "", ""}});
    ScriptedDialogs dialogs;
    dialogs.answers = {false, true};
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();
    const bool stillOpen = runDraw(w, [&](DrawScreen &s) {
        startAction(s)->trigger();
        QTRY_VERIFY(rowsRolled(s, 1));
        s.close(); // cancelled: the round goes on
        QVERIFY(s.isVisible());
        QVERIFY(s.engine().isRolling());
        s.close();
        QCOMPARE(dialogs.texts(), QStringList(2, QStringLiteral("退出后则此次抽奖完毕，重新进入则进行重新抽奖！")));
        QVERIFY(!s.engine().isRolling());
        QVERIFY(rowText(s, 0).contains(QLatin1String("***"))); // no reveal
    });
    QVERIFY(!stillOpen);
    QCOMPARE(sounds.requests.last(), (Sound{"stop.wav", Mode::Once}));
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT is not null"), QStringList{"0"});
}

void TestDrawScreen::doubleClickTogglesOnce_data()
{
    QTest::addColumn<bool>("rolling"); // a round rolls when the double-click comes
    QTest::addColumn<bool>("onTile");
    QTest::newRow("background, idle: one start") << false << false;
    QTest::newRow("background, rolling: one stop") << true << false;
    QTest::newRow("tile, rolling: one stop") << true << true;
}

void TestDrawScreen::doubleClickTogglesOnce()
{
    QFETCH(bool, rolling);
    QFETCH(bool, onTile);
    Installation inst;
    inst.db.addManyParticipants(10);
    inst.db.addPrizes({{"一等奖", "5", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    if (rolling) {
        startAction(s)->trigger();
        QTRY_VERIFY(rowsRolled(s, 1));
    }
    QWidget *target = onTile ? static_cast<QWidget *>(tiles(s).first()) : static_cast<QWidget *>(background(s));
    // What the window system delivers for a double-click: press, release, double-click (in
    // place of the second press), release.
    const QPoint at = onTile ? QPoint(5, 5) : QPoint(s.width() - 40, 60);
    QTest::mousePress(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    QApplication::sendEvent(target, &doubleClick);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
    // Started once and rolling, or stopped once with one winner and idle.
    QCOMPARE(startAction(s)->isEnabled(), rolling);
    QCOMPARE(s.engine().isRolling(), !rolling);
    QCOMPARE(s.winnerLog().size(), rolling ? 1 : 0);
    QCOMPARE(sounds.requests.size(), rolling ? 2 : 1);
}

// With fewer participants left than rows, the rows nobody rolls on are blank, not the
// winners of the round before.
void TestDrawScreen::rowsWithNobodyAreBlank()
{
    Installation inst;
    inst.db.addManyParticipants(4);
    inst.db.addPrizes({{"一等奖", "3", "3", "", ""}, {"二等奖", "3", "3", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    startAction(s)->trigger();
    QTRY_VERIFY(rowsRolled(s, 3));
    stopAction(s)->trigger();
    QCOMPARE(s.winnerLog().size(), 3);
    startAction(s)->trigger(); // one participant left for three rows
    QTRY_VERIFY(rowsRolled(s, 1));
    QCOMPARE(rowText(s, 1), QString());
    QCOMPARE(rowText(s, 2), QString());
    stopAction(s)->trigger();
    QCOMPARE(s.winnerLog().size(), 4);
}

// A stop whose winners cannot be saved reveals nothing; the round rolls on for another stop.
void TestDrawScreen::stopThatCannotWrite()
{
    Installation inst;
    inst.db.addManyParticipants(10);
    inst.db.addPrizes({{"一等奖", "2", "2", "", ""}});
    inst.db.exec(QStringLiteral("create trigger refuse before update on Tab_CJ "
                                "begin select raise(abort, 'disk I/O error'); end"));
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    startAction(s)->trigger();
    QTRY_VERIFY(rowsRolled(s, 2));
    stopAction(s)->trigger();
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.startsWith(QStringLiteral("本轮中奖结果没有保存，号码继续滚动")),
             qPrintable(dialogs.messages.first().text));
    QVERIFY(dialogs.messages.first().text.contains(QLatin1String("disk I/O error")));
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Warning);
    QVERIFY(s.winnerLog().isEmpty());
    QVERIFY(s.engine().isRolling());
    QVERIFY(!startAction(s)->isEnabled());
    QCOMPARE(sounds.requests.size(), 1); // no win music
    QVERIFY(!notification(s)->isVisible());
    QTRY_VERIFY(rowsRolled(s, 2));

    inst.db.exec(QStringLiteral("drop trigger refuse"));
    stopAction(s)->trigger();
    QCOMPARE(s.winnerLog().size(), 2);
    QVERIFY(startAction(s)->isEnabled());
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"), QStringList{"2"});
}

void TestDrawScreen::builtInSounds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("file"); // a file is there, else the built-in sound plays
    QTest::newRow("file beside") << "%1/start.wav" << true;
    QTest::newRow("missing file") << "%1/none.wav" << false;
    QTest::newRow("relative, missing in the current folder") << "no-such-end.wav" << false;
    QTest::newRow("no path") << "" << false;
}

// A sound file that is missing, configured or default, plays the sound built into the
// program for that moment, not the desktop's (often silent) beep.
void TestDrawScreen::builtInSounds()
{
    QFETCH(QString, path);
    QFETCH(bool, file);
    QTemporaryDir dir;
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/start.wav"),
                dir.filePath(QStringLiteral("start.wav")));
    path.replace(QLatin1String("%1"), dir.path());
    for (const char *sound : {":/sounds/start.wav", ":/sounds/end.wav", ":/sounds/stop.wav"}) {
        QVERIFY2(QFile::exists(QLatin1String(sound)), sound);
        const QUrl source = SoundPlayer::source(path, QLatin1String(sound));
        QCOMPARE(source, file ? QUrl::fromLocalFile(path) : QUrl(QStringLiteral("qrc") + QLatin1String(sound)));
    }
}

void TestDrawScreen::popupCommands()
{
    Installation inst;
    inst.db.addManyParticipants(5);
    inst.db.addPrizes({{"一等奖", "1", "1", "", ""}, {"二等奖", "0", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    QMenu *menu = s.findChild<QMenu *>(QStringLiteral("drawMenu"));
    QCOMPARE(menu->actions().mid(0, 3), (QList<QAction *>{startAction(s), stopAction(s), exitAction(s)}));
    QVERIFY(!action(s, "voidAction")->isEnabled()); // nobody drawn yet
    QCOMPARE(startAction(s)->text(), QStringLiteral("开始"));
    QCOMPARE(stopAction(s)->text(), QStringLiteral("停止"));
    QCOMPARE(exitAction(s)->text(), QStringLiteral("退出"));
    auto states = [&] {
        return QList<bool>{startAction(s)->isEnabled(), stopAction(s)->isEnabled(), exitAction(s)->isEnabled()};
    };
    QCOMPARE(states(), (QList<bool>{true, false, true}));

    // The right button opens the popup over the background and over a tile.
    for (QWidget *target : {static_cast<QWidget *>(background(s)), static_cast<QWidget *>(tiles(s).at(0))}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        QVERIFY(menu->isVisible());
        menu->hide();
    }

    startAction(s)->trigger();
    QCOMPARE(states(), (QList<bool>{false, true, true}));
    stopAction(s)->trigger();
    QCOMPARE(states(), (QList<bool>{true, false, true}));
    // A prize without quantity: the message, and the next toggle is a stop.
    startAction(s)->trigger();
    QCOMPARE(dialogs.texts(), QStringList{Done});
    QVERIFY(s.isVisible());
    QCOMPARE(states(), (QList<bool>{false, true, true}));
    QCOMPARE(notification(s)->lines(), QStringList{"二等奖\r"});
    const int before = int(sounds.requests.size());
    QTest::mouseClick(background(s), Qt::LeftButton);
    QCOMPARE(states(), (QList<bool>{true, false, true}));
    QCOMPARE(sounds.requests.mid(before), (QList<Sound>{{"end.wav", Mode::Once}}));
    QVERIFY(notification(s)->isVisible());
}

void TestDrawScreen::roundRows_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("rs");
    QTest::addColumn<QList<int>>("rounds"); // rows of each round
    QTest::newRow("ten rows") << "10"
                              << "10" << QList<int>{10};
    QTest::newRow("three rows") << "3"
                                << "5" << QList<int>{3};
    QTest::newRow("ten, then a remainder of one") << "21"
                                                  << "10" << QList<int>{10, 10, 1};
}

void TestDrawScreen::roundRows()
{
    QFETCH(QString, quantity);
    QFETCH(QString, rs);
    QFETCH(QList<int>, rounds);
    Installation inst;
    inst.db.addManyParticipants(40);
    inst.db.addPrizes({{"特等奖", quantity, rs, "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    int recorded = 0;
    for (int rows : rounds) {
        startAction(s)->trigger();
        QCOMPARE(dialogs.messages.size(), 0);
        QVERIFY(firstTilesShown(s, rows * 11));
        QTRY_VERIFY(rowsRolled(s, rows));
        stopAction(s)->trigger();
        recorded += rows;
        QCOMPARE(s.winnerLog().size(), recorded);
    }
}

// A plan the screen cannot draw is refused when the screen opens, before anything is drawn,
// naming every prize at fault; the main window stays as it was.
void TestDrawScreen::planRefusedAtOpening()
{
    Installation inst;
    inst.db.addManyParticipants(40);
    inst.db.addPrizes(
        {{"一等奖", "2", "1", "", ""}, {"二等奖", "60", "51", "", ""}, {"三等奖", "10000000", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();
    bool opened = false;
    runDraw(w, [&opened](DrawScreen &) { opened = true; });
    QVERIFY(!opened);
    QCOMPARE(dialogs.messages.size(), 1);
    const QString text = dialogs.messages.first().text;
    QVERIFY2(text.contains(QStringLiteral("第2项“二等奖”：每次抽奖人数 51 超过每次最多可抽的 50 人")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("第3项“三等奖”：奖项数量 10000000 超过上限 100000")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("一等奖")), qPrintable(text));
    QVERIFY(sounds.requests.isEmpty());
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT is not null"), QStringList{"0"});
    QCOMPARE(w.findChild<QTabWidget *>(QStringLiteral("pages"))->currentIndex(), 0);
}

void TestDrawScreen::keys_data()
{
    QTest::addColumn<bool>("onTile"); // a tile has the focus, else the screen itself
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("toggles"); // the press starts a round (its release and repeats do nothing)
    for (const bool onTile : {true, false}) {
        const char *where = onTile ? "tile" : "screen";
        // Enter and Space as on a keyboard; Page Down, Page Up, Right and Left as a presenter
        // remote sends them.
        for (const auto &[name, key] : {std::pair{"Enter", Qt::Key_Return},
                                        {"keypad Enter", Qt::Key_Enter},
                                        {"Space", Qt::Key_Space},
                                        {"Page Down", Qt::Key_PageDown},
                                        {"Page Up", Qt::Key_PageUp},
                                        {"Right", Qt::Key_Right},
                                        {"Left", Qt::Key_Left}})
            QTest::addRow("%s on the %s", name, where) << onTile << int(key) << true;
        QTest::addRow("Escape on the %s", where) << onTile << int(Qt::Key_Escape) << false;
        QTest::addRow("a digit on the %s", where) << onTile << int(Qt::Key_5) << false;
    }
}

void TestDrawScreen::keys()
{
    QFETCH(bool, onTile);
    QFETCH(int, key);
    QFETCH(bool, toggles);
    Installation inst;
    inst.db.addManyParticipants(5);
    inst.db.addPrizes({{"一等奖", "1", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    QVERIFY(QTest::qWaitForWindowActive(&s));
    QWidget *target = onTile ? static_cast<QWidget *>(tiles(s).first()) : static_cast<QWidget *>(&s);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyPress(target, Qt::Key(key));
    QCOMPARE(!startAction(s)->isEnabled(), toggles);
    // A key held down repeats its press: still one toggle.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target, &repeat);
    }
    QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : target, Qt::Key(key));
    QCOMPARE(!startAction(s)->isEnabled(), toggles);
    QVERIFY(s.isVisible());
    s.engine().halt();
}

void TestDrawScreen::showTileRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("captions"); // the row's tiles
    QTest::newRow("masked number") << 0 << "1380***0001"
                                   << QStringList{"1", "3", "8", "0", "*", "*", "*", "0", "0", "0", "1"};
    QTest::newRow("seven characters") << 2 << "abcd***"
                                      << QStringList{"a", "b", "c", "d", "*", "*", "*", "", "", "", ""};
    QTest::newRow("longer than a row") << 9 << " 13800000001"
                                       << QStringList{" ", "1", "3", "8", "0", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("empty") << 1 << "" << QStringList(11, QString());
}

void TestDrawScreen::showTileRow()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QStringList, captions);
    Installation inst;
    inst.db.addPrizes({{"一等奖", "10", "10", "", ""}});
    DrawScreen s(*inst.connection);
    QCOMPARE(tiles(s).size(), 110);
    for (int r = 0; r < 10; ++r)
        s.showTileRow(r, QStringLiteral("xxxxxxxxxxx"));
    s.showTileRow(row, text);
    QStringList got;
    for (int i = row * 11; i < row * 11 + 11; ++i)
        got << tiles(s).at(i)->caption();
    QCOMPARE(got, captions);
    // The other rows keep what they showed, hidden or not.
    QCOMPARE(rowText(s, row == 0 ? 1 : 0), QStringLiteral("xxxxxxxxxxx"));
    // Screen readers find a tile by the character it shows.
    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(tiles(s).at(row * 11));
    QVERIFY(tile);
    QCOMPARE(tile->text(QAccessible::Name), captions.first());
}

// The tiles of the plan's largest round stand where the layout for the screen puts them,
// hidden until a round shows them.
void TestDrawScreen::tilesAndScreen()
{
    Installation inst;
    inst.db.addPrizes({{"一等奖", "3", "1", "", ""}, {"二等奖", "30", "12", "", ""}, {"三等奖", "2", "5", "", ""}});
    ScriptedDialogs dialogs;
    DrawScreen s(*inst.connection);
    s.show();
    QVERIFY(QTest::qWaitForWindowActive(&s));
    QCOMPARE(dialogs.messages.size(), 0); // the tile face was found
    QCOMPARE(tiles(s).size(), 12 * 11);
    const StageLayout layout(s.size(), 12, s.font().family());
    for (const int index : {0, 10, 11, 109, 110, 131}) {
        const DigitTile *t = tiles(s).at(index);
        QCOMPARE(t->index(), index);
        QCOMPARE(t->pos(), layout.tileRect(index).topLeft());
        QCOMPARE(t->size(), QSize(0, layout.tileSize())); // hidden
        QVERIFY(t->caption().isEmpty());
    }
    QCOMPARE(s.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    QCOMPARE(background(s)->geometry(), s.rect());
    QCOMPARE(tiles(s).at(0)->captionFont().pixelSize(), layout.captionPixelSize());
    QVERIFY(tiles(s).at(0)->captionFont().bold());
    // Tiles are tab stops in index order, also while hidden.
    tiles(s).at(0)->setFocus();
    QTest::keyClick(tiles(s).at(0), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), tiles(s).at(1));
}

void TestDrawScreen::tileFace_data()
{
    QTest::addColumn<QString>("beside"); // the cj.bmp beside the executable: "red", "none", "broken"
    QTest::addColumn<bool>("reported");
    QTest::newRow("the operator's face") << "red" << false;
    QTest::newRow("none beside: the built-in face, silently") << "none" << false;
    QTest::newRow("broken: reported, the built-in face") << "broken" << true;
}

void TestDrawScreen::tileFace()
{
    QFETCH(QString, beside);
    QFETCH(bool, reported);
    TestDb db;
    db.addManyParticipants(3);
    db.addPrizes({{"一等奖", "1", "1", "", ""}});
    const QString face = db.binDir() + QStringLiteral("/cj.bmp");
    if (beside == QLatin1String("red")) {
        QImage red(41, 41, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(face, "BMP"));
    } else if (beside == QLatin1String("broken")) {
        QFile f(face);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BM not a picture");
    }
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    Database connection(db.dbFile());
    DrawScreen s(connection);
    QCOMPARE(dialogs.messages.size(), reported ? 1 : 0);
    if (reported)
        QVERIFY(dialogs.messages.first().text.contains(QDir::toNativeSeparators(face)));
    s.show();
    startAction(s)->trigger();
    QVERIFY(firstTilesShown(s, 11));
    const QColor corner = tiles(s).first()->grab().toImage().pixelColor(1, 1);
    // The face is drawn at the tiles' size, scaled smoothly.
    const int size = tiles(s).first()->width();
    const QColor expected = beside == QLatin1String("red")
                                ? QColor(Qt::red)
                                : QImage(QStringLiteral(":/cj.bmp"))
                                      .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                      .pixelColor(1, 1);
    QCOMPARE(corner, expected);
    QTRY_VERIFY(rowsRolled(s, 1));
    stopAction(s)->trigger();
    QCOMPARE(s.winnerLog().size(), 1);
}

void TestDrawScreen::settingsUsed_data()
{
    QTest::addColumn<QString>("ini"); // %1: a picture that exists
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("drawMusic"); // %1: the executable's folder
    QTest::addColumn<QString>("winMusic");
    QTest::addColumn<QString>("error");
    const QSize builtIn(2130, 1599);
    QTest::newRow("no settings") << QString() << builtIn << "%1/start.wav"
                                 << "end.wav" << QString();
    QTest::newRow("blanks only") << "[System]\r\nPicture=   \r\nCJMusic= \r\nZJMusic=\t\r\n"
                                 << builtIn << "%1/start.wav"
                                 << "end.wav" << QString();
    QTest::newRow("all set") << "[System]\r\nPicture=%1\r\nCJMusic=/srv/roll.wav\r\nZJMusic=win.wav\r\n"
                             << QSize(64, 48) << "/srv/roll.wav"
                             << "win.wav" << QString();
    QTest::newRow("picture missing") << "[System]\r\nPicture=/srv/none.jpg\r\n"
                                     << builtIn << "%1/start.wav"
                                     << "end.wav"
                                     << "无法载入图片“/srv/none.jpg”";
}

void TestDrawScreen::settingsUsed()
{
    QFETCH(QString, ini);
    QFETCH(QSize, picture);
    QFETCH(QString, drawMusic);
    QFETCH(QString, winMusic);
    QFETCH(QString, error);
    Installation inst;
    inst.db.addManyParticipants(3);
    inst.db.addPrizes({{"一等奖", "1", "1", "", ""}});
    const QString picturePath = inst.db.root() + QStringLiteral("/stage.png");
    QImage(64, 48, QImage::Format_RGB32).save(picturePath);
    if (!ini.isNull()) {
        QFile f(inst.db.settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString(ini).replace(QLatin1String("%1"), picturePath).toUtf8());
    }
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    QCOMPARE(background(s)->picture().size(), picture);
    if (error.isEmpty()) {
        QCOMPARE(dialogs.messages.size(), 0);
    } else {
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.first().text.startsWith(error), qPrintable(dialogs.messages.first().text));
        QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    }
    s.show();
    startAction(s)->trigger();
    QTRY_VERIFY(rowsRolled(s, 1));
    stopAction(s)->trigger();
    drawMusic.replace(QLatin1String("%1"), inst.db.binDir());
    QCOMPARE(sounds.requests, (QList<Sound>{{drawMusic, Mode::Loop}, {winMusic, Mode::Once}}));
}

void TestDrawScreen::notificationWindow()
{
    Installation inst;
    inst.db.addManyParticipants(3);
    inst.db.addPrizes({{"一等奖", "1", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    s.show();
    QVERIFY(QTest::qWaitForWindowActive(&s));
    NotificationWindow *a = notification(s);
    QVERIFY(a->isVisible());
    QCOMPARE(a->displayLines(), (QStringList{"  温馨提示:", "  你可以点击鼠标左键或Enter", "  键进行开始和结束操作!"}));
    QCOMPARE(a->accessibleName(), a->displayLines().join(QLatin1Char('\n')));
    QVERIFY(a->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    QVERIFY(a->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(a->testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(QApplication::activeWindow(), &s); // the screen keeps the keyboard
    // Lower right corner of the work area, sized to its text.
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(a->frameGeometry().bottomRight(), work.bottomRight());
    QVERIFY(a->width() >= QFontMetrics(a->textFont()).horizontalAdvance(QStringLiteral("  你可以点击鼠标左键或Enter")));
    // It fades in to 220 of 255 by steps of 2 every 10 ms, and stays.
    QVERIFY(a->isFading());
    QVERIFY(a->opacityStep() < NotificationWindow::TargetOpacity);
    QTRY_COMPARE_WITH_TIMEOUT(a->opacityStep(), NotificationWindow::TargetOpacity, 5000);
    QVERIFY(!a->isFading());
    QCOMPARE(qRound(a->windowOpacity() * 255), 220);
    QVERIFY(a->isVisible());
    // Its close button hides it; a start hides it too and leaves the prize line alone.
    QTest::mouseClick(a->findChild<QPushButton *>(QStringLiteral("close")), Qt::LeftButton);
    QVERIFY(!a->isVisible());
    a->fadeIn();
    startAction(s)->trigger();
    QVERIFY(!a->isVisible());
    QVERIFY(!a->isFading());
    QCOMPARE(a->displayLines(), QStringList{"一等奖"});
    QTRY_VERIFY(rowsRolled(s, 1));
    stopAction(s)->trigger();
    QVERIFY(a->isVisible());
    QCOMPARE(a->displayLines().size(), 2);
    QCOMPARE(a->frameGeometry().bottomRight(), work.bottomRight());
}

// A round that yields nobody (a prize with 0 winners per round) leaves its own place empty;
// the next prize's winner still stands at that prize.
void TestDrawScreen::resultsPairedByPrize()
{
    Installation inst;
    inst.db.addManyParticipants(5);
    inst.db.addPrizes({{"一等奖", "1", "1", "A", ""}, {"二等奖", "1", "0", "B", ""}, {"三等奖", " 2 ", "1", "C", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    prizeGrid(w)->setText(2, 2, QStringLiteral(" 2 ")); // blanks around a number in the grid
    w.show();
    WinnerLog log;
    QVERIFY(!runDraw(w, [&](DrawScreen &s) {
        for (int round = 0; round < 4; ++round) {
            QTest::mouseClick(background(s), Qt::LeftButton);
            if (round == 1) {
                QTRY_COMPARE(dialogs.texts(), QStringList{QStringLiteral("抽奖人数必须大于0!")});
                QCOMPARE(dialogs.messages.first().caption, QStringLiteral("提示!"));
                QCOMPARE(shownTiles(s), 0);
            } else {
                QTRY_VERIFY(rowsRolled(s, 1));
            }
            QTest::mouseClick(background(s), Qt::LeftButton);
        }
        log = s.winnerLog();
        QTest::mouseClick(background(s), Qt::LeftButton);
    }));
    QCOMPARE(log.size(), 3);
    QCOMPARE(gridColumn(resultGrid(w), 1), (QStringList{"一等奖", "二等奖", "三等奖", "三等奖"}));
    QCOMPARE(gridColumn(resultGrid(w), 3), (QStringList{log.at(0).number, "", log.at(1).number, log.at(2).number}));

    // The page is the record's: a restart shows exactly the same.
    const QList<QStringList> shown{gridColumn(resultGrid(w), 0), gridColumn(resultGrid(w), 1),
                                   gridColumn(resultGrid(w), 3), gridColumn(resultGrid(w), 4)};
    {
        MainWindow restarted(*inst.connection);
        QCOMPARE((QList<QStringList>{gridColumn(resultGrid(restarted), 0), gridColumn(resultGrid(restarted), 1),
                                     gridColumn(resultGrid(restarted), 3), gridColumn(resultGrid(restarted), 4)}),
                 shown);
    }

    // A prize table changed after the draw: the places follow it, the recorded winners stay.
    inst.db.exec(QStringLiteral("update Tab_Set set quantity = '' where xh = 3"));
    {
        MainWindow restarted(*inst.connection);
        QCOMPARE(gridColumn(resultGrid(restarted), 1), (QStringList{"一等奖", "二等奖", "三等奖", "三等奖"}));
        QCOMPARE(gridColumn(resultGrid(restarted), 3),
                 (QStringList{log.at(0).number, "", log.at(1).number, log.at(2).number}));
    }

    // A quantity that is no number lays out no places of its own, without a word at start-up.
    inst.db.exec(QStringLiteral("update Tab_Set set quantity = '三' where xh = 2"));
    dialogs.messages.clear();
    MainWindow restarted(*inst.connection);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(gridColumn(resultGrid(restarted), 1), (QStringList{"一等奖", "三等奖", "三等奖"}));
}

void TestDrawScreen::deleteResultRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("prizes"); // column 1 afterwards
    QTest::newRow("place 3 of 6, confirmed") << 3 << true << QStringList{"A", "A", "C", "C", "C"};
    QTest::newRow("place 3 of 6, cancelled") << 3 << false << QStringList{"A", "A", "B", "C", "C", "C"};
    QTest::newRow("last place, confirmed") << 6 << true << QStringList{"A", "A", "B", "C", "C"};
}

void TestDrawScreen::deleteResultRow()
{
    QFETCH(int, row);
    QFETCH(bool, ok);
    QFETCH(QStringList, prizes);
    Installation inst;
    inst.db.addManyParticipants(3);
    inst.db.addPrizes({{"A", "2", "1", "", ""}, {"B", "1", "1", "", ""}, {"C", "3", "1", "", ""}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();
    dialogs.answers = {true};
    QVERIFY(!runDraw(w, [&](DrawScreen &s) { exitAction(s)->trigger(); }));
    dialogs.messages.clear();
    dialogs.answers = {ok};
    w.findChild<GridView *>(QStringLiteral("resultGrid"))->setCurrentCell(row - 1, 1);
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("deleteResultButton")), Qt::LeftButton);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral(" 确定删除所选记录？")});
    QCOMPARE(dialogs.messages.first().caption, QStringLiteral("删除记录"));
    QVERIFY(dialogs.messages.first().buttons == Dialogs::Buttons::OkCancel);
    QCOMPARE(gridColumn(resultGrid(w), 1), prizes);
    QStringList numbers;
    for (int i = 1; i <= prizes.size(); ++i)
        numbers << QString::number(i);
    QCOMPARE(gridColumn(resultGrid(w), 0), numbers);

    // Deleting down to the header row; then the command does nothing, not even ask.
    dialogs.answers = QList<bool>(10, true);
    for (int i = 0; i < 10 && resultGrid(w)->rowCount() > 0; ++i)
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("deleteResultButton")), Qt::LeftButton);
    dialogs.messages.clear();
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("deleteResultButton")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.size(), 0);
    QCOMPARE(resultGrid(w)->rowCount(), 0);
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT is not null"), QStringList{"0"});
}

namespace {

/// Draws the first @p stops rounds of the worked example through the engine alone, as the
/// program interrupted after them would have left the database (the draw unfinished).
QStringList interruptedDraw(Database &db, int stops)
{
    FakeDrawSurface surface;
    DrawEngine engine(&surface, db);
    engine.loadPlan(10);
    engine.beginNewDraw();
    for (int i = 0; i < stops; ++i) {
        engine.schedule().beginRound();
        engine.startRound(engine.schedule().roundRows());
        engine.stop();
    }
    QStringList won;
    for (const WinnerEntry &e : engine.winnerLog())
        won << e.number;
    return won;
}

const QList<QStringList> WorkedExample{
    {"一等奖", "2", "1", "电视", ""}, {"二等奖", "5", "2", "冰箱", ""}, {"三等奖", "1", "1", "手机", ""}};

} // namespace

void TestDrawScreen::continueOrNewDraw_data()
{
    QTest::addColumn<int>("choice");         // 0 continue, 1 new draw, 2 cancel
    QTest::addColumn<QString>("firstPrize"); // the prize line of the first start; "" when no screen
    QTest::addColumn<int>("firstRows");
    QTest::newRow("continue, the default") << 0 << "二等奖" << 2;
    QTest::newRow("a new draw") << 1 << "一等奖" << 1;
    QTest::newRow("cancelled") << 2 << "" << 0;
}

// An interrupted draw goes on where its record stops, or a new one begins; the operator picks.
void TestDrawScreen::continueOrNewDraw()
{
    QFETCH(int, choice);
    QFETCH(QString, firstPrize);
    QFETCH(int, firstRows);
    Installation inst;
    inst.db.addManyParticipants(20);
    inst.db.addPrizes(WorkedExample);
    const QStringList won = interruptedDraw(*inst.connection, 3); // 一等奖 twice, 二等奖 once
    ScriptedDialogs dialogs;
    dialogs.choices = {choice};
    dialogs.answers = {true};
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    w.show();
    bool opened = false;
    runDraw(w, [&](DrawScreen &s) {
        opened = true;
        startAction(s)->trigger();
        QCOMPARE(notification(s)->lines(), QStringList{firstPrize + "\r"});
        QVERIFY(firstTilesShown(s, firstRows * 11));
        QTRY_VERIFY(rowsRolled(s, firstRows));
        stopAction(s)->trigger();
        exitAction(s)->trigger();
    });
    QCOMPARE(opened, choice != 2);
    QCOMPARE(dialogs.offeredButtons.size(), 1);
    QCOMPARE(dialogs.offeredButtons.first(),
             (QStringList{QStringLiteral("继续上一场抽奖"), QStringLiteral("开始新的抽奖"), QStringLiteral("取消")}));
    QVERIFY2(dialogs.messages.first().text.contains(QStringLiteral("已抽出 4 人")),
             qPrintable(dialogs.messages.first().text));
    const QStringList draws = inst.db.column("select coalesce(finished, 'open') from draws order by id");
    if (choice == 0) {
        // The same draw, six winners now, finished by the exit.
        QCOMPARE(draws.size(), 1);
        QCOMPARE(inst.db.column("select count(*) from draw_entries where kind = 'win'"), QStringList{"6"});
        QCOMPARE(gridColumn(resultGrid(w), 3).mid(0, 4), won);
    } else if (choice == 1) {
        QCOMPARE(draws.size(), 2);
        QCOMPARE(inst.db.column("select count(*) from draw_entries where draw_id = 2"), QStringList{"1"});
    } else {
        QCOMPARE(draws, QStringList{"open"});
    }
    if (choice != 2)
        QVERIFY(!draws.contains(QStringLiteral("open")));
}

// An absent winner of the round just drawn is voided from the popup: the record says so, the
// winner stays marked, and the next round of the prize draws the replacement.
void TestDrawScreen::voidOnTheDrawScreen()
{
    Installation inst;
    inst.db.addManyParticipants(10);
    inst.db.addPrizes({{"一等奖", "2", "2", "", ""}, {"二等奖", "1", "1", "", ""}});
    ScriptedDialogs dialogs;
    dialogs.choices = {1};                        // the second winner of the round
    dialogs.textAnswers = {QStringLiteral("  ")}; // a blank reason: the default
    FakeSoundPlayer sounds;
    Database &db = *inst.connection;
    DrawScreen s(db);
    QVERIFY(s.chooseDraw(nullptr));
    s.show();
    startAction(s)->trigger();
    QTRY_VERIFY(rowsRolled(s, 2));
    stopAction(s)->trigger();
    const WinnerLog first = s.winnerLog();
    QVERIFY(action(s, "voidAction")->isEnabled());
    action(s, "voidAction")->trigger();
    QCOMPARE(dialogs.offeredItems.size(), 1);
    QCOMPARE(dialogs.offeredItems.first().size(), 2);
    QCOMPARE(inst.db.column("select voided || ' ' || void_reason from draw_entries where seq = 2"),
             QStringList{"1 未到场"});
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"), QStringList{"2"});
    QVERIFY(notification(s)->lines().last().startsWith(QStringLiteral("作废：") + first.at(1).number));
    QCOMPARE(rowText(s, 0) + rowText(s, 1), first.at(0).number); // the voided winner is off the tiles
    QVERIFY(action(s, "voidAction")->isEnabled());               // the round's other winner could still be voided

    // The next start draws one replacement for 一等奖, then 二等奖 follows.
    startAction(s)->trigger();
    QCOMPARE(notification(s)->lines(), QStringList{"一等奖\r"});
    QVERIFY(firstTilesShown(s, 11));
    QTRY_VERIFY(rowsRolled(s, 1));
    stopAction(s)->trigger();
    QVERIFY(!s.winnerLog().constLast().number.isEmpty());
    QCOMPARE(s.winnerLog().constLast().prizeNumber, 1);
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"), QStringList{"3"});
    startAction(s)->trigger();
    QCOMPARE(notification(s)->lines(), QStringList{"二等奖\r"});
    s.engine().halt();
}

// From the results page: the win is voided with a reason, listed as voided, and the next
// opening offers to go on with the draw to fill the place.
void TestDrawScreen::voidOnTheResultsPage()
{
    Installation inst;
    inst.db.addManyParticipants(20);
    inst.db.addPrizes(WorkedExample);
    const QStringList won = interruptedDraw(*inst.connection, 6);
    {
        FakeDrawSurface surface;
        DrawEngine engine(&surface, *inst.connection);
        engine.continueDraw(1);
        engine.finishDraw();
    }
    ScriptedDialogs dialogs;
    dialogs.textAnswers = {QStringLiteral("人不在场")};
    FakeSoundPlayer sounds;
    MainWindow w(*inst.connection);
    auto *grid = w.findChild<GridView *>(QStringLiteral("resultGrid"));
    QCOMPARE(gridColumn(resultGrid(w), 3), won);
    grid->setCurrentCell(3, 1); // the second winner of 二等奖
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("voidWinButton")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.size(), 2); // the reason asked, then done
    // The prize's standing winners fill its places in the order drawn, its last place is open,
    // and the voided win follows.
    QCOMPARE(gridColumn(resultGrid(w), 3), (QStringList{won.at(0), won.at(1), won.at(2), won.at(4), won.at(5),
                                                        won.at(6), QString(), won.at(3), won.at(7)}));
    QCOMPARE(gridColumn(resultGrid(w), 5).at(7), QStringLiteral("已作废（人不在场）"));
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"), QStringList{"8"});

    // The export says so in its last column.
    const QString file = inst.db.root() + QStringLiteral("/results.csv");
    dialogs.fileNames = {file};
    QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("exportResultsButton")), Qt::LeftButton);
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    QVERIFY2(text.contains(QStringLiteral("作废原因")) && text.contains(QStringLiteral(",人不在场")), qPrintable(text));

    // The next opening goes on with the draw for the open place: one round of 二等奖.
    dialogs.messages.clear();
    dialogs.answers = {true};
    runDraw(w, [&](DrawScreen &s) {
        startAction(s)->trigger();
        QCOMPARE(notification(s)->lines(), QStringList{"二等奖\r"});
        QVERIFY(firstTilesShown(s, 11));
        QTRY_VERIFY(rowsRolled(s, 1));
        stopAction(s)->trigger();
        startAction(s)->trigger(); // the draw is over again
    });
    QCOMPARE(dialogs.offeredButtons.size(), 1);
    QVERIFY(!gridColumn(resultGrid(w), 3).at(6).isEmpty());
    QCOMPARE(inst.db.column("select count(*) from Tab_CJ where ZT = '1'"), QStringList{"9"});
    QCOMPARE(inst.db.column("select coalesce(finished, 'open') from draws").size(), 1);
}

// The page says whether the record is intact, names an altered entry, and exports the record
// with its hashes.
void TestDrawScreen::recordCheckedAndExported()
{
    Installation inst;
    inst.db.addManyParticipants(20);
    inst.db.addPrizes(WorkedExample);
    interruptedDraw(*inst.connection, 3);
    ScriptedDialogs dialogs;
    const auto status = [](const MainWindow &window) {
        return window.findChild<QLabel *>(QStringLiteral("recordStatus"))->text();
    };
    {
        MainWindow w(*inst.connection);
        QVERIFY2(status(w).contains(QStringLiteral("记录完整")), qPrintable(status(w)));
        const QString file = inst.db.root() + QStringLiteral("/record.csv");
        dialogs.fileNames = {file};
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("exportRecordButton")), Qt::LeftButton);
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), 1 + 4); // the header and four wins
    }
    // Someone changes a winner's name in the file, triggers and all.
    inst.db.exec(
        QStringLiteral("drop trigger draw_entries_fixed; update draw_entries set name = '某人' where seq = 2"));
    MainWindow w(*inst.connection);
    QVERIFY2(status(w).contains(QStringLiteral("被改动过")) && status(w).contains(QStringLiteral("第 2、3、4 条")),
             qPrintable(status(w)));
}

void TestDrawScreen::namesAtTheReveal_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("hideDigits");
    QTest::addColumn<QString>("screenKey"); // the stored screen; one that is not there is no error
    QTest::newRow("three rows") << 3 << false << "";
    QTest::newRow("thirty rows in three columns") << 30 << false << "";
    QTest::newRow("numbers kept from the audience") << 3 << true << "";
    QTest::newRow("a screen that is gone") << 3 << false << "HDMI-9";
}

// At the stop each row shows its winner's name beside the number, readable from afar; the
// rows of a large round stand in columns, each mirrored on its own.
void TestDrawScreen::namesAtTheReveal()
{
    QFETCH(int, rows);
    QFETCH(bool, hideDigits);
    QFETCH(QString, screenKey);
    Installation inst;
    inst.db.addManyParticipants(60);
    inst.db.addPrizes({{"一等奖", QString::number(rows), QString::number(rows), "", ""}});
    QFile ini(inst.db.settingsFile());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(
        QStringLiteral("[System]\r\nHideDigits=%1\r\nScreen=%2\r\n").arg(hideDigits ? "1" : "0", screenKey).toUtf8());
    ini.close();
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    DrawScreen s(*inst.connection);
    QCOMPARE(dialogs.messages.size(), 0);
    QCOMPARE(s.geometry(), QGuiApplication::primaryScreen()->geometry());
    s.show();
    startAction(s)->trigger();
    QVERIFY(firstTilesShown(s, rows * 11));
    QTRY_VERIFY(rowsRolled(s, rows));
    stopAction(s)->trigger();
    const WinnerLog log = s.winnerLog();
    QCOMPARE(log.size(), rows);
    const StageLayout layout(s.size(), rows, s.font().family());
    for (int row = 0; row < rows; ++row) {
        const QString phone = log.at(row).number; // winners are logged in the order of their rows
        const QString name = inst.db.column("select Name from Tab_CJ where Tel = '" + phone + "'").first();
        QCOMPARE(rowText(s, row), hideDigits ? phone.left(3) + "****" + phone.mid(7) : phone);
        auto *label = s.findChild<QLabel *>(QStringLiteral("name%1").arg(row));
        QVERIFY(label && label->isVisible());
        QCOMPARE(label->text(), name);
        QCOMPARE(label->accessibleName(), name);
        QCOMPARE(label->geometry(), layout.nameRect(row));
        QVERIFY(label->font().pixelSize() >= tiles(s).first()->captionFont().pixelSize());
        // The name stands beside its own row, in the row's column.
        QCOMPARE(label->geometry().top(), layout.rowRect(row).top());
        QVERIFY(label->geometry().left() > layout.rowRect(row).right());
    }
    // The notification lists the whole numbers, whatever the tiles show, below the rows.
    QCOMPARE(notification(s)->lines().at(1).left(11), log.at(0).number);
    QVERIFY(notification(s)->frameGeometry().top() >
            s.mapToGlobal(layout.rowRect(qMin(rows, RowsPerColumn) - 1).bottomLeft()).y());
    // The next round starts with no names.
    s.engine().halt();
}

QTEST_MAIN(TestDrawScreen)
#include "tst_drawscreen.moc"
