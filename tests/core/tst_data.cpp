// The database connection, its schema versions and the stores, against real SQLite files.
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/base/Text.h"
#include "core/data/Database.h"
#include "core/data/DatabaseMessage.h"
#include "core/data/DrawStore.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"
#include "core/data/Schema.h"
#include "core/data/Sql.h"
#include "core/draw/RollOrder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

/// Makes a database file the way the program did before it recorded schema versions: both
/// tables, no version.
void makeUnversionedFile(const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db,
                          "pragma journal_mode = wal;"
                          "create table Tab_CJ (xh integer, Tel text, Name text, Comment text, ZT text);"
                          "create index Tab_CJ_xh on Tab_CJ(xh);"
                          "create index Tab_CJ_Tel on Tab_CJ(Tel);"
                          "create table Tab_Set (xh integer, name text, quantity text, rs text, jp text, comment text);"
                          "create index Tab_Set_xh on Tab_Set(xh);"
                          "insert into Tab_CJ values (1, '13800000001', '张三', '销售部', '1'),"
                          " (2, '13800000002', '李四', '', null), (3, '13800000003', null, null, '');"
                          "insert into Tab_Set values (1, '一等奖', '1', '1', '电脑', null),"
                          " (2, '二等奖', '2', '2', '手机', '');",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
}

/// The first column of a select, read without the program's connection (which would
/// migrate the file first).
QStringList column(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    QStringList out;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
        out << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

} // namespace

class TestData final : public QObject
{
    Q_OBJECT

private slots:
    void hostileTextsRoundTrip_data();
    void hostileTextsRoundTrip();
    void serialsClosedAtLoad();
    void nullIsNotTheEmptyText();
    void readingNumbers_data();
    void readingNumbers();
    void secondConnectionSeesTheMarks();
    void statementUsedInsideItsOwnLoop();
    void openFailures_data();
    void openFailures();
    void commandFailures_data();
    void commandFailures();
    void messageKinds_data();
    void messageKinds();
    void createIfMissingNeverOverwrites();
    void transactionRollsBack();
    void fullDurabilityRestoresSynchronous_data();
    void fullDurabilityRestoresSynchronous();
    void purgeRemovesIncompleteRowsAndRenumbers();
    void unversionedFileKeepsEverything();
    void newerFileRefusedUnchanged();
    void failingMigrationLeavesFileAsItWas();
};

void TestData::hostileTextsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringLiteral("");
    QTest::newRow("double quote") << QStringLiteral("a\"b");
    QTest::newRow("two double quotes") << QStringLiteral("\"\"");
    QTest::newRow("single quote") << QStringLiteral("O'Brien");
    QTest::newRow("comment dashes") << QStringLiteral("x -- y");
    QTest::newRow("semicolon") << QStringLiteral("1; delete from Tab_CJ; --");
    QTest::newRow("backslash") << QStringLiteral("C:\\DB\\");
    QTest::newRow("NUL inside") << QStringLiteral("before") + QChar(0) + QStringLiteral("after");
    QTest::newRow("emoji") << QStringLiteral("🎉抽奖");
    QTest::newRow("10000 characters") << QString(10000, QChar(u'字'));
}

// Every store operation that takes text stores and finds it unchanged, and no text can
// alter a statement.
void TestData::hostileTextsRoundTrip()
{
    QFETCH(QString, text);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000000"), QStringLiteral("keep"), QString()}});
    Database db(testDb.dbFile());
    ParticipantStore participants(db);
    participants.add(2);
    participants.save(2, {text, text, text});
    QCOMPARE(DrawStore(db).markDrawn({text}).constFirst().name, text);

    PrizeStore prizes(db);
    prizes.add(1);
    prizes.save(1, {text, text, text, text, text});
    const Prize stored = prizes.loadAll().constFirst();
    for (const QString &value : {stored.name, stored.quantity, stored.perRound, stored.item, stored.comment})
        QCOMPARE(value, text);

    const QList<Participant> all = participants.loadAll();
    QCOMPARE(all.size(), 2);
    QCOMPARE(all.at(0).name, QStringLiteral("keep"));
    QCOMPARE(all.at(1).phone, text);
    QCOMPARE(all.at(1).comment, text);
    QCOMPARE(testDb.column(QStringLiteral("select ZT from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("<null>"), QStringLiteral("1")}));
}

void TestData::serialsClosedAtLoad()
{
    TestDb testDb;
    testDb.exec(
        QStringLiteral("insert into Tab_CJ(xh, Tel) values (12, 'l'), (5, 'e'), (2, 'b'), (9, 'i'), (2, 'b2')"));
    testDb.exec(QStringLiteral("insert into Tab_Set(xh, name) values (10, 'J'), (3, 'C')"));
    Database db(testDb.dbFile());
    QStringList phones;
    for (const Participant &p : ParticipantStore(db).loadAll())
        phones << p.phone;
    QCOMPARE(phones, (QStringList{"b", "b2", "e", "i", "l"}));
    QCOMPARE(testDb.column(QStringLiteral("select xh || Tel from Tab_CJ order by xh")),
             (QStringList{"1b", "2b2", "3e", "4i", "5l"}));
    QCOMPARE(PrizeStore(db).loadAll().constFirst().name, QStringLiteral("C"));
    QCOMPARE(testDb.column(QStringLiteral("select xh || name from Tab_Set order by xh")), (QStringList{"1C", "2J"}));
}

void TestData::nullIsNotTheEmptyText()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1")}, {QStringLiteral("2")}, {QStringLiteral("3")}});
    testDb.exec(QStringLiteral("update Tab_CJ set ZT = '' where xh = 2"));
    Database db(testDb.dbFile());
    {
        Statement rows(db, Sql::RollPass);
        QStringList marks;
        while (rows.next())
            marks << (rows.isNull(1) ? QStringLiteral("null") : QLatin1Char('"') + rows.text(1) + QLatin1Char('"'));
        QCOMPARE(marks, (QStringList{"null", "\"\"", "null"}));
    }
    // Any mark excludes the participant, the empty text too.
    RollPass pass;
    QVERIFY(DrawStore(db).loadRollPass(&pass));
    QCOMPARE(pass.size(), 2);
    // A new row gets Null: there is no default.
    ParticipantStore(db).add(4);
    QCOMPARE(testDb.column(QStringLiteral("select ZT from Tab_CJ where xh = 4")), QStringList{"<null>"});
}

void TestData::readingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << QStringLiteral("12") << true << 12;
    QTest::newRow("negative") << QStringLiteral("-2") << true << -2;
    QTest::newRow("plus") << QStringLiteral("+7") << true << 7;
    QTest::newRow("empty") << QStringLiteral("") << true << 0;
    QTest::newRow("blanks around") << QStringLiteral(" 3 ") << true << 3;
    QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647;
    QTest::newRow("chinese") << QStringLiteral("三") << false << 0;
    QTest::newRow("fraction") << QStringLiteral("1.5") << false << 0;
    QTest::newRow("sign alone") << QStringLiteral("-") << false << 0;
    QTest::newRow("too large") << QStringLiteral("3000000000") << false << 0;
}

void TestData::readingNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    if (converts) {
        QCOMPARE(Text::toInteger(text), value);
        return;
    }
    try {
        Text::toInteger(text);
        QFAIL("no conversion error");
    } catch (const ConversionError &e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

// The roll worker's connection stays open across a stop and must see its marks.
void TestData::secondConnectionSeesTheMarks()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13900000000"), QStringLiteral("李四"), QString()},
                            {QStringLiteral("13900000001"), QStringLiteral("王五"), QString()}});
    Database reader(testDb.dbFile());
    Database writer(testDb.dbFile());
    RollPass pass;
    QVERIFY(DrawStore(reader).loadRollPass(&pass));
    QCOMPARE(pass.size(), 2);
    QCOMPARE(DrawStore(writer).markDrawn({QStringLiteral("13900000000")}).constFirst().name, QStringLiteral("李四"));
    QVERIFY(DrawStore(reader).loadRollPass(&pass));
    QCOMPARE(pass.size(), 1);
    QCOMPARE(pass.number(0), QStringLiteral("13900000001"));
}

// A statement run inside a loop over its own result gets a preparation of its own.
void TestData::statementUsedInsideItsOwnLoop()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1"), QStringLiteral("a")}, {QStringLiteral("2"), QStringLiteral("b")}});
    Database db(testDb.dbFile());
    QStringList pairs;
    Statement outer(db, Sql::LoadParticipants);
    while (outer.next()) {
        Statement inner(db, Sql::LoadParticipants);
        while (inner.next())
            pairs << outer.text(0) + inner.text(0);
    }
    QCOMPARE(pairs, (QStringList{"11", "12", "21", "22"}));
    // Both preparations are usable afterwards.
    QCOMPARE(ParticipantStore(db).loadAll().size(), 2);
}

void TestData::openFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("engineText");
    QTest::addColumn<QString>("message"); // <file> stands for the file
    QTest::newRow("missing")
        << "missing"
        << "unable to open database file"
        << "无法打开数据库文件“<file>”。请确认文件存在、它所在的文件夹可以访问，"
           "并且没有被其他程序独占，然后重新启动本程序。（数据库报告：unable to open database file）";
    QTest::newRow("not a database") << "garbage"
                                    << "file is not a database"
                                    << "无法打开数据库文件“<file>”：文件已损坏，或者不是抽奖软件的数据库。"
                                       "请用备份的数据库文件替换它，然后重新启动本程序。（数据库报告：file is not a "
                                       "database）";
    QTest::newRow("locked") << "locked"
                            << "database is locked"
                            << "无法打开数据库文件“<file>”：另一个程序正在使用它。请关闭那个程序"
                               "（例如另一个正在运行的抽奖软件）后重新启动本程序。（数据库报告：database is locked）";
}

// Opening fails in the constructor with a message naming the file, the database's own text
// as its detail, and never creates a file. The folder's "%1" must not take anything in.
void TestData::openFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, engineText);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/抽奖%1/DB/CJ.mdb");
    sqlite3 *holder = nullptr;
    if (kind == QLatin1String("garbage")) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("locked")) {
        Database(file, Database::OpenMode::CreateIfMissing);
        // A rollback-journal connection holding an exclusive lock keeps others out.
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
        sqlite3_exec(holder, "pragma journal_mode = delete; pragma locking_mode = exclusive; begin exclusive", nullptr,
                     nullptr, nullptr);
    }
    try {
        Database db(file);
        QFAIL("opened");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.text(), message.replace(QStringLiteral("<file>"), QDir::toNativeSeparators(file)));
        QCOMPARE(e.engineText(), engineText);
    }
    if (holder)
        sqlite3_close(holder);
    if (kind == QLatin1String("missing"))
        QVERIFY(!QFile::exists(file));
}

void TestData::commandFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // <file> stands for the file
    QTest::newRow("locked by another program")
        << "locked"
        << "另一个程序正在使用数据库文件“<file>”，这次操作没有完成。请关闭那个程序后重试。"
           "（数据库报告：database is locked）";
    QTest::newRow("read-only")
        << "read-only"
        << "数据库文件“<file>"
           "”是只读的，这次的修改没有保存。请去掉文件的只读属性，并确认当前用户可以写入它所在的文件夹，"
           "然后重试。（数据库报告：attempt to write a readonly database）";
    QTest::newRow("table missing")
        << "table missing"
        << "数据库文件“<file>”中缺少本程序需要的数据表，这次操作没有完成。文件不完整或者不是抽奖软件的数据库："
           "请退出本程序，用备份的数据库文件替换它后再启动。（数据库报告：no such table: Tab_CJ）";
}

// A write that fails after the file was opened says what the operator can do about it.
void TestData::commandFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/抽奖%1/DB/CJ.mdb");
    Database db(file, Database::OpenMode::CreateIfMissing);
    sqlite3 *holder = nullptr;
    if (kind == QLatin1String("locked")) {
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    } else if (kind == QLatin1String("read-only")) {
        // What SQLite says of a file it may not write; tests run as root, so permissions cannot show it.
        db.execute("pragma query_only = 1");
    } else {
        db.execute("alter table Tab_CJ rename to Away");
    }
    try {
        ParticipantStore(db).add(1);
        QFAIL("written");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.text(), message.replace(QStringLiteral("<file>"), QDir::toNativeSeparators(file)));
    }
    sqlite3_close(holder);
}

void TestData::messageKinds_data()
{
    QTest::addColumn<int>("resultCode");
    QTest::addColumn<QString>("engineText");
    QTest::addColumn<QString>("says");
    QTest::newRow("busy") << SQLITE_BUSY << "database is locked"
                          << "另一个程序正在使用";
    QTest::newRow("locked table") << SQLITE_LOCKED << "database table is locked"
                                  << "另一个程序正在使用";
    QTest::newRow("corrupt") << SQLITE_CORRUPT << "database disk image is malformed"
                             << "损坏";
    QTest::newRow("extended read-only code") << SQLITE_READONLY_DBMOVED << "attempt to write a readonly database"
                                             << "只读";
    QTest::newRow("disk full") << SQLITE_FULL << "database or disk is full"
                               << "磁盘已满";
    QTest::newRow("extended I/O code") << SQLITE_IOERR_WRITE << "disk I/O error"
                                       << "时出错";
    QTest::newRow("no such column") << SQLITE_ERROR << "no such column: ZT"
                                    << "缺少本程序需要的数据表";
    QTest::newRow("other, a \"%1\" in the detail") << SQLITE_CONSTRAINT << "CHECK constraint failed: %1"
                                                   << "数据库文件";
}

// Whatever failed, and at whatever moment, the message names the file once, exactly, says
// what kind of trouble it is and ends with the database's own text.
void TestData::messageKinds()
{
    QFETCH(int, resultCode);
    QFETCH(QString, engineText);
    QFETCH(QString, says);
    const QString file = QStringLiteral("/srv/抽奖%1%2/DB/CJ.mdb");
    for (const auto stage : {DatabaseMessage::Stage::Opening, DatabaseMessage::Stage::Working}) {
        const QString text = DatabaseMessage::text(resultCode, engineText, file, stage);
        QCOMPARE(text.count(QStringLiteral("“") + file + QStringLiteral("”")), 1);
        QVERIFY2(text.contains(says), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("。（数据库报告：") + engineText + QStringLiteral("）")),
                 qPrintable(text));
        QCOMPARE(text.startsWith(QStringLiteral("无法打开数据库文件")), stage == DatabaseMessage::Stage::Opening);
    }
}

void TestData::createIfMissingNeverOverwrites()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1")}});
    Database db(testDb.dbFile(), Database::OpenMode::CreateIfMissing);
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{"1"});
}

void TestData::transactionRollsBack()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1")}});
    Database db(testDb.dbFile());
    {
        Transaction transaction(db);
        ParticipantStore(db).clear();
    } // no commit
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{"1"});
}

void TestData::fullDurabilityRestoresSynchronous_data()
{
    QTest::addColumn<QByteArray>("before"); // the connection's level before the transaction
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("commit");
    QTest::newRow("normal, committed") << QByteArray() << 1 << true;
    QTest::newRow("normal, rolled back") << QByteArray() << 1 << false;
    QTest::newRow("extra, committed") << QByteArray("pragma synchronous = extra") << 3 << true;
    QTest::newRow("off, rolled back") << QByteArray("pragma synchronous = off") << 0 << false;
}

// A transaction that must reach the disk commits at synchronous = FULL, and the connection
// goes back to its own level afterwards, whether it committed or not.
void TestData::fullDurabilityRestoresSynchronous()
{
    QFETCH(QByteArray, before);
    QFETCH(int, level);
    QFETCH(bool, commit);
    TestDb testDb;
    Database db(testDb.dbFile());
    if (!before.isEmpty())
        db.execute(before.constData());
    const auto synchronous = [&db] {
        Statement s(db, Sql::SynchronousLevel);
        return s.next() ? int(s.integer(0)) : -1;
    };
    QCOMPARE(synchronous(), level);
    {
        Transaction transaction(db, Durability::Full);
        QCOMPARE(synchronous(), 2);
        ParticipantStore(db).add(1);
        if (commit)
            transaction.commit();
        QCOMPARE(db.inTransaction(), !commit);
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(synchronous(), level);
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{commit ? "1" : "0"});

    // SQLite cannot change the level inside a transaction: refused before anything changes.
    {
        Transaction outer(db);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Transaction(db, Durability::Full));
        QVERIFY(db.inTransaction());
    }
    QCOMPARE(synchronous(), level);
}

void TestData::purgeRemovesIncompleteRowsAndRenumbers()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1")}, {QString()}, {QStringLiteral("3")}});
    testDb.exec(QStringLiteral("insert into Tab_CJ(xh) values (4)")); // added, never saved: Tel is Null
    testDb.addPrizes({{QStringLiteral("A")}, {QString()}, {QStringLiteral("C")}});
    Database db(testDb.dbFile());
    ParticipantStore(db).purgeIncomplete();
    PrizeStore(db).purgeIncomplete();
    QCOMPARE(testDb.column(QStringLiteral("select xh || ':' || Tel from Tab_CJ order by xh")),
             (QStringList{"1:1", "2:3"}));
    QCOMPARE(testDb.column(QStringLiteral("select xh || ':' || name from Tab_Set order by xh")),
             (QStringList{"1:A", "2:C"}));
}

// A file made before schema versions were recorded opens with every row and mark kept.
void TestData::unversionedFileKeepsEverything()
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/CJ.mdb");
    makeUnversionedFile(file);
    const char *participants = "select xh || '|' || Tel || '|' || coalesce(Name, '-') || '|' || coalesce(Comment, '-')"
                               " || '|' || coalesce(ZT, 'null') from Tab_CJ order by xh";
    const char *prizes = "select xh || '|' || name || '|' || quantity || '|' || rs || '|' || jp || '|' || "
                         "coalesce(comment, 'null') from Tab_Set order by xh";
    {
        Database db(file);
        QCOMPARE(db.schemaVersion(), Schema::currentVersion());
    }
    QCOMPARE(column(file, participants),
             (QStringList{"1|13800000001|张三|销售部|1", "2|13800000002|李四||null", "3|13800000003|-|-|"}));
    QCOMPARE(column(file, prizes), (QStringList{"1|一等奖|1|1|电脑|null", "2|二等奖|2|2|手机|"}));
    // A brand-new file gets the same tables.
    const QString fresh = dir.path() + QStringLiteral("/new/CJ.mdb");
    Database db(fresh, Database::OpenMode::CreateIfMissing);
    QCOMPARE(db.schemaVersion(), Schema::currentVersion());
    QCOMPARE(ParticipantStore(db).loadAll().size(), 0);
    QCOMPARE(PrizeStore(db).loadAll().size(), 0);
}

void TestData::newerFileRefusedUnchanged()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("1")}});
    const int newer = Schema::currentVersion() + 1;
    testDb.exec(QStringLiteral("pragma user_version = %1").arg(newer));
    const QByteArray before = [&] {
        QFile f(testDb.dbFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    try {
        Database db(testDb.dbFile());
        QFAIL("a file of a newer version was opened");
    } catch (const DatabaseError &e) {
        QVERIFY2(e.text().contains(QDir::toNativeSeparators(testDb.dbFile())), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("更新版本")), qPrintable(e.text()));
    }
    QFile f(testDb.dbFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestData::failingMigrationLeavesFileAsItWas()
{
    // A file from elsewhere whose participant "table" is a view: its index cannot be made.
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/CJ.mdb");
    sqlite3 *raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "create table People (Tel text); create view Tab_CJ as select Tel from People;", nullptr, nullptr,
                 nullptr);
    sqlite3_close(raw);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, Database db(file));
    QCOMPARE(column(file, "select count(*) from sqlite_master where name = 'Tab_Set'"), QStringList{"0"});
}

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
