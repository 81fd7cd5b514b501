// The roll under load: thousands of start/stop cycles with stops at random moments, and the
// winners' spread over many seeded rounds. Both are repeatable: every random choice comes
// from a fixed seed, round keys included.

#include "FakeDrawSurface.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/draw/DrawEngine.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/PhoneMask.h"
#include "core/draw/RollWorker.h"

#include <QCoreApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <array>
#include <memory>

class TestRollStress final : public QObject
{
    Q_OBJECT

private slots:
    void startStopCycles();
    void winnersAreUniform_data();
    void winnersAreUniform();
};

namespace {

constexpr qint64 FirstNumber = 13800000000LL; // TestDb::addManyParticipants numbers from here

RollKeySource seededKeys(QRandomGenerator &random)
{
    return [&random] { return RollKey{random.generate64(), random.generate64()}; };
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The program's own connection is open for its whole run while every round's worker opens and
// closes one of its own. Were a worker's the only connection, each close would checkpoint the
// database and remove its write-ahead log, which would take most of the test's time.

} // namespace

// Each cycle starts a round of 1 to 3 rows and ends it one of four ways: a stop at once, a
// stop after the event loop has applied some rows, a stop that arrives while the worker
// waits on a row, or the exit's halt. Nobody may be recorded twice in one opening of the
// screen, nobody drawn may roll again, and no cycle may hang.
void TestRollStress::startStopCycles()
{
    constexpr int Cycles = 10000;
    constexpr int Participants = 300;
    TestDb db;
    db.addManyParticipants(Participants);
    Database connection(db.dbFile());
    // Digits 5 to 7 of every number are "000", so the masked text still tells them apart.
    QHash<QString, QString> numberOfMask;
    for (int i = 0; i < Participants; ++i) {
        const QString number = QString::number(FirstNumber + i);
        numberOfMask.insert(maskedPhone(number), number);
    }

    QRandomGenerator random(20240611);
    FakeDrawSurface surface;
    std::unique_ptr<DrawEngine> engine;
    QSet<QString> drawn; // in this opening of the screen
    const auto verifyDatabase = [&db, &drawn] {
        const QStringList marked = db.column(QStringLiteral("select Tel from Tab_CJ where ZT = '1'"));
        QCOMPARE(sorted(marked), sorted(QStringList(drawn.begin(), drawn.end())));
    };
    int halted = 0;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        if (!engine || Participants - drawn.size() < 3) {
            // A new opening of the screen over a fresh participant table.
            if (engine) {
                verifyDatabase();
                if (QTest::currentTestFailed())
                    return;
            }
            engine = std::make_unique<DrawEngine>(&surface, connection);
            engine->setKeySource(seededKeys(random));
            db.exec(QStringLiteral("update Tab_CJ set ZT = null"));
            drawn.clear();
        }
        const int rows = random.bounded(1, 4);
        const qsizetype logged = engine->winnerLog().size();
        surface.clear();
        engine->startRound(rows);

        const int way = random.bounded(4);
        if (way == 1) {
            for (int i = random.bounded(20); i > 0; --i)
                QCoreApplication::processEvents();
        } else if (way == 2) {
            for (int i = random.bounded(3); i > 0; --i)
                QCoreApplication::processEvents();
            while (!engine->worker()->isHandoverWaiting() && !engine->worker()->hasEnded())
                QThread::yieldCurrentThread();
        }
        if (way == 3) {
            engine->halt();
            ++halted;
        } else {
            engine->stop();
        }

        for (const FakeDrawSurface::Row &row : std::as_const(surface.rows)) {
            if (row.text.contains(QLatin1Char('*')))
                QVERIFY2(!drawn.contains(numberOfMask.value(row.text)), qPrintable(row.text));
        }
        const WinnerLog log = engine->winnerLog();
        QCOMPARE(log.size(), logged + (way == 3 ? 0 : rows));
        for (qsizetype i = logged; i < log.size(); ++i) {
            QVERIFY2(!drawn.contains(log.at(i).number), qPrintable(log.at(i).number));
            drawn.insert(log.at(i).number);
        }
    }
    verifyDatabase();
    QVERIFY(halted > Cycles / 8);
}

namespace {

/// Asks its worker to stop when the given row has been shown, as an operator would.
class StoppingSink final : public RollSink
{
public:
    void showTileRow(int, const QString &) override
    {
        if (++shown == stopAt)
            worker->requestStop();
    }
    void showWarning(const QString &, const QString &) override {}
    void rollFailed(const QString &) override {}

    RollWorker *worker = nullptr;
    int stopAt = 0;
    int shown = 0;
};

/// Critical values of chi-square at p = 0.001.
double chiSquareBound(int degreesOfFreedom)
{
    switch (degreesOfFreedom) {
    case 4:
        return 18.467;
    case 9:
        return 27.877;
    }
    qFatal("no bound for %d degrees of freedom", degreesOfFreedom);
}

} // namespace

// Rounds are rolled by the real worker over a real table, with stops after a seeded number of
// rows, most of them well inside the first pass. Winners are counted per bucket of table
// positions; in table order early stops would fill the first bucket only.
void TestRollStress::winnersAreUniform_data()
{
    QTest::addColumn<int>("participants");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("latestStop"); // stops come after 1 to latestStop rows
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("buckets");

    QTest::newRow("10, stops over several passes") << 10 << 3 << 40 << 1000 << 10;
    QTest::newRow("1,000, stops in the first tenth") << 1000 << 1 << 100 << 1000 << 10;
    QTest::newRow("100,000, stops in the first hundredth") << 100000 << 2 << 1000 << 100 << 5;
}

void TestRollStress::winnersAreUniform()
{
    QFETCH(int, participants);
    QFETCH(int, rows);
    QFETCH(int, latestStop);
    QFETCH(int, rounds);
    QFETCH(int, buckets);

    TestDb db;
    db.addManyParticipants(participants);
    const Database programConnection(db.dbFile());
    QRandomGenerator random(7 + participants);
    QList<int> counts(buckets, 0);
    for (int round = 0; round < rounds; ++round) {
        std::array<QString, RollWorker::MaxRoundRows + 1> lastShown;
        StoppingSink sink;
        RollWorker worker(db.dbFile(), rows, lastShown.data(), &sink,
                          RollKey{random.generate64(), random.generate64()});
        sink.worker = &worker;
        sink.stopAt = random.bounded(1, latestStop + 1);
        worker.start();
        worker.waitForEnd();
        for (int s = 1; s <= rows; ++s) {
            const qint64 position = lastShown[s].toLongLong() - FirstNumber;
            QVERIFY2(position >= 0 && position < participants, qPrintable(lastShown[s]));
            ++counts[int(position * buckets / participants)];
        }
    }

    const double expected = double(rounds) * rows / buckets;
    double chiSquare = 0;
    QStringList shown;
    for (int count : std::as_const(counts)) {
        chiSquare += (count - expected) * (count - expected) / expected;
        shown << QString::number(count);
    }
    QVERIFY2(
        chiSquare < chiSquareBound(buckets - 1),
        qPrintable(QStringLiteral("chi-square %1 over counts %2").arg(chiSquare).arg(shown.join(QLatin1Char(' ')))));
}

QTEST_GUILESS_MAIN(TestRollStress)
#include "tst_rollstress.moc"
