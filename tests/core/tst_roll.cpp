// The roll and the stop, against a fake screen and a throwaway database: masking, the keyed
// order, which row shows whom and who wins, eligibility, and failures on either thread.

#include "FakeDrawSurface.h"
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/draw/DrawEngine.h"
#include "core/draw/PhoneMask.h"
#include "core/draw/RevealOrder.h"
#include "core/draw/RollOrder.h"
#include "core/draw/RollWorker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <sqlite3.h>

class TestRoll final : public QObject
{
    Q_OBJECT

private slots:
    void maskPhone_data();
    void maskPhone();
    void sipHashReferenceVectors_data();
    void sipHashReferenceVectors();
    void rollOrderIsAKeyedPermutation_data();
    void rollOrderIsAKeyedPermutation();
    void rollAndStop_data();
    void rollAndStop();
    void onlyUndrawnNumbersRollOnce();
    void roundWithoutRows_data();
    void roundWithoutRows();
    void stopWithoutRound();
    void exitHaltsWithoutRecording();
    void workerDatabaseFailureIsReported();
    void stopThatCannotWriteRevealsNothing();
    void stopWhileAnotherProgramWrites();
    void largeRoundRevealsPerColumn();
    void rowsReachTheScreenThroughTheEventLoop();
    void workedExampleWholeDraw();
};

namespace {

const RollKey TestKey{0x0123456789abcdefULL, 0xfedcba9876543210ULL};

QString number(int i)
{
    return QString::number(13900000000LL + i);
}

/// Participants 13900000001 ... with names 人1 ...; returns their numbers.
QStringList addParticipants(TestDb &db, int n)
{
    QList<QStringList> rows;
    QStringList numbers;
    for (int i = 1; i <= n; ++i) {
        numbers << number(i);
        rows.append({number(i), QStringLiteral("人%1").arg(i), QString()});
    }
    db.addParticipants(rows);
    return numbers;
}

/// The numbers addParticipants() gives @p n participants.
QStringList addParticipantsNumbers(int n)
{
    QStringList numbers;
    for (int i = 1; i <= n; ++i)
        numbers << number(i);
    return numbers;
}

/// The numbers in the order a pass of the round with that key shows them.
QStringList inRollOrder(const QStringList &numbers, const RollKey &key = TestKey)
{
    RollPass pass(key);
    for (const QString &number : numbers) {
        const QByteArray utf8 = number.toUtf8();
        pass.add(utf8.constData(), utf8.size());
    }
    pass.putInOrder();
    QStringList ordered;
    for (qsizetype i = 0; i < pass.size(); ++i)
        ordered << pass.number(i);
    return ordered;
}

quint64 rank(const QString &number)
{
    const QByteArray utf8 = number.toUtf8();
    return sipHash24(TestKey, utf8.constData(), utf8.size());
}

/// Lets the roll run until it has handed over @p rows rows, stopping it at that row.
void stopAtRow(DrawEngine &engine, FakeDrawSurface &surface, int rows)
{
    const qsizetype before = surface.rows.size();
    surface.onRow = [&engine, &surface, before, rows](int, const QString &) {
        if (surface.rows.size() - before == rows)
            engine.worker()->requestStop();
    };
    engine.worker()->waitForEnd();
    surface.onRow = nullptr;
}

} // namespace

void TestRoll::maskPhone_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("masked");
    QTest::addColumn<QString>("rollCaptions");   // the eleven tiles while rolling
    QTest::addColumn<QString>("revealCaptions"); // and when revealed

    QTest::newRow("11 characters") << "abcdefghijk"
                                   << "abcd***hijk"
                                   << "a|b|c|d|*|*|*|h|i|j|k"
                                   << "a|b|c|d|e|f|g|h|i|j|k";
    QTest::newRow("7 characters") << "abcdefg"
                                  << "abcd***"
                                  << "a|b|c|d|*|*|*||||"
                                  << "a|b|c|d|e|f|g||||";
    QTest::newRow("leading blank counts") << " abcdefghijk"
                                          << "abc***ghijk"
                                          << "a|b|c|*|*|*|g|h|i|j|k"
                                          << " |a|b|c|d|e|f|g|h|i|j";
    QTest::newRow("shorter than the mask") << "abcde"
                                           << "abcd*"
                                           << "a|b|c|d|*||||||"
                                           << "a|b|c|d|e||||||";
    QTest::newRow("blanks inside the mask vanish") << "abcd   \t"
                                                   << "abcd***"
                                                   << "a|b|c|d|*|*|*||||"
                                                   << "a|b|c|d| | | |\t|||";
    QTest::newRow("empty") << ""
                           << ""
                           << "||||||||||"
                           << "||||||||||";
}

void TestRoll::maskPhone()
{
    QFETCH(QString, number);
    QFETCH(QString, masked);
    QFETCH(QString, rollCaptions);
    QFETCH(QString, revealCaptions);

    QCOMPARE(maskedPhone(number), masked);
    QStringList roll, reveal;
    for (int column = 0; column < TilesPerRow; ++column) {
        roll << tileCaption(masked, column);
        reveal << tileCaption(number, column);
    }
    QCOMPARE(roll.join(QLatin1Char('|')), rollCaptions);
    QCOMPARE(reveal.join(QLatin1Char('|')), revealCaptions);
}

// The reference implementation's vectors: key 00 01 .. 0f, message 00 01 .. (length - 1).
void TestRoll::sipHashReferenceVectors_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<quint64>("hash");
    QTest::newRow("empty") << 0 << quint64(0x726fdb47dd0e0e31ULL);
    QTest::newRow("1 byte") << 1 << quint64(0x74f839c593dc67fdULL);
    QTest::newRow("8 bytes") << 8 << quint64(0x93f5f5799a932462ULL);
    QTest::newRow("15 bytes") << 15 << quint64(0xa129ca6149be45e5ULL);
}

void TestRoll::sipHashReferenceVectors()
{
    QFETCH(int, length);
    QFETCH(quint64, hash);
    const RollKey key{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    QByteArray message;
    for (int i = 0; i < length; ++i)
        message.append(char(i));
    QCOMPARE(sipHash24(key, message.constData(), message.size()), hash);
}

void TestRoll::rollOrderIsAKeyedPermutation_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("a few") << 50;
    QTest::newRow("enough to order by buckets") << 3000;
}

void TestRoll::rollOrderIsAKeyedPermutation()
{
    QFETCH(int, count);
    QStringList numbers;
    for (int i = 0; i < count; ++i)
        numbers << number(i);
    const QStringList ordered = inRollOrder(numbers);

    // Every number once, whatever order the table gave them in, repeats and blanks dropped.
    QStringList scrambled = numbers;
    std::reverse(scrambled.begin(), scrambled.end());
    scrambled << numbers.at(7) << numbers.at(7) << QString() << QStringLiteral(" \t");
    QCOMPARE(inRollOrder(scrambled), ordered);
    QStringList sorted = ordered;
    sorted.sort();
    QCOMPARE(sorted, numbers);
    for (qsizetype i = 1; i < ordered.size(); ++i)
        QVERIFY(rank(ordered.at(i - 1)) < rank(ordered.at(i)));

    // Not the table's order, and another key gives another order.
    QVERIFY(ordered != numbers);
    QVERIFY(inRollOrder(numbers, RollKey{TestKey.k0, TestKey.k1 + 1}) != ordered);
    QVERIFY(inRollOrder(numbers, RollKey::fromSystem()) != ordered);
}

// Rolls participants 1..n (in the order O of the test key) on `rows` rows, asks for the stop
// when the roll has shown `stopAt` rows (0: at once), then stops. Expected values name
// places in O: "row:place" per row update, winners in slot order, "-" for an empty slot.
void TestRoll::rollAndStop_data()
{
    QTest::addColumn<int>("participants");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<QString>("rolled");
    QTest::addColumn<QString>("revealed");
    QTest::addColumn<QString>("winners");

    // clang-format off
    QTest::newRow("five on three rows, stopped after the fifth")
        << 5 << 3 << 5 << "0:0 1:1 2:2 0:3 1:4"     << "0:2 1:4 2:3" << "2 4 3";
    QTest::newRow("next pass starts again on row 0")
        << 5 << 3 << 6 << "0:0 1:1 2:2 0:3 1:4 0:0" << "0:2 1:4 2:0" << "2 4 0";
    QTest::newRow("stop at once waits for every row")
        << 5 << 3 << 0 << "0:0 1:1 2:2"             << "0:2 1:1 2:0" << "2 1 0";
    QTest::newRow("stop inside the first rows waits for the rest")
        << 5 << 3 << 1 << "0:0 1:1 2:2"             << "0:2 1:1 2:0" << "2 1 0";
    QTest::newRow("one row")
        << 5 << 1 << 4 << "0:0 0:1 0:2 0:3"         << "0:3"         << "3";
    QTest::newRow("fewer participants than rows yield them all")
        << 2 << 3 << 0 << "0:0 1:1"                 << "0:- 1:1 2:0" << "1 0";
    QTest::newRow("nobody to draw")
        << 0 << 2 << 0 << ""                        << "0:- 1:-"     << "";
    // clang-format on
}

void TestRoll::rollAndStop()
{
    QFETCH(int, participants);
    QFETCH(int, rows);
    QFETCH(int, stopAt);
    QFETCH(QString, rolled);
    QFETCH(QString, revealed);
    QFETCH(QString, winners);

    TestDb db;
    const QStringList order = inRollOrder(addParticipants(db, participants));
    const auto at = [&order](const QString &place) {
        return place == QLatin1String("-") ? QString() : order.at(place.toInt());
    };

    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.setKeySource([] { return TestKey; });
    engine.startRound(rows);
    if (stopAt > 0)
        stopAtRow(engine, surface, stopAt);
    engine.stop();
    const qsizetype rolledRows = surface.rows.size() - rows; // the reveal writes every row once

    QStringList expectedRolled, actualRolled;
    for (const QString &update : rolled.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = update.split(QLatin1Char(':'));
        expectedRolled << parts.at(0) + QLatin1Char(':') + maskedPhone(at(parts.at(1)));
    }
    for (qsizetype i = 0; i < rolledRows; ++i)
        actualRolled << QString::number(surface.rows.at(i).row) + QLatin1Char(':') + surface.rows.at(i).text;
    QCOMPARE(actualRolled, expectedRolled);

    QStringList expectedRevealed, actualRevealed;
    for (const QString &update : revealed.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = update.split(QLatin1Char(':'));
        expectedRevealed << parts.at(0) + QLatin1Char(':') + at(parts.at(1));
    }
    for (qsizetype i = rolledRows; i < surface.rows.size(); ++i)
        actualRevealed << QString::number(surface.rows.at(i).row) + QLatin1Char(':') + surface.rows.at(i).text;
    QCOMPARE(actualRevealed, expectedRevealed);

    QStringList expectedWinners, expectedLines, loggedWinners;
    for (const QString &place : winners.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        expectedWinners << at(place);
        expectedLines << at(place) +
                             QStringLiteral("      人%1\r").arg(participants > 0 ? at(place).right(2).toInt() : 0);
    }
    for (const WinnerEntry &entry : engine.winnerLog())
        loggedWinners << entry.number;
    QCOMPARE(loggedWinners, expectedWinners);
    QCOMPARE(surface.lines, expectedLines);
    QCOMPARE(surface.calls.first(), QStringLiteral("music"));
    QCOMPARE(surface.calls.last(), QStringLiteral("show"));

    QStringList drawn = db.column(QStringLiteral("select Tel from Tab_CJ where ZT = '1'"));
    drawn.sort();
    expectedWinners.sort();
    QCOMPARE(drawn, expectedWinners);
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is not null and ZT <> '1'")),
             QStringList{QStringLiteral("0")});
    for (const QString &slot : engine.lastShown())
        QVERIFY(slot.isEmpty());
}

void TestRoll::onlyUndrawnNumbersRollOnce()
{
    TestDb db;
    db.addParticipants({
        {number(1), QStringLiteral("甲"), QString()},
        {number(1), QStringLiteral("甲的另一行"), QString()}, // the same number twice
        {number(2), QStringLiteral("乙"), QString()},         // won before, see below
        {number(2), QStringLiteral("乙的另一行"), QString()}, // undrawn row of a drawn number
        {number(3), QStringLiteral("丙"), QString()},         // empty text mark
        {QString(), QStringLiteral("无号"), QString()},
        {QStringLiteral("   "), QStringLiteral("空号"), QString()},
        {QString(), QStringLiteral("无号已中"), QString()}, // drawn row without a number
        {number(7), QStringLiteral("丁"), QString()},
    });
    db.exec(QStringLiteral("update Tab_CJ set ZT = '1' where xh in (3, 8)"));
    db.exec(QStringLiteral("update Tab_CJ set ZT = '' where xh = 5"));
    db.exec(QStringLiteral("update Tab_CJ set Tel = null where xh in (6, 8)"));

    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.startRound(3);
    stopAtRow(engine, surface, 6); // three passes over the two who may win
    const QStringList rolled = surface.rowTexts();
    engine.stop();

    const QStringList onePass = rolled.mid(0, 2);
    QCOMPARE(QSet<QString>(onePass.begin(), onePass.end()),
             QSet<QString>({maskedPhone(number(1)), maskedPhone(number(7))}));
    QCOMPARE(rolled, onePass + onePass + onePass);

    QCOMPARE(engine.winnerLog().size(), 2);
    QStringList lines = surface.lines;
    lines.sort();
    QCOMPARE(lines, QStringList({number(1) + QStringLiteral("      甲\r"), number(7) + QStringLiteral("      丁\r")}));
    QCOMPARE(db.column(QStringLiteral("select xh from Tab_CJ where ZT = '1' order by xh")),
             QStringList({"1", "2", "3", "8", "9"}));

    // The next round has nobody left: it yields nobody and its stop still ends.
    surface.clear();
    engine.startRound(1);
    engine.stop();
    QVERIFY(surface.rowTexts() == QStringList{QString()});
    QCOMPARE(engine.winnerLog().size(), 2);
    QCOMPARE(surface.calls, QStringList({"music", "show"}));
}

void TestRoll::roundWithoutRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("stopWhileWarningShows");
    QTest::newRow("0 rows") << 0 << false;
    QTest::newRow("negative rows") << -2 << false;
    QTest::newRow("stop while the warning shows") << 0 << true;
}

void TestRoll::roundWithoutRows()
{
    QFETCH(int, rows);
    QFETCH(bool, stopWhileWarningShows);
    TestDb db;
    addParticipants(db, 3);
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    if (stopWhileWarningShows) {
        // The message box runs its own loop; the operator's stop comes from inside it.
        QEventLoop loop;
        surface.onWarning = [&engine, &loop] {
            engine.stop();
            loop.quit();
        };
        engine.startRound(rows);
        loop.exec();
    } else {
        engine.startRound(rows);
        engine.stop();
    }

    QCOMPARE(surface.warnings, (QList<QPair<QString, QString>>{{"抽奖人数必须大于0!", "提示!"}}));
    QVERIFY(surface.rows.isEmpty());
    QVERIFY(engine.winnerLog().isEmpty());
    QCOMPARE(surface.calls, QStringList({"music", "show"}));
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is not null")), QStringList{"0"});
}

void TestRoll::stopWithoutRound()
{
    TestDb db;
    addParticipants(db, 3);
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.stop();
    QVERIFY(surface.rows.isEmpty());
    QCOMPARE(surface.calls, QStringList({"music", "show"}));

    // A second stop after a round (a start action that began no round) reveals nothing again.
    engine.startRound(1);
    engine.stop();
    surface.clear();
    engine.stop();
    QVERIFY(surface.rows.isEmpty());
    QCOMPARE(engine.winnerLog().size(), 1);
    QCOMPARE(surface.calls, QStringList({"music", "show"}));
}

void TestRoll::exitHaltsWithoutRecording()
{
    TestDb db;
    addParticipants(db, 5);
    FakeDrawSurface surface;
    {
        Database connection(db.dbFile());
        DrawEngine engine(&surface, connection);
        engine.startRound(2);
        stopAtRow(engine, surface, 3);
        // A new round halts the one before it; the exit halts the new one.
        engine.startRound(2);
        QVERIFY(engine.isRolling());
        engine.halt();
        QVERIFY(!engine.isRolling());
        QVERIFY(engine.winnerLog().isEmpty());

        // Closing the screen while a round rolls and a row waits ends the worker too.
        engine.startRound(3);
        while (!engine.worker()->isHandoverWaiting())
            QThread::yieldCurrentThread();
    }
    QVERIFY(surface.calls.isEmpty());
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is not null")), QStringList{"0"});
}

void TestRoll::workerDatabaseFailureIsReported()
{
    TestDb db;
    const QStringList order = inRollOrder(addParticipants(db, 5));
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.setKeySource([] { return TestKey; });
    engine.startRound(2);
    // While the third row waits, the table goes away: the pass in hand still shows, the next
    // pass's query fails and the worker ends, telling the screen why.
    surface.onRow = [&db, &surface](int, const QString &) {
        if (surface.rows.size() == 3)
            db.exec(QStringLiteral("alter table Tab_CJ rename to Tab_Gone"));
    };
    engine.worker()->waitForEnd();
    QVERIFY(!engine.isRolling());
    QVERIFY(surface.warnings.isEmpty());
    QCOMPARE(surface.failures.size(), 1);
    QVERIFY2(surface.failures.first().contains(QLatin1String("Tab_CJ")), qPrintable(surface.failures.first()));
    QCOMPARE(surface.rows.size(), 5);

    // The stop records what the rows last showed.
    db.exec(QStringLiteral("alter table Tab_Gone rename to Tab_CJ"));
    engine.stop();
    QCOMPARE(engine.winnerLog(), WinnerLog({{order.at(3), 0}, {order.at(4), 0}}));
}

void TestRoll::stopThatCannotWriteRevealsNothing()
{
    TestDb db;
    addParticipants(db, 4);
    // The second mark of the stop fails: the first must not stay written either.
    db.exec(QStringLiteral("create trigger fail_second_mark before update on Tab_CJ "
                           "when (select count(*) from Tab_CJ where ZT is not null) >= 1 "
                           "begin select raise(abort, 'disk I/O error'); end"));
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.startRound(3);
    stopAtRow(engine, surface, 5);
    const qsizetype rolled = surface.rows.size();
    try {
        engine.stop();
        QFAIL("the stop went through");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.engineText(), QStringLiteral("disk I/O error"));
    }
    // Nobody marked, logged, listed or revealed; no win music; the round rolls on.
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is not null")), QStringList{"0"});
    QVERIFY(engine.winnerLog().isEmpty());
    QVERIFY(surface.lines.isEmpty());
    QVERIFY(surface.calls.isEmpty());
    for (qsizetype i = rolled; i < surface.rows.size(); ++i)
        QVERIFY2(surface.rows.at(i).text.contains(QLatin1String("***")), qPrintable(surface.rows.at(i).text));
    QVERIFY(engine.isRolling());

    // The next stop, with the database working again, records the round in full.
    db.exec(QStringLiteral("drop trigger fail_second_mark"));
    stopAtRow(engine, surface, 5);
    engine.stop();
    QCOMPARE(engine.winnerLog().size(), 3);
    QCOMPARE(surface.lines.size(), 3);
    QCOMPARE(surface.calls, (QStringList{"music", "line", "line", "line", "show"}));
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT = '1'")), QStringList{"3"});
}

// Another program holds the database when the stop comes: the stop gives up after a second,
// reveals nothing and the round rolls on; the next stop, once the database is free, records.
void TestRoll::stopWhileAnotherProgramWrites()
{
    TestDb db;
    addParticipants(db, 6);
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.startRound(2);
    stopAtRow(engine, surface, 4);
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(db.dbFile()).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer waited;
    waited.start();
    QVERIFY_THROWS_EXCEPTION(DatabaseError, engine.stop());
    QVERIFY2(waited.elapsed() < 4000, "the stop waited the full busy timeout");
    QVERIFY(surface.calls.isEmpty());
    QVERIFY(engine.isRolling());
    QCOMPARE(connection.busyTimeout(), 5000);
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    stopAtRow(engine, surface, 4);
    engine.stop();
    QCOMPARE(engine.winnerLog().size(), 2);
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT = '1'")), QStringList{"2"});
}

// A round of more than ten rows stands in columns: each winner comes out on its rolled row's
// mirror within the same column, and the log lists the winners in the order of their rows.
void TestRoll::largeRoundRevealsPerColumn()
{
    constexpr int Rows = 23;
    TestDb db;
    addParticipants(db, Rows);
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.setKeySource([] { return TestKey; });
    engine.startRound(Rows);
    stopAtRow(engine, surface, Rows); // one whole pass: row k shows the k-th of the order
    const QList<FakeDrawSurface::Row> rolled = surface.rows;
    engine.stop();
    const QStringList order = inRollOrder(addParticipantsNumbers(Rows));
    QCOMPARE(rolled.size(), Rows);
    for (int k = 0; k < Rows; ++k) {
        const int revealedOn = revealRowOf(k, Rows);
        QCOMPARE(revealedOn / RowsPerColumn, k / RowsPerColumn);
        QCOMPARE(surface.tiles.value(revealedOn), order.at(k));
        QCOMPARE(engine.winnerLog().at(revealedOn).number, order.at(k));
    }
}

void TestRoll::rowsReachTheScreenThroughTheEventLoop()
{
    TestDb db;
    addParticipants(db, 4);
    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    engine.startRound(2);
    // The UI thread only runs its event loop: the queued hand-overs drive the roll.
    QEventLoop loop;
    surface.onRow = [&loop, &surface](int, const QString &) {
        if (surface.rows.size() == 10)
            loop.quit();
    };
    loop.exec();
    surface.onRow = nullptr;
    QVERIFY(engine.isRolling());
    engine.stop();
    QVERIFY(!engine.isRolling());
    QCOMPARE(engine.winnerLog().size(), 2);
}

// Three prizes (2, 1), (5, 2), (1, 1) drawn through the engine alone, as the screen calls it.
void TestRoll::workedExampleWholeDraw()
{
    TestDb db;
    const QStringList numbers = addParticipants(db, 20);
    db.addPrizes({{"一等奖", "2", "1", "", ""}, {"二等奖", "5", "2", "", ""}, {"三等奖", "1", "1", "", ""}});

    FakeDrawSurface surface;
    Database connection(db.dbFile());
    DrawEngine engine(&surface, connection);
    QRandomGenerator keys(2024);
    engine.setKeySource([&keys] { return RollKey{keys.generate64(), keys.generate64()}; });
    engine.loadPlan(10);

    QList<int> roundRows;
    QList<int> logPrizes;
    int startActions = 0;
    for (;;) {
        ++startActions;
        if (engine.schedule().isOver())
            break;
        const QString prizeLine = engine.schedule().prizeName(engine.schedule().currentPrize() + 1) + QLatin1Char('\r');
        surface.clear();
        surface.lines << prizeLine;
        QVERIFY(engine.schedule().beginRound() == RoundOutcome::RoundBegun);
        const int rows = engine.schedule().roundRows();
        roundRows << rows;
        engine.startRound(rows);
        stopAtRow(engine, surface, 7 * startActions); // some stops in the first pass, some later
        const qsizetype rolled = surface.rows.size();
        const qsizetype logged = engine.winnerLog().size();
        engine.stop();

        // Each winner is revealed on the rows, listed under the prize and logged for it.
        const WinnerLog log = engine.winnerLog();
        QCOMPARE(log.size(), logged + rows);
        QStringList expectedLines{prizeLine};
        for (int s = 1; s <= rows; ++s) {
            const WinnerEntry &entry = log.at(logged + s - 1);
            logPrizes << entry.prizeNumber;
            QCOMPARE(surface.rows.at(rolled + s - 1).row, s - 1);
            QCOMPARE(surface.rows.at(rolled + s - 1).text, entry.number);
            expectedLines << entry.number + QStringLiteral("      人%1\r").arg(numbers.indexOf(entry.number) + 1);
        }
        QCOMPARE(surface.lines, expectedLines);
        QCOMPARE(surface.calls.last(), QStringLiteral("show"));
    }
    QCOMPARE(startActions, 7);
    QCOMPARE(roundRows, QList<int>({1, 1, 2, 2, 1, 1}));
    QCOMPARE(logPrizes, QList<int>({1, 1, 2, 2, 2, 2, 2, 3}));

    QStringList logged;
    for (const WinnerEntry &entry : engine.winnerLog())
        logged << entry.number;
    QCOMPARE(QSet<QString>(logged.begin(), logged.end()).size(), 8);
    QStringList drawn = db.column(QStringLiteral("select Tel from Tab_CJ where ZT = '1'"));
    drawn.sort();
    logged.sort();
    QCOMPARE(drawn, logged);
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is null")), QStringList{"12"});
}

QTEST_GUILESS_MAIN(TestRoll)
#include "tst_roll.moc"
