// Crash safety of the draw: a child process (crash_child) runs the worked example's draw and
// kills itself at a point of a stop, before, inside, during and after the commit of its
// winners and around their reveal. After each kill the database must hold a record that
// agrees with the drawn marks, names every winner the audience saw and reads the same on every
// restart; continued to the end, the draw must fill the places as an uninterrupted draw does.

#include "TestDb.h"
#include "core/data/Database.h"
#include "core/data/DrawRecordStore.h"

#include <QProcess>
#include <QSet>
#include <QTest>

#include <csignal>

class TestCrash final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedDrawContinues_data();
    void killedDrawContinues();

private:
    /// The uninterrupted draw's wins as "prize/round/phone", in record order.
    QStringList m_uninterrupted;
};

namespace {

constexpr quint64 Seed = 2024;

/// Where the child is killed, in the order a stop passes them; those before "committed" come
/// before the stop's winners are in the file.
const QStringList KillPoints = {"begin", "marked", "commit", "committed", "revealing", "revealed", "between"};

bool killedBeforeCommit(const QString &kill)
{
    return KillPoints.indexOf(kill.section(QLatin1Char('@'), 0, 0)) < KillPoints.indexOf(QLatin1String("committed"));
}

/// Three prizes (quantity, per round) = (2, 1), (5, 2), (1, 1): six rounds, eight winners.
void addWorkedExample(TestDb &db)
{
    QList<QStringList> people;
    for (int i = 1; i <= 20; ++i)
        people.append({QString::number(13900000000LL + i), QStringLiteral("人%1").arg(i), QStringLiteral("部门")});
    db.addParticipants(people);
    db.addPrizes(
        {{"一等奖", "2", "1", "笔记本电脑", ""}, {"二等奖", "5", "2", "耳机", ""}, {"三等奖", "1", "1", "水杯", ""}});
}

struct ChildRun
{
    QProcess::ExitStatus status = QProcess::NormalExit;
    int exitCode = -1;
    QStringList shown; // every phone the audience saw, on the tiles or in the notification
    QString output;    // stdout and stderr, for the failure message
};

ChildRun runChild(const QString &dbFile, const QString &mode, quint64 seed, const QString &kill = QString())
{
    QProcess child;
    QStringList args{dbFile, mode, QString::number(seed)};
    if (!kill.isEmpty())
        args << kill;
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/crash_child"), args);
    ChildRun run;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        run.output = QStringLiteral("the child did not end");
        return run;
    }
    run.status = child.exitStatus();
    run.exitCode = child.exitCode();
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("revealed ")) || line.startsWith(QLatin1String("listed ")))
            run.shown << line.section(QLatin1Char(' '), 1);
    }
    run.output = out + QString::fromUtf8(child.readAllStandardError());
    return run;
}

/// The latest draw's wins that stand, as a restart reads them: "prize/round/phone".
QStringList recordedWins(const QString &dbFile, std::optional<DrawInfo> *latest = nullptr)
{
    Database db(dbFile);
    DrawRecordStore record(db);
    const std::optional<DrawInfo> draw = record.latestDraw();
    if (latest)
        *latest = draw;
    QStringList wins;
    if (!draw)
        return wins;
    for (const RecordEntry &entry : record.entries(draw->id)) {
        if (!entry.isVoid() && !entry.voided)
            wins << QStringLiteral("%1/%2/%3").arg(entry.prizeNumber).arg(entry.round).arg(entry.phone);
    }
    return wins;
}

QStringList placesOf(const QStringList &wins)
{
    QStringList places;
    for (const QString &win : wins)
        places << win.section(QLatin1Char('/'), 0, 1);
    return places;
}

QStringList phonesOf(const QStringList &wins)
{
    QStringList phones;
    for (const QString &win : wins)
        phones << win.section(QLatin1Char('/'), 2);
    return phones;
}

/// How many wins the first @p rounds rounds of the draw record.
qsizetype winsOfRounds(const QStringList &wins, int rounds)
{
    const QStringList places = placesOf(wins);
    qsizetype n = 0;
    for (int begun = 0; n < places.size(); ++n) {
        if ((n == 0 || places.at(n) != places.at(n - 1)) && ++begun > rounds)
            break;
    }
    return n;
}

/// The drawn marks against the record of every draw: the same phones, each marked '1'.
void checkMarksAgreeWithRecord(TestDb &db)
{
    QStringList marked = db.column(QStringLiteral("select Tel from Tab_CJ where ZT = '1'"));
    QStringList won = db.column(QStringLiteral("select phone from draw_entries where kind = 'win' and voided = 0"));
    marked.sort();
    won.sort();
    QCOMPARE(marked, won);
    QCOMPARE(QSet<QString>(won.begin(), won.end()).size(), won.size());
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ where ZT is not null and ZT <> '1'")),
             QStringList{"0"});
}

/// What a restart after the crash finds: the record as the kill left it, the same at every
/// opening, with every winner shown to the audience on it.
void checkAfterCrash(TestDb &db, const QStringList &shown, const QStringList &expectedPlaces)
{
    std::optional<DrawInfo> draw;
    const QStringList first = recordedWins(db.dbFile(), &draw);
    QCOMPARE(recordedWins(db.dbFile()), first);
    const QStringList phones = phonesOf(first);
    for (const QString &phone : shown)
        QVERIFY2(phones.contains(phone), qPrintable(phone + QStringLiteral(" was shown and is not on record")));
    checkMarksAgreeWithRecord(db);
    if (QTest::currentTestFailed())
        return;
    if (draw) {
        QVERIFY2(draw->finished.isEmpty(), qPrintable(draw->finished));
        Database connection(db.dbFile());
        QVERIFY(DrawRecordStore(connection).check(draw->id).intact);
    }
    // The stop's winners are on record from its commit on, and the draw enters the record with
    // its first winners.
    QCOMPARE(placesOf(first), expectedPlaces);
    QCOMPARE(bool(draw), !expectedPlaces.isEmpty());
}

} // namespace

void TestCrash::initTestCase()
{
    TestDb db;
    addWorkedExample(db);
    const ChildRun run = runChild(db.dbFile(), QStringLiteral("new"), Seed);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(run.output));
    m_uninterrupted = recordedWins(db.dbFile());
    QCOMPARE(placesOf(m_uninterrupted), QStringList({"1/1", "1/2", "2/1", "2/1", "2/2", "2/2", "2/3", "3/1"}));
    QStringList shown = run.shown;
    shown.removeDuplicates();
    QCOMPARE(shown, phonesOf(m_uninterrupted));
    checkMarksAgreeWithRecord(db);
}

// Each run of the child is killed at "point@stop" (stops counted within that run); the next run
// continues the draw. After the last kill a run continues the draw to its end.
void TestCrash::killedDrawContinues_data()
{
    QTest::addColumn<QStringList>("kills");

    for (const int stop : {1, 3, 6}) {
        for (const QString &point : KillPoints) {
            const QString kill = point + QLatin1Char('@') + QString::number(stop);
            QTest::newRow(qPrintable(kill)) << QStringList{kill};
        }
    }
    // Killed again while continuing, before and after what the previous run left.
    QTest::newRow("between rounds, then in the commit, then between")
        << QStringList{"between@2", "commit@1", "between@2"};
    QTest::newRow("committed, then marked at once, then revealed last")
        << QStringList{"committed@3", "marked@1", "revealed@3"};
    QTest::newRow("revealing the first winner, twice") << QStringList{"revealing@1", "revealing@1"};
}

void TestCrash::killedDrawContinues()
{
    QFETCH(QStringList, kills);

    TestDb db;
    addWorkedExample(db);
    int roundsWritten = 0;
    QStringList shown;
    for (qsizetype run = 0; run < kills.size(); ++run) {
        const QString &kill = kills.at(run);
        const ChildRun child = runChild(db.dbFile(), run == 0 ? QStringLiteral("new") : QStringLiteral("continue"),
                                        Seed + quint64(run), kill);
        QVERIFY2(child.status == QProcess::CrashExit && child.exitCode == SIGKILL,
                 qPrintable(kill + QStringLiteral(": ") + child.output));
        const int stop = kill.section(QLatin1Char('@'), 1).toInt();
        roundsWritten += killedBeforeCommit(kill) ? stop - 1 : stop;
        shown << child.shown;

        const QStringList expected = m_uninterrupted.mid(0, winsOfRounds(m_uninterrupted, roundsWritten));
        checkAfterCrash(db, shown, placesOf(expected));
        if (QTest::currentTestFailed())
            return;
        // Until a run continues with other keys, the winners are the uninterrupted draw's.
        if (run == 0)
            QCOMPARE(recordedWins(db.dbFile()), expected);
    }

    const ChildRun last = runChild(db.dbFile(), QStringLiteral("continue"), Seed + quint64(kills.size()));
    QVERIFY2(last.status == QProcess::NormalExit && last.exitCode == 0, qPrintable(last.output));
    shown << last.shown;

    // One draw, finished, intact, its eight places filled prize by prize and round by round as
    // the uninterrupted draw fills them.
    std::optional<DrawInfo> draw;
    const QStringList wins = recordedWins(db.dbFile(), &draw);
    QVERIFY(draw);
    QVERIFY(!draw->finished.isEmpty());
    QCOMPARE(db.column(QStringLiteral("select count(*) from draws")), QStringList{"1"});
    {
        Database connection(db.dbFile());
        QVERIFY(DrawRecordStore(connection).check(draw->id).intact);
    }
    QCOMPARE(placesOf(wins), placesOf(m_uninterrupted));
    const QStringList phones = phonesOf(wins);
    for (const QString &phone : std::as_const(shown))
        QVERIFY2(phones.contains(phone), qPrintable(phone + QStringLiteral(" was shown and is not on record")));
    checkMarksAgreeWithRecord(db);
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
