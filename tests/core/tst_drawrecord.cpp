// The draw record: schema version 2, the store, its hash chain, the checks and the CSV export,
// against real SQLite files.
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/data/Database.h"
#include "core/data/DrawRecordStore.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"
#include "core/data/Schema.h"
#include "core/data/Sql.h"
#include "core/draw/RecordChain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <functional>
#include <map>
#include <sqlite3.h>

namespace {

const QTimeZone Beijing(8 * 3600);

QDateTime at(int hour, int minute, int second, int ms = 0)
{
    return QDateTime(QDate(2024, 5, 1), QTime(hour, minute, second, ms), Beijing);
}

NewWin win(int prize, int round, const QString &phone, const QString &name = QString())
{
    return {prize,
            QStringLiteral("奖项%1").arg(prize),
            QStringLiteral("奖品%1").arg(prize),
            round,
            phone,
            name,
            QStringLiteral("备注")};
}

/// Runs SQL the way another program could, through a connection of its own with the record's
/// triggers out of the way (anyone with the file can drop them).
void tamper(const QString &file, const QString &sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    QStringList triggers;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'trigger'", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        triggers << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    QString script;
    for (const QString &trigger : std::as_const(triggers))
        script += QStringLiteral("drop trigger %1;").arg(trigger);
    script += sql;
    char *error = nullptr;
    const int rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

/// Runs SQL through a plain connection, triggers in place; returns SQLite's error, or "".
QString runForeign(const QString &file, const QString &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    char *error = nullptr;
    sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return message;
}

/// Draw 1, still open: wins 1, 2, 3; 4 voids 2; 5 is the place drawn again. Draw 2: one win,
/// finished at 21:05. Returns draw 1's head hash as it stands.
QString makeRecord(const QString &file)
{
    Database db(file);
    DrawRecordStore record(db);
    const qint64 first = record.startDraw(at(20, 0, 0));
    record.appendWins(first, {win(1, 1, QStringLiteral("13800000001"), QStringLiteral("张三"))}, at(20, 1, 0));
    record.appendWins(first,
                      {win(2, 1, QStringLiteral("13800000002"), QStringLiteral("李四")),
                       win(2, 1, QStringLiteral("13800000003"), QStringLiteral("王五"))},
                      at(20, 2, 0));
    record.voidWin(first, 2, QString(), at(20, 3, 0));
    record.appendWins(first, {win(2, 2, QStringLiteral("13800000004"), QStringLiteral("赵六"))}, at(20, 4, 0));
    const qint64 second = record.startDraw(at(21, 0, 0));
    record.appendWins(second, {win(1, 1, QStringLiteral("13800000009"))}, at(21, 1, 0));
    record.finishDraw(second, at(21, 5, 0));
    return record.check(first).headHash;
}

/// The fenced Python block of docs/draw-record.md.
QString documentedScript()
{
    QFile doc(QStringLiteral(DOCS_DIR "/draw-record.md"));
    if (!doc.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(doc.readAll());
    const QRegularExpression block(QStringLiteral("```python\\n(.*?)```"),
                                   QRegularExpression::DotMatchesEverythingOption);
    return block.match(text).captured(1);
}

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDrawRecord final : public QObject
{
    Q_OBJECT

private slots:
    void version1FileKeepsEverything();
    void winsAndVoidsAreRecorded();
    void timeText_data();
    void timeText();
    void stopWritesMarksAndRecordTogether_data();
    void stopWritesMarksAndRecordTogether();
    void refusals_data();
    void refusals();
    void voidReopensAFinishedDraw();
    void latestDrawAndFinishing();
    void recordIsAppendOnly_data();
    void recordIsAppendOnly();
    void tamperingFound_data();
    void tamperingFound();
    void rewrittenChainOnlyTheHeadTells();
    void workedExample();
    void exportVerifiedByDocumentedScript_data();
    void exportVerifiedByDocumentedScript();
    void exportToUnwritablePlace();
    void damagedRecordTables_data();
    void damagedRecordTables();
    void repairOfRecordTables_data();
    void repairOfRecordTables();
};

// A file of version 1 gains the record and keeps every participant, prize and drawn mark.
void TestDrawRecord::version1FileKeepsEverything()
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/CJ.mdb");
    {
        sqlite3 *raw = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &raw), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw, Sql::MigrateTo1, nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw,
                              "pragma journal_mode = wal;"
                              "insert into Tab_CJ values (1, '13800000001', '张三', '销售部', '1'),"
                              " (2, '13800000002', '李四', '', null), (3, '13800000003', null, null, '');"
                              "insert into Tab_Set values (1, '一等奖', '1', '1', '电脑', null),"
                              " (2, '二等奖', '2', '2', '手机', '');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);
    }
    Database db(file);
    QCOMPARE(db.schemaVersion(), 2);
    const QString participants = QStringLiteral(
        "select xh || '|' || Tel || '|' || coalesce(Name, '-') || '|' || coalesce(Comment, '-') || '|' || "
        "coalesce(ZT, 'null') from Tab_CJ order by xh");
    const QString prizes = QStringLiteral("select xh || '|' || name || '|' || quantity || '|' || rs || '|' || jp || "
                                          "'|' || coalesce(comment, 'null') from Tab_Set order by xh");
    const auto column = [&db](const QString &sql) {
        QStringList out;
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    };
    QCOMPARE(column(participants),
             (QStringList{"1|13800000001|张三|销售部|1", "2|13800000002|李四||null", "3|13800000003|-|-|"}));
    QCOMPARE(column(prizes), (QStringList{"1|一等奖|1|1|电脑|null", "2|二等奖|2|2|手机|"}));

    DrawRecordStore record(db);
    QVERIFY(!record.latestDraw());
    const qint64 draw = record.startDraw(at(20, 0, 0));
    record.appendWins(draw, {win(1, 1, QStringLiteral("13800000002"))}, at(20, 1, 0));
    QVERIFY(record.check(draw).intact);
}

void TestDrawRecord::winsAndVoidsAreRecorded()
{
    TestDb testDb;
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    const qint64 draw = record.startDraw(at(19, 59, 59, 999));
    const QList<RecordEntry> stop =
        record.appendWins(draw,
                          {{3, QStringLiteral("三等奖"), QStringLiteral("保温杯"), 1, QStringLiteral("13800000001"),
                            QStringLiteral("张三"), QStringLiteral("销售部")},
                           {3, QStringLiteral("三等奖"), QStringLiteral("保温杯"), 1, QStringLiteral("13800000002"),
                            QStringLiteral("李四"), QString()}},
                          at(20, 0, 1, 5));
    QCOMPARE(stop.size(), 2);
    const RecordEntry voided = record.voidWin(draw, 1, QStringLiteral("  "), at(20, 0, 30));
    const RecordEntry again = record.voidWin(draw, 2, QStringLiteral(" 已离场 "), at(20, 0, 31));
    record.appendWins(draw, {win(3, 2, QStringLiteral("13800000003"))}, at(20, 1, 0));

    const QList<RecordEntry> all = record.entries(draw);
    QCOMPARE(all.size(), 5);
    QStringList rows;
    for (const RecordEntry &e : all) {
        rows << QStringLiteral("%1 %2 %3/%4 %5 %6 %7 %8 %9 voids=%10 reason=%11 voided=%12 %13")
                    .arg(e.seq)
                    .arg(e.kind)
                    .arg(e.prizeNumber)
                    .arg(e.round)
                    .arg(e.prizeName, e.prizeItem, e.phone, e.name, e.time)
                    .arg(e.voidsSeq ? QString::number(*e.voidsSeq) : QStringLiteral("-"), e.reason)
                    .arg(int(e.voided))
                    .arg(e.voidReason);
    }
    QCOMPARE(rows, (QStringList{
                       "1 win 3/1 三等奖 保温杯 13800000001 张三 2024-05-01T20:00:01.005+08:00 voids=- reason= "
                       "voided=1 未到场",
                       "2 win 3/1 三等奖 保温杯 13800000002 李四 2024-05-01T20:00:01.005+08:00 voids=- reason= "
                       "voided=1 已离场",
                       "3 void 3/1 三等奖 保温杯 13800000001 张三 2024-05-01T20:00:30.000+08:00 voids=1 "
                       "reason=未到场 voided=0 ",
                       "4 void 3/1 三等奖 保温杯 13800000002 李四 2024-05-01T20:00:31.000+08:00 voids=2 "
                       "reason=已离场 voided=0 ",
                       "5 win 3/2 奖项3 奖品3 13800000003  2024-05-01T20:01:00.000+08:00 voids=- reason= voided=0 ",
                   }));
    QCOMPARE(all.at(0).comment, QStringLiteral("销售部"));
    QCOMPARE(voided.hash, all.at(2).hash);
    QCOMPARE(again.hash, all.at(3).hash);
    const RecordCheck check = record.check(draw);
    QVERIFY(check.intact);
    QCOMPARE(check.alteredSeqs, QList<int>());
    QCOMPARE(check.headHash, all.last().hash);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(check.headHash).hasMatch());
    QCOMPARE(record.latestDraw()->started, QStringLiteral("2024-05-01T19:59:59.999+08:00"));
    // Another draw's chain starts afresh.
    const qint64 next = record.startDraw(at(21, 0, 0));
    QCOMPARE(record.appendWins(next, {win(1, 1, QStringLiteral("1"))}, at(21, 0, 1)).constFirst().seq, 1);
    QVERIFY(record.check(next).intact);
    QCOMPARE(record.entries(draw).size(), 5);
}

void TestDrawRecord::timeText_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("Beijing") << at(9, 5, 7, 45) << QStringLiteral("2024-05-01T09:05:07.045+08:00");
    QTest::newRow("UTC") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 999), QTimeZone::utc())
                         << QStringLiteral("2024-12-31T23:59:59.999+00:00");
    QTest::newRow("behind UTC, half hour")
        << QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6), QTimeZone(-(3 * 3600 + 30 * 60)))
        << QStringLiteral("2024-01-02T03:04:05.006-03:30");
}

void TestDrawRecord::timeText()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, text);
    QCOMPARE(DrawRecordStore::timeText(time), text);
}

void TestDrawRecord::stopWritesMarksAndRecordTogether_data()
{
    QTest::addColumn<bool>("commit");
    QTest::newRow("committed") << true;
    QTest::newRow("failed before the commit") << false;
}

// A stop marks its winners and appends their wins in the caller's one transaction: both are
// stored, or neither.
void TestDrawRecord::stopWritesMarksAndRecordTogether()
{
    QFETCH(bool, commit);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("张三")},
                            {QStringLiteral("13800000002"), QStringLiteral("李四")}});
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    const qint64 draw = record.startDraw(at(20, 0, 0));
    {
        Transaction stop(db, Durability::Full);
        Statement(db, Sql::MarkDrawn).bindAll(QStringLiteral("13800000002")).execute();
        record.appendWins(draw, {win(1, 1, QStringLiteral("13800000002"), QStringLiteral("李四"))}, at(20, 1, 0));
        QVERIFY(db.inTransaction()); // appendWins left the caller's transaction open
        if (commit)
            stop.commit();
    }
    // Seen from another connection, as after a restart.
    Database other(testDb.dbFile());
    QCOMPARE(DrawRecordStore(other).entries(draw).size(), commit ? 1 : 0);
    QCOMPARE(testDb.column(QStringLiteral("select coalesce(ZT, 'null') from Tab_CJ order by xh")),
             (QStringList{"null", commit ? "1" : "null"}));
    // Without a transaction around it, appendWins commits on its own.
    record.appendWins(draw, {win(1, 1, QStringLiteral("13800000001"))}, at(20, 2, 0));
    QVERIFY(!db.inTransaction());
    QCOMPARE(DrawRecordStore(other).entries(draw).size(), commit ? 2 : 1);
    QVERIFY(DrawRecordStore(other).check(draw).intact);
}

void TestDrawRecord::refusals_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const char *action, const char *message) {
        QTest::newRow(name) << QString::fromUtf8(action) << QString::fromUtf8(message);
    };
    const char *finished = "第 2 场抽奖已于 2024-05-01T21:05:00.000+08:00 结束";
    row("void of a void entry", "void 1/4", "第 1 场抽奖中没有第 4 条中奖记录");
    row("void of a seq the draw does not have", "void 1/9", "第 1 场抽奖中没有第 9 条中奖记录");
    row("void of a win voided already", "void 1/2", "第 2 条中奖记录（13800000002 李四，奖项2）已经作废过了");
    row("wins for a finished draw", "append 2", finished);
    row("wins for a draw that does not exist", "append 7", "没有第 7 场抽奖");
    row("finishing a draw that does not exist", "finish 7", "没有第 7 场抽奖");
    row("export of a draw that does not exist", "export 7", "没有第 7 场抽奖");
}

// What the record refuses is refused with a Chinese message, and nothing is written.
void TestDrawRecord::refusals()
{
    QFETCH(QString, action);
    QFETCH(QString, message);
    TestDb testDb;
    makeRecord(testDb.dbFile());
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    const QString csv = testDb.root() + QStringLiteral("/record.csv");
    const auto stored = [&testDb] {
        return testDb.column(QStringLiteral("select draw_id || '/' || seq || ' ' || voided || ' ' || hash"
                                            " from draw_entries order by draw_id, seq")) +
               testDb.column(QStringLiteral("select id || ' ' || coalesce(finished, 'open') from draws"));
    };
    const QStringList before = stored();
    const std::map<QString, std::function<void()>> actions = {
        {"void 1/4", [&] { record.voidWin(1, 4, QString(), at(22, 0, 0)); }},
        {"void 1/9", [&] { record.voidWin(1, 9, QString(), at(22, 0, 0)); }},
        {"void 1/2", [&] { record.voidWin(1, 2, QString(), at(22, 0, 0)); }},
        {"append 2", [&] { record.appendWins(2, {win(1, 1, QStringLiteral("1"))}, at(22, 0, 0)); }},
        {"append 7", [&] { record.appendWins(7, {win(1, 1, QStringLiteral("1"))}, at(22, 0, 0)); }},
        {"finish 7", [&] { record.finishDraw(7, at(22, 0, 0)); }},
        {"export 7", [&] { record.exportCsv(7, csv); }},
    };
    QVERIFY(actions.count(action) == 1);
    try {
        actions.at(action)();
        QFAIL("not refused");
    } catch (const DatabaseError &e) {
        QFAIL(qPrintable(e.text()));
    } catch (const Error &e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(stored(), before);
    QVERIFY(!QFile::exists(csv));
}

// A void after the draw's end opens the draw again: its place is to be drawn again.
void TestDrawRecord::voidReopensAFinishedDraw()
{
    TestDb testDb;
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    const qint64 draw = record.startDraw(at(20, 0, 0));
    record.appendWins(draw, {win(1, 1, QStringLiteral("13800000001")), win(1, 2, QStringLiteral("13800000002"))},
                      at(20, 1, 0));
    record.finishDraw(draw, at(20, 30, 0));
    QVERIFY(!record.latestDraw()->finished.isEmpty());
    record.voidWin(draw, 2, QString(), at(21, 0, 0));
    QCOMPARE(record.latestDraw()->finished, QString());
    record.appendWins(draw, {win(1, 3, QStringLiteral("13800000003"))}, at(21, 1, 0));
    record.finishDraw(draw, at(21, 2, 0));
    QCOMPARE(record.latestDraw()->finished, QStringLiteral("2024-05-01T21:02:00.000+08:00"));
    QVERIFY(record.check(draw).intact);
    QCOMPARE(record.entries(draw).size(), 4);
}

void TestDrawRecord::latestDrawAndFinishing()
{
    TestDb testDb;
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    QVERIFY(!record.latestDraw().has_value());
    const qint64 first = record.startDraw(at(20, 0, 0));
    const qint64 second = record.startDraw(at(21, 0, 0)); // the first was never finished (a crash)
    QVERIFY(second > first);
    std::optional<DrawInfo> latest = record.latestDraw();
    QCOMPARE(latest->id, second);
    QCOMPARE(latest->started, QStringLiteral("2024-05-01T21:00:00.000+08:00"));
    QCOMPARE(latest->finished, QString());
    record.finishDraw(second, at(21, 30, 0));
    record.finishDraw(second, at(22, 0, 0)); // the first time stays
    latest = record.latestDraw();
    QCOMPARE(latest->id, second);
    QCOMPARE(latest->finished, QStringLiteral("2024-05-01T21:30:00.000+08:00"));
    // The interrupted draw keeps what it had and can still be finished.
    record.appendWins(first, {win(1, 1, QStringLiteral("1"))}, at(20, 1, 0));
    record.finishDraw(first, at(22, 0, 0));
    QCOMPARE(record.latestDraw()->id, second);
}

void TestDrawRecord::recordIsAppendOnly_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("edit a winner") << "update draw_entries set name = '某人' where seq = 1";
    QTest::newRow("renumber") << "update draw_entries set seq = seq + 10";
    QTest::newRow("edit a hash") << "update draw_entries set hash = '' where seq = 1";
    QTest::newRow("delete an entry") << "delete from draw_entries where seq = 5";
    QTest::newRow("delete everything") << "delete from draw_entries";
    QTest::newRow("un-void a win") << "update draw_entries set voided = 0, void_reason = null where seq = 2";
    QTest::newRow("change a void reason") << "update draw_entries set void_reason = '已领奖' where seq = 2";
    QTest::newRow("delete a draw") << "delete from draws where id = 2";
    QTest::newRow("move a draw's start") << "update draws set started = '2000-01-01' where id = 1";
}

// Another program (or a careless statement) cannot change the record without first removing the
// file's triggers.
void TestDrawRecord::recordIsAppendOnly()
{
    QFETCH(QString, sql);
    TestDb testDb;
    makeRecord(testDb.dbFile());
    const QStringList before = testDb.column(QStringLiteral("select group_concat(hash || voided, ',') from "
                                                            "(select * from draw_entries order by draw_id, seq)"));
    QVERIFY(!runForeign(testDb.dbFile(), sql).isEmpty());
    QCOMPARE(testDb.column(QStringLiteral("select group_concat(hash || voided, ',') from "
                                          "(select * from draw_entries order by draw_id, seq)")),
             before);
    QCOMPARE(testDb.column(QStringLiteral("select id || ' ' || started from draws order by id")),
             (QStringList{"1 2024-05-01T20:00:00.000+08:00", "2 2024-05-01T21:00:00.000+08:00"}));
}

void TestDrawRecord::tamperingFound_data()
{
    // Draw 1 (makeRecord): 1 win, 2 win voided by 4, 3 win, 4 void, 5 win.
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QList<int>>("altered");
    QTest::addColumn<bool>("headKept");
    const auto row = [](const char *name, const char *sql, QList<int> altered, bool headKept = true) {
        QTest::newRow(name) << QString::fromUtf8(sql) << altered << headKept;
    };
    row("nothing", "select 1", {});
    row("phone", "update draw_entries set phone = '13900000000' where draw_id = 1 and seq = 3", {3, 4, 5});
    row("name", "update draw_entries set name = '张叁' where draw_id = 1 and seq = 5", {5});
    row("comment", "update draw_entries set comment = '' where draw_id = 1 and seq = 2", {2, 3, 4, 5});
    row("prize name", "update draw_entries set prize_name = '特等奖' where draw_id = 1 and seq = 5", {5});
    row("prize item", "update draw_entries set prize_item = '汽车' where draw_id = 1 and seq = 1", {1, 2, 3, 4, 5});
    row("prize number", "update draw_entries set prize_number = 2 where draw_id = 1 and seq = 1", {1, 2, 3, 4, 5});
    row("round", "update draw_entries set round = 1 where draw_id = 1 and seq = 5", {5});
    row("time", "update draw_entries set time = '2024-05-01T20:02:00.001+08:00' where draw_id = 1 and seq = 4", {4, 5});
    row("kind", "update draw_entries set kind = 'void' where draw_id = 1 and seq = 3", {3, 4, 5});
    row("reason of a void", "update draw_entries set reason = '已领奖' where draw_id = 1 and seq = 4", {2, 4, 5});
    row("voided seq of a void", "update draw_entries set voids_seq = 3 where draw_id = 1 and seq = 4", {2, 3, 4, 5});
    row("hash", "update draw_entries set hash = replace(hash, substr(hash, 1, 1), 'x') where draw_id = 1 and seq = 3",
        {3});
    row("entry deleted", "delete from draw_entries where draw_id = 1 and seq = 2", {2, 3, 4, 5});
    row("first entry deleted", "delete from draw_entries where draw_id = 1 and seq = 1", {1, 2, 3, 4, 5});
    row("last entry deleted: only the head tells", "delete from draw_entries where draw_id = 1 and seq = 5", {}, false);
    row("entry appended",
        "insert into draw_entries select draw_id, 6, kind, prize_number, prize_name, prize_item,"
        " round, '13800000007', name, comment, time, voids_seq, reason, voided, void_reason, upper(hash)"
        " from draw_entries where draw_id = 1 and seq = 5",
        {6}, false);
    row("void moved to another draw", "update draw_entries set draw_id = 2, seq = 2 where draw_id = 1 and seq = 4",
        {2, 4, 5});
    row("win un-voided", "update draw_entries set voided = 0, void_reason = null where draw_id = 1 and seq = 2", {2});
    row("win voided without a void entry",
        "update draw_entries set voided = 1, void_reason = '未到场' where draw_id = 1 and seq = 3", {3});
    row("reason of a voided win", "update draw_entries set void_reason = '已领奖' where draw_id = 1 and seq = 2", {2});
    row("reason on a win not voided", "update draw_entries set void_reason = '未到场' where draw_id = 1 and seq = 1",
        {1});
}

// check() names every entry an edit, a deletion or an insertion made wrong, and the wins whose
// voided mark disagrees with the void entries.
void TestDrawRecord::tamperingFound()
{
    QFETCH(QString, sql);
    QFETCH(QList<int>, altered);
    QFETCH(bool, headKept);
    TestDb testDb;
    const QString noted = makeRecord(testDb.dbFile());
    tamper(testDb.dbFile(), sql);
    Database db(testDb.dbFile());
    const RecordCheck check = DrawRecordStore(db).check(1);
    QCOMPARE(check.alteredSeqs, altered);
    QCOMPARE(check.intact, altered.isEmpty());
    QCOMPARE(check.headHash == noted, headKept);
}

// Whoever recomputes the hashes after an edit hides it from the chain up to the point where
// they stopped; rewriting the whole chain leaves only the noted head hash to tell. A second void
// of one win, correctly chained, is still found.
void TestDrawRecord::rewrittenChainOnlyTheHeadTells()
{
    TestDb testDb;
    const QString noted = makeRecord(testDb.dbFile());
    QList<RecordEntry> entries;
    {
        Database db(testDb.dbFile());
        entries = DrawRecordStore(db).entries(1);
    }
    const auto rewrite = [&](int from, int to) {
        QString previous = from == 1 ? RecordChain::genesisHash() : entries.at(from - 2).hash;
        QString sql;
        for (int seq = from; seq <= to; ++seq) {
            RecordEntry &e = entries[seq - 1];
            e.hash = RecordChain::hash(previous, e);
            previous = e.hash;
            sql += QStringLiteral("update draw_entries set name = '%1', hash = '%2' where draw_id = 1 and seq = %3;")
                       .arg(e.name, e.hash)
                       .arg(seq);
        }
        tamper(testDb.dbFile(), sql);
    };
    const auto check = [&] {
        Database db(testDb.dbFile());
        return DrawRecordStore(db).check(1);
    };
    entries[1].name = QStringLiteral("李斯");
    rewrite(2, 2);
    QCOMPARE(check().alteredSeqs, (QList<int>{3, 4, 5}));
    rewrite(2, 5);
    QCOMPARE(check().alteredSeqs, QList<int>());
    QVERIFY(check().headHash != noted);

    RecordEntry second = entries.at(3); // the void of seq 2, again
    second.seq = 6;
    second.hash = RecordChain::hash(entries.last().hash, second);
    tamper(testDb.dbFile(), QStringLiteral("insert into draw_entries(draw_id, seq, kind, prize_number, prize_name,"
                                           " prize_item, round, phone, name, comment, time, voids_seq, reason, hash)"
                                           " select draw_id, 6, kind, prize_number, prize_name, prize_item, round,"
                                           " phone, name, comment, time, voids_seq, reason, '%1' from draw_entries"
                                           " where draw_id = 1 and seq = 4")
                                .arg(second.hash));
    QCOMPARE(check().alteredSeqs, QList<int>{6});
}

// The two-entry chain of docs/draw-record.md, byte for byte.
void TestDrawRecord::workedExample()
{
    RecordEntry first;
    first.drawId = 1;
    first.seq = 1;
    first.kind = QStringLiteral("win");
    first.prizeNumber = 1;
    first.prizeName = QStringLiteral("一等奖");
    first.prizeItem = QStringLiteral("笔记本电脑");
    first.round = 1;
    first.phone = QStringLiteral("13800000001");
    first.name = QStringLiteral("张三");
    first.comment = QStringLiteral("销售部");
    first.time = QStringLiteral("2024-05-01T20:15:03.045+08:00");
    RecordEntry second = first;
    second.seq = 2;
    second.kind = QStringLiteral("void");
    second.time = QStringLiteral("2024-05-01T20:16:10.500+08:00");
    second.voidsSeq = 1;
    second.reason = QStringLiteral("未到场");
    // voided and void_reason are outside the chain.
    first.voided = true;
    first.voidReason = QStringLiteral("未到场");

    const QByteArray message = RecordChain::message(RecordChain::genesisHash(), first);
    QCOMPARE(message, QByteArray("0000000000000000000000000000000000000000000000000000000000000000"
                                 "1:1,1:1,3:win,1:1,9:一等奖,15:笔记本电脑,1:1,11:13800000001,6:张三,9:销售部,"
                                 "29:2024-05-01T20:15:03.045+08:00,0:,0:,"));
    QCOMPARE(message.size(), 192);
    const QString firstHash = RecordChain::hash(RecordChain::genesisHash(), first);
    QCOMPARE(firstHash, QStringLiteral("6becfac7dca807b2282cce7536abc59b49e8bb76a1fe698893f44d76c072cb6d"));
    QCOMPARE(RecordChain::message(firstHash, second).size(), 203);
    const QString secondHash = RecordChain::hash(firstHash, second);
    QCOMPARE(secondHash, QStringLiteral("59a8eefdcdce349347bf86f951884c0f73060185b634a89e8b98c5d37e708ca8"));

    // The document shows these very values.
    QFile doc(QStringLiteral(DOCS_DIR "/draw-record.md"));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QByteArray text = doc.readAll();
    QVERIFY(text.contains(message));
    QVERIFY(text.contains(firstHash.toLatin1()));
    QVERIFY(text.contains(secondHash.toLatin1()));

    first.hash = firstHash;
    second.hash = secondHash;
    const RecordCheck check = RecordChain::verify({first, second});
    QVERIFY(check.intact);
    QCOMPARE(check.headHash, secondHash);
}

void TestDrawRecord::exportVerifiedByDocumentedScript_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("张三");
    QTest::newRow("empty") << QString();
    QTest::newRow("comma") << QStringLiteral("张,三");
    QTest::newRow("quotes") << QStringLiteral("\"老\"张\"");
    QTest::newRow("line breaks") << QStringLiteral("第一行\r\n第二行\n第三行\r");
    QTest::newRow("blanks around") << QStringLiteral("  张三 ");
    QTest::newRow("emoji") << QStringLiteral("🎉 抽奖");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x");
}

// The export carries everything needed to recompute the chain, and the script of
// docs/draw-record.md does so: it passes the export and catches an edit of it.
void TestDrawRecord::exportVerifiedByDocumentedScript()
{
    QFETCH(QString, text);
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        QSKIP("/usr/bin/python3 is not installed");
    const QString script = documentedScript();
    QVERIFY(!script.isEmpty());

    TestDb testDb;
    makeRecord(testDb.dbFile());
    Database db(testDb.dbFile());
    DrawRecordStore record(db);
    const qint64 draw = record.startDraw(at(22, 0, 0));
    QCOMPARE(draw, 3);
    record.appendWins(draw,
                      {{4, text, text, 1, QStringLiteral("138") + text, text, text},
                       {4, QStringLiteral("四等奖"), QStringLiteral("台灯"), 1, QStringLiteral("13800000009"),
                        QStringLiteral("钱七"), QString()}},
                      at(22, 1, 0));
    record.voidWin(draw, 1, text, at(22, 2, 0));
    const QString csv = testDb.root() + QStringLiteral("/record.csv");
    record.exportCsv(draw, csv);

    const QByteArray bytes = readAll(csv);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"
                             "draw_id,seq,kind,prize_number,prize_name,prize_item,round,phone,name,comment,time,"
                             "voids_seq,reason,voided,void_reason,hash\r\n"));
    QVERIFY(bytes.contains("\r\n3,2,win,4,四等奖,台灯,1,13800000009,钱七,,2024-05-01T22:01:00.000+08:00,,,0,,"));
    QVERIFY(bytes.endsWith("\r\n"));

    const QString scriptFile = testDb.root() + QStringLiteral("/verify_record.py");
    QFile out(scriptFile);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(script.toUtf8());
    out.close();
    const auto verify = [&](QByteArray *output) {
        QProcess run;
        run.start(python, {scriptFile, csv});
        if (!run.waitForFinished(60000))
            return -1;
        *output = run.readAllStandardOutput() + run.readAllStandardError();
        return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    };
    QByteArray output;
    QCOMPARE(verify(&output), 0);
    const RecordCheck check = record.check(draw);
    QVERIFY(check.intact);
    QVERIFY2(output.contains("draw 3: head hash " + check.headHash.toLatin1()), output.constData());
    QVERIFY2(output.contains("intact"), output.constData());

    // An edit of the export is caught: the phone of the second entry.
    QByteArray edited = bytes;
    edited.replace("13800000009", "13800000008");
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(edited);
    f.close();
    QCOMPARE(verify(&output), 1);
    QVERIFY2(output.contains("ALTERED: 3/2 3/3"), output.constData());
}

void TestDrawRecord::exportToUnwritablePlace()
{
    TestDb testDb;
    makeRecord(testDb.dbFile());
    Database db(testDb.dbFile());
    const QString path = testDb.root() + QStringLiteral("/no such folder/record.csv");
    try {
        DrawRecordStore(db).exportCsv(1, path);
        QFAIL("exported");
    } catch (const WriteError &e) {
        QVERIFY2(e.text().contains(Files::displayPath(path)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("无法写入抽奖记录文件")), qPrintable(e.text()));
    }
}

void TestDrawRecord::damagedRecordTables_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("缺失或已损坏");
    QTest::newRow("entries table dropped") << "drop table draw_entries" << missing;
    QTest::newRow("draws table dropped") << "drop table draws" << missing;
    QTest::newRow("both dropped") << "drop table draw_entries; drop table draws" << missing;
    QTest::newRow("entries table renamed") << "alter table draw_entries rename to old_entries" << missing;
    QTest::newRow("a column dropped") << "alter table draw_entries drop column reason" << missing;
    QTest::newRow("pages overwritten") << "pages" << QStringLiteral("database disk image is malformed");
}

// A version-2 file whose record is missing or damaged still opens: the participants and prizes
// are there, and every record function says clearly what is wrong.
void TestDrawRecord::damagedRecordTables()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("张三")},
                            {QStringLiteral("13800000002"), QStringLiteral("李四")}});
    testDb.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1")}});
    makeRecord(testDb.dbFile());
    testDb.exec(QStringLiteral("update Tab_CJ set ZT = '1' where xh = 2"));
    if (damage == QLatin1String("pages")) {
        // Garbage over the first page of each record table; the last connection has closed, so
        // everything is in the main file.
        const int pageSize = testDb.column(QStringLiteral("pragma page_size")).constFirst().toInt();
        const QStringList roots = testDb.column(
            QStringLiteral("select rootpage from sqlite_master where tbl_name in ('draws', 'draw_entries')"));
        QVERIFY(!QFile::exists(testDb.dbFile() + QStringLiteral("-wal")));
        QFile f(testDb.dbFile());
        QVERIFY(f.open(QIODevice::ReadWrite));
        for (const QString &root : roots) {
            f.seek(qint64(root.toInt() - 1) * pageSize);
            f.write(QByteArray(pageSize, '\xA5'));
        }
    } else {
        tamper(testDb.dbFile(), damage);
    }

    Database db(testDb.dbFile());
    QCOMPARE(db.schemaVersion(), 2);
    const QList<Participant> participants = ParticipantStore(db).loadAll();
    QCOMPARE(participants.size(), 2);
    QCOMPARE(participants.at(1).name, QStringLiteral("李四"));
    QCOMPARE(PrizeStore(db).loadAll().constFirst().name, QStringLiteral("一等奖"));
    QCOMPARE(testDb.column(QStringLiteral("select coalesce(ZT, 'null') from Tab_CJ order by xh")),
             (QStringList{"null", "1"}));

    DrawRecordStore record(db);
    const QString csv = testDb.root() + QStringLiteral("/record.csv");
    const QList<std::pair<const char *, std::function<void()>>> calls = {
        {"startDraw", [&] { record.startDraw(at(22, 0, 0)); }},
        {"latestDraw", [&] { record.latestDraw(); }},
        {"finishDraw", [&] { record.finishDraw(2, at(22, 0, 0)); }},
        {"appendWins", [&] { record.appendWins(2, {win(1, 1, QStringLiteral("13800000001"))}, at(22, 0, 0)); }},
        {"voidWin", [&] { record.voidWin(2, 1, QString(), at(22, 0, 0)); }},
        {"entries", [&] { record.entries(1); }},
        {"check", [&] { record.check(1); }},
        {"exportCsv", [&] { record.exportCsv(1, csv); }},
    };
    for (const auto &[name, call] : calls) {
        try {
            call();
            QFAIL(qPrintable(QStringLiteral("%1 did not fail").arg(QLatin1String(name))));
        } catch (const DatabaseError &e) {
            QVERIFY2(e.text().contains(message), qPrintable(QLatin1String(name) + QLatin1Char(' ') + e.text()));
            QVERIFY2(e.text().contains(Files::displayPath(testDb.dbFile())), qPrintable(e.text()));
            QVERIFY2(e.text().contains(QStringLiteral("抽奖记录")), qPrintable(e.text()));
        }
        QVERIFY(!db.inTransaction());
    }
    QVERIFY(!QFile::exists(csv));
    // The participants are still usable for writing.
    ParticipantStore(db).save(1, {QStringLiteral("13800000001"), QStringLiteral("张三丰"), QString()});
    QCOMPARE(ParticipantStore(db).loadAll().constFirst().name, QStringLiteral("张三丰"));
}

void TestDrawRecord::repairOfRecordTables_data()
{
    QTest::addColumn<QString>("damage");    // SQL run by another program; "pages": garbage over the tables
    QTest::addColumn<bool>("triggersKept"); // whether that program left the triggers in place
    QTest::addColumn<bool>("repaired");
    QTest::addColumn<QStringList>("moved"); // the tables moved aside, in order
    const QStringList none;
    const QStringList both{"draws", "draw_entries"};
    QTest::newRow("sound") << "" << true << false << none;
    QTest::newRow("a column of its own with a default")
        << "alter table draws add column venue text not null default 'hall'" << true << false << none;
    QTest::newRow("both dropped") << "drop table draw_entries; drop table draws" << true << true << none;
    QTest::newRow("draws dropped") << "drop table draws" << true << true << QStringList{"draw_entries"};
    QTest::newRow("entries dropped") << "drop table draw_entries" << true << true << QStringList{"draws"};
    QTest::newRow("entries renamed") << "alter table draw_entries rename to old_entries" << false << true
                                     << QStringList{"draws"};
    QTest::newRow("a column missing") << "alter table draw_entries drop column reason" << false << true << both;
    QTest::newRow("a column that must be filled")
        << "create table keep as select * from draws; drop table draw_entries; drop table draws;"
           " create table draws (id integer primary key, started text not null, finished text, venue text not null);"
           " insert into draws select id, started, finished, 'hall' from keep; drop table keep"
        << true << true << QStringList{"draws"};
    QTest::newRow("pages overwritten") << "pages" << true << true << both;
}

// A record whose tables are missing or damaged is repaired without losing anything: what is
// there of it is kept under new names, the fresh tables work, the participants and prizes are
// as they were. A sound record is left alone.
void TestDrawRecord::repairOfRecordTables()
{
    QFETCH(QString, damage);
    QFETCH(bool, triggersKept);
    QFETCH(bool, repaired);
    QFETCH(QStringList, moved);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("张三")},
                            {QStringLiteral("13800000002"), QStringLiteral("李四")}});
    testDb.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1")}});
    makeRecord(testDb.dbFile());
    testDb.exec(QStringLiteral("update Tab_CJ set ZT = '1' where xh = 2"));
    const QString participants = QStringLiteral("select xh || '|' || Tel || '|' || Name || '|' || coalesce(ZT, '-') "
                                                "from Tab_CJ order by xh");
    const QString prizes = QStringLiteral("select xh || '|' || name || '|' || quantity from Tab_Set order by xh");
    const QStringList participantsBefore = testDb.column(participants);
    const QStringList prizesBefore = testDb.column(prizes);
    const std::map<QString, QString> rowsBefore = {
        {QStringLiteral("draws"), testDb.column(QStringLiteral("select count(*) from draws")).constFirst()},
        {QStringLiteral("draw_entries"),
         testDb.column(QStringLiteral("select count(*) from draw_entries")).constFirst()},
    };
    if (damage == QLatin1String("pages")) {
        const int pageSize = testDb.column(QStringLiteral("pragma page_size")).constFirst().toInt();
        const QStringList roots = testDb.column(
            QStringLiteral("select rootpage from sqlite_master where tbl_name in ('draws', 'draw_entries')"));
        QFile f(testDb.dbFile());
        QVERIFY(f.open(QIODevice::ReadWrite));
        for (const QString &root : roots) {
            f.seek(qint64(root.toInt() - 1) * pageSize);
            f.write(QByteArray(pageSize, '\xA5'));
        }
    } else if (!damage.isEmpty()) {
        if (triggersKept)
            QCOMPARE(runForeign(testDb.dbFile(), damage), QString());
        else
            tamper(testDb.dbFile(), damage);
    }
    const QStringList triggersBefore =
        testDb.column(QStringLiteral("select name from sqlite_master where type = 'trigger' order by name"));

    Database db(testDb.dbFile());
    const RecordRepair repair = DrawRecordStore(db).repairTables(at(22, 0, 0));
    QCOMPARE(repair.repaired, repaired);
    QStringList movedTables;
    for (const MovedTable &table : repair.moved) {
        movedTables << table.table;
        QCOMPARE(table.movedTo, table.table + QStringLiteral("_damaged_20240501_220000"));
        // Kept with every row, without the triggers that would keep anyone from reading it as they like.
        if (damage != QLatin1String("pages"))
            QCOMPARE(testDb.column(QStringLiteral("select count(*) from %1").arg(table.movedTo)).constFirst(),
                     rowsBefore.at(table.table));
        QCOMPARE(testDb.column(QStringLiteral("select count(*) from sqlite_master where type = 'trigger' and "
                                              "tbl_name = '%1'")
                                   .arg(table.movedTo)),
                 QStringList{"0"});
    }
    QCOMPARE(movedTables, moved);
    if (!repaired) {
        QCOMPARE(testDb.column(QStringLiteral("select name from sqlite_master where type = 'trigger' order by name")),
                 triggersBefore);
        QCOMPARE(DrawRecordStore(db).entries(1).size(), 5);
    } else {
        QCOMPARE(DrawRecordStore(db).latestDraw(), std::nullopt);
        if (damage != QLatin1String("pages"))
            QCOMPARE(testDb.column(QStringLiteral("pragma integrity_check")), QStringList{"ok"});
    }
    QCOMPARE(testDb.column(participants), participantsBefore);
    QCOMPARE(testDb.column(prizes), prizesBefore);

    // The record works, append-only as ever.
    DrawRecordStore record(db);
    const qint64 draw = record.startDraw(at(22, 1, 0));
    record.appendWins(draw, {win(1, 1, QStringLiteral("13800000001"), QStringLiteral("张三"))}, at(22, 2, 0));
    QVERIFY(record.check(draw).intact);
    QVERIFY(!runForeign(testDb.dbFile(), QStringLiteral("update draw_entries set phone = '1'")).isEmpty());
    QVERIFY(!runForeign(testDb.dbFile(), QStringLiteral("delete from draws")).isEmpty());
    QCOMPARE(record.repairTables(at(22, 3, 0)).repaired, false);

    // Damaged again within the same second: the names taken are not reused.
    QCOMPARE(runForeign(testDb.dbFile(), QStringLiteral("drop table draw_entries")), QString());
    const RecordRepair again = record.repairTables(at(22, 0, 0));
    QCOMPARE(again.moved.size(), 1);
    QCOMPARE(again.moved.constFirst().movedTo, moved.contains(QLatin1String("draws"))
                                                   ? QStringLiteral("draws_damaged_20240501_220000_2")
                                                   : QStringLiteral("draws_damaged_20240501_220000"));
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from %1").arg(again.moved.constFirst().movedTo)),
             QStringList{repaired ? "1" : "3"});
}

QTEST_GUILESS_MAIN(TestDrawRecord)
#include "tst_drawrecord.moc"
