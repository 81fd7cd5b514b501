// The database access object and the statement catalogue against a real SQLite file.
#include "TestDb.h"

#include "data/CjError.h"
#include "data/Statements.h"
#include "data/Tables.h"
#include "data/Unit_DBLink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

class TestData final : public QObject
{
    Q_OBJECT

private slots:
    void hostileTextsRoundTrip_data();
    void hostileTextsRoundTrip();
    void serialsSortNumerically();
    void quotedAndBareSerialSelectTheSameRow();
    void namesMatchInAnyCase();
    void nullIsNotTheEmptyText();
    void asIntegerConversions_data();
    void asIntegerConversions();
    void secondConnectionSeesPostedChange();
    void openFailures_data();
    void openFailures();
    void createIfMissingNeverOverwrites();
    void transactionRollsBack();
    void renumberSerialsClosesGaps();
    void purgeRemovesIncompleteRowsAndRenumbers();
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
    QTest::newRow("NUL") << QString(QChar(0)) + QStringLiteral("after");
    QTest::newRow("emoji") << QStringLiteral("🎉抽奖");
    QTest::newRow("10000 characters") << QString(10000, QChar(u'字'));
}

// Every statement that takes text stores and finds it unchanged, and none can be altered by it.
void TestData::hostileTextsRoundTrip()
{
    QFETCH(QString, text);
    TestDb db;
    db.addParticipants({{QStringLiteral("13800000000"), QStringLiteral("keep"), QString()}});
    TDBLink link;
    TQuery &q = link.Query();
    q.SQL(Sql::InsertParticipant);
    q.ExecSQL({2});
    q.SQL(Sql::SaveParticipant);
    q.ExecSQL({text, text, text, 2});

    q.SQL(Sql::FindWinner);
    q.Open({text});
    QVERIFY(!q.Eof());
    QCOMPARE(q.FieldByName(QStringLiteral("Tel")).AsString(), text);
    QCOMPARE(q.FieldByName(QStringLiteral("Name")).AsString(), text);
    QCOMPARE(q.FieldByName(QStringLiteral("Comment")).AsString(), text);
    q.Edit();
    q.SetFieldValue(QStringLiteral("zt"), text);
    q.Post();
    q.Next();
    QVERIFY(q.Eof());

    q.SQL(Sql::ResultName);
    q.Open({text});
    QCOMPARE(q.FieldByName(QStringLiteral("name")).AsString(), text);

    q.SQL(Sql::InsertPrize);
    q.ExecSQL({1});
    q.SQL(Sql::SavePrize);
    q.ExecSQL({text, text, text, text, text, 1});
    q.SQL(Sql::LoadPrizes);
    q.Open();
    for (const char *column : {"name", "quantity", "rs", "jp", "comment"})
        QCOMPARE(q.FieldByName(QLatin1String(column)).AsString(), text);
    q.Close();

    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("2")});
    QCOMPARE(db.column(QStringLiteral("select Name from Tab_CJ where xh = 1")), QStringList{QStringLiteral("keep")});
    QCOMPARE(db.column(QStringLiteral("select ZT from Tab_CJ where xh = 1")), QStringList{QStringLiteral("<null>")});
}

void TestData::serialsSortNumerically()
{
    TestDb db;
    QList<QStringList> rows;
    for (int i = 1; i <= 12; ++i)
        rows.append({QString::number(i), QString(), QString()});
    db.addParticipants(rows);
    db.exec(QStringLiteral("update Tab_CJ set xh = 13 - xh")); // stored in reverse order
    TDBLink link;
    const QList<QStringList> loaded = ParticipantTable::load(link);
    QCOMPARE(loaded.size(), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(loaded.at(i).at(0), QString::number(i + 1));
}

void TestData::quotedAndBareSerialSelectTheSameRow()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("1")}, {QStringLiteral("2")}, {QStringLiteral("3")}});
    TDBLink link;
    link.Query().SQL(Sql::DeleteParticipant);
    link.Query().ExecSQL({QStringLiteral("3")});
    QCOMPARE(link.Query().RowsAffected(), 1);
    link.Query().ExecSQL({2});
    QCOMPARE(link.Query().RowsAffected(), 1);
    QCOMPARE(db.column(QStringLiteral("select Tel from Tab_CJ")), QStringList{QStringLiteral("1")});
}

void TestData::namesMatchInAnyCase()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("139"), QStringLiteral("张三"), QString()}});
    TDBLink link;
    TQuery &q = link.Query();
    q.SQL(Sql::LoadParticipants);
    q.Open();
    for (const char *name : {"TEL", "tel", "Tel"})
        QCOMPARE(q.FieldByName(QLatin1String(name)).AsString(), QStringLiteral("139"));
    QCOMPARE(q.FieldByName(QStringLiteral("xH")).AsInteger(), 1);
    QCOMPARE(q.FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("张三"));
    QVERIFY_THROWS_EXCEPTION(DbError, q.FieldByName(QStringLiteral("nosuchcolumn")));
}

void TestData::nullIsNotTheEmptyText()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("1")}, {QStringLiteral("2")}});
    db.exec(QStringLiteral("update Tab_CJ set ZT = '' where xh = 2"));
    TDBLink link;
    TQuery &q = link.Query();
    q.SQL(Sql::LoadParticipants);
    q.Open();
    QVERIFY(q.FieldByName(QStringLiteral("ZT")).IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("ZT")).AsString(), QString());
    q.Next();
    QVERIFY(!q.FieldByName(QStringLiteral("ZT")).IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("ZT")).AsString(), QString());
    q.Next();
    QVERIFY(q.Eof());
    // An empty result reads as the empty text.
    QCOMPARE(q.FieldByName(QStringLiteral("Tel")).AsString(), QString());
    // A new row gets Null: there is no default.
    q.SQL(Sql::InsertParticipant);
    q.ExecSQL({3});
    QCOMPARE(db.column(QStringLiteral("select ZT from Tab_CJ where xh = 3")), QStringList{QStringLiteral("<null>")});
}

void TestData::asIntegerConversions_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << QStringLiteral("12") << true << 12;
    QTest::newRow("negative") << QStringLiteral("-2") << true << -2;
    QTest::newRow("empty") << QStringLiteral("") << true << 0;
    QTest::newRow("blanks around") << QStringLiteral(" 3 ") << true << 3;
    QTest::newRow("chinese") << QStringLiteral("三") << false << 0;
    QTest::newRow("fraction") << QStringLiteral("1.5") << false << 0;
    QTest::newRow("too large") << QStringLiteral("3000000000") << false << 0;
}

void TestData::asIntegerConversions()
{
    QFETCH(QString, stored);
    QFETCH(bool, converts);
    QFETCH(int, value);
    TestDb db;
    db.addPrizes({{QStringLiteral("一等奖"), stored, stored, QString(), QString()}});
    TDBLink link;
    TQuery &q = link.Query();
    q.SQL(Sql::LoadPrizePlan);
    q.Open();
    if (converts) {
        QCOMPARE(q.FieldByName(QStringLiteral("quantity")).AsInteger(), value);
    } else {
        try {
            q.FieldByName(QStringLiteral("quantity")).AsInteger();
            QFAIL("no conversion error");
        } catch (const ConvertError &e) {
            QVERIFY2(e.text().contains(stored), qPrintable(e.text()));
        }
    }
}

void TestData::secondConnectionSeesPostedChange()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("13900000000"), QStringLiteral("李四"), QString()}});
    TDBLink reader; // open across the change, as the roll worker's connection is
    TDBLink writer;
    writer.Query().SQL(Sql::FindWinner);
    writer.Query().Open({QStringLiteral("13900000000")});
    writer.Query().Edit();
    writer.Query().SetFieldValue(QStringLiteral("zt"), QStringLiteral("1"));
    writer.Query().Post();
    writer.Query().Close();
    TQuery &q = reader.Query();
    q.SQL(Sql::LoadParticipants);
    q.Open();
    QCOMPARE(q.FieldByName(QStringLiteral("ZT")).AsString(), QStringLiteral("1"));
}

void TestData::openFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing" << "unable to open database file";
    QTest::newRow("not a database") << "garbage" << "file is not a database";
    QTest::newRow("locked") << "locked" << "database is locked";
}

// Opening fails in the constructor with the store's own message and never creates a file.
void TestData::openFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/DB/CJ.mdb");
    sqlite3 *holder = nullptr;
    if (kind == QLatin1String("garbage")) {
        QDir(dir.path()).mkpath(QStringLiteral("DB"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("locked")) {
        TDBLink::createIfMissing(file);
        // A rollback-journal connection holding an exclusive lock keeps others out.
        QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
        sqlite3_exec(holder, "pragma journal_mode = delete; pragma locking_mode = exclusive; begin exclusive",
                     nullptr, nullptr, nullptr);
    }
    try {
        TDBLink link(file);
        QFAIL("opened");
    } catch (const DbError &e) {
        QCOMPARE(e.text(), message);
    }
    if (holder)
        sqlite3_close(holder);
    if (kind == QLatin1String("missing"))
        QVERIFY(!QFile::exists(file));
}

void TestData::createIfMissingNeverOverwrites()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("1")}});
    QVERIFY(!TDBLink::createIfMissing(db.dbFile()));
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("1")});
}

void TestData::transactionRollsBack()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("1")}});
    {
        TDBLink link;
        TDBTransaction transaction(link);
        link.Query().SQL(Sql::ClearParticipants);
        link.Query().ExecSQL();
    } // no commit
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("1")});
}

void TestData::renumberSerialsClosesGaps()
{
    TestDb db;
    db.exec(QStringLiteral("insert into Tab_CJ(xh, Tel) values (5, 'e'), (2, 'b'), (9, 'i'), (2, 'b2')"));
    db.exec(QStringLiteral("insert into Tab_Set(xh, name) values (1, 'A'), (2, 'B')"));
    TDBLink link;
    QVERIFY(link.renumberSerials());
    QCOMPARE(db.column(QStringLiteral("select Tel from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("b"), QStringLiteral("b2"), QStringLiteral("e"), QStringLiteral("i")}));
    QCOMPARE(db.column(QStringLiteral("select xh from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    QVERIFY(!link.renumberSerials());
}

void TestData::purgeRemovesIncompleteRowsAndRenumbers()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("1")}, {QString()}, {QStringLiteral("3")}});
    db.exec(QStringLiteral("insert into Tab_CJ(xh) values (4)")); // added, never saved: Tel is Null
    db.addPrizes({{QStringLiteral("A")}, {QString()}, {QStringLiteral("C")}});
    Tables::purgeIncomplete();
    QCOMPARE(db.column(QStringLiteral("select xh || ':' || Tel from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("1:1"), QStringLiteral("2:3")}));
    QCOMPARE(db.column(QStringLiteral("select xh || ':' || name from Tab_Set order by xh")),
             (QStringList{QStringLiteral("1:A"), QStringLiteral("2:C")}));
}

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
