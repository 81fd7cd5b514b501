// The results table without a window: places laid out from the prize rows, winners paired
// with the places of their own prize, names looked up in the participant table.
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"
#include "core/draw/Results.h"

#include <QTest>

namespace {

/// Records what a build writes, one "prize|item|tel|name" text per place.
class ListSink final : public Results::Sink
{
public:
    void appendPlace(const QString &prize, const QString &item) override
    {
        rows.append(prize + QLatin1Char('|') + item + QStringLiteral("||"));
    }
    void setWinner(int place, const QString &tel, const QString &name) override
    {
        QStringList cells = rows.at(place - 1).split(QLatin1Char('|'));
        cells[2] = tel;
        cells[3] = name;
        rows[place - 1] = cells.join(QLatin1Char('|'));
    }
    QStringList rows;
};

/// "name|quantity|item" per prize row.
QList<Prize> prizeRows(const QStringList &texts)
{
    QList<Prize> out;
    for (const QString &t : texts) {
        const QStringList c = t.split(QLatin1Char('|'));
        out.append({c.at(0), c.at(1), QString(), c.at(2), QString()});
    }
    return out;
}

/// "tel|prize number" per winner, in the order recorded.
WinnerLog winnerList(const QStringList &texts)
{
    WinnerLog out;
    for (const QString &t : texts) {
        const QStringList c = t.split(QLatin1Char('|'));
        out.append({c.at(0), c.at(1).toInt()});
    }
    return out;
}

} // namespace

class TestResults final : public QObject
{
    Q_OBJECT

private slots:
    void placeCount_data();
    void placeCount();
    void build_data();
    void build();
    void placesEndAtTheLimit_data();
    void placesEndAtTheLimit();
    void quantityNotANumberStopsTheLayout();
    void databaseFailureEndsTheBuild();
};

void TestResults::placeCount_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("places"); // -1: not a number
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks and a tab") << " \t " << 0;
    QTest::newRow("whole number") << "3" << 3;
    QTest::newRow("blanks around") << " 3 " << 3;
    QTest::newRow("trailing blank") << "3 " << 3;
    QTest::newRow("plus sign") << "+4" << 4;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-2" << 0;
    QTest::newRow("chinese numeral") << "三" << -1;
    QTest::newRow("fraction") << "2.5" << -1;
    QTest::newRow("digits then text") << "3个" << -1;
    QTest::newRow("blank inside") << "1 2" << -1;
}

void TestResults::placeCount()
{
    QFETCH(QString, quantity);
    QFETCH(int, places);
    if (places < 0) {
        try {
            Results::placeCount(quantity);
            QFAIL("no conversion error");
        } catch (const ConversionError &e) {
            QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(quantity));
        }
    } else {
        QCOMPARE(Results::placeCount(quantity), places);
    }
}

void TestResults::build_data()
{
    QTest::addColumn<QStringList>("prizes");   // name|quantity|item
    QTest::addColumn<QStringList>("winners");  // tel|prize number
    QTest::addColumn<QStringList>("expected"); // prize|item|tel|name per place

    const QStringList abc{"A|2|电视", "B|1|冰箱", "C|3|手机"};
    const QStringList six{"13800000001|1", "13800000002|1", "13800000003|2",
                          "13800000004|3", "13800000005|3", "13800000006|3"};
    QTest::newRow("three prizes, six winners")
        << abc << six << QStringList{"A|电视|13800000001|张一", "A|电视|13800000002|张二", "B|冰箱|13800000003|张三",
                                     "C|手机|13800000004|张四", "C|手机|13800000005|张五", "C|手机|13800000006|张六"};
    QTest::newRow("screen closed after four winners") << abc << six.mid(0, 4)
                                                      << QStringList{"A|电视|13800000001|张一",
                                                                     "A|电视|13800000002|张二",
                                                                     "B|冰箱|13800000003|张三",
                                                                     "C|手机|13800000004|张四",
                                                                     "C|手机||",
                                                                     "C|手机||"};
    QTest::newRow("every prize once, grid order")
        << QStringList{"一等奖|1|车", "二等奖|1|表", "三等奖|1|书"}
        << QStringList{"13800000001|1", "13800000002|2", "13800000003|3"}
        << QStringList{"一等奖|车|13800000001|张一", "二等奖|表|13800000002|张二", "三等奖|书|13800000003|张三"};
    // Prize numbers follow the prize rows, also the rows that lay out nothing.
    QTest::newRow("blank, zero and negative quantities lay out nothing")
        << QStringList{"A|1|x", "B||y", "C|0|z", "D|-3|w", "E|2|v"}
        << QStringList{"13800000001|1", "13800000002|5", "13800000003|5"}
        << QStringList{"A|x|13800000001|张一", "E|v|13800000002|张二", "E|v|13800000003|张三"};
    QTest::newRow("blanks around a quantity")
        << QStringList{"A| 2 |x", "B|\t1|y"} << QStringList{"13800000001|1", "13800000002|2"}
        << QStringList{"A|x|13800000001|张一", "A|x||", "B|y|13800000002|张二"};
    // A round of A that yielded one winner of its two rows: B's winner still stands at B.
    QTest::newRow("short round keeps later winners at their prize")
        << QStringList{"A|2|x", "B|1|y"} << QStringList{"13800000001|1", "13800000003|2"}
        << QStringList{"A|x|13800000001|张一", "A|x||", "B|y|13800000003|张三"};
    QTest::newRow("more winners than places of the prize")
        << QStringList{"A|1|x", "B|1|y"} << QStringList{"13800000001|1", "13800000002|1", "13800000003|2"}
        << QStringList{"A|x|13800000001|张一", "B|y|13800000003|张三"};
    QTest::newRow("winner of a prize row no longer in the grid")
        << QStringList{"A|1|x"} << QStringList{"13800000009|4", "13800000001|1"} << QStringList{"A|x|13800000001|张一"};
    QTest::newRow("blank number ends the winners")
        << QStringList{"A|3|x"} << QStringList{"13800000001|1", " |1", "13800000002|1"}
        << QStringList{"A|x|13800000001|张一", "A|x||", "A|x||"};
    QTest::newRow("number without participant, duplicate number")
        << QStringList{"A|2|x"} << QStringList{"13900000000|1", "13800000007|1"}
        << QStringList{"A|x|13900000000|", "A|x|13800000007|七甲"};
    QTest::newRow("number kept as recorded, name by exact number")
        << QStringList{"A|1|x"} << QStringList{" 13800000001|1"} << QStringList{"A|x| 13800000001|"};
    QTest::newRow("no prize with a quantity") << QStringList{"A||x", "B| |y"} << six << QStringList{};
    QTest::newRow("no winners") << QStringList{"A|2|x"} << QStringList{} << QStringList{"A|x||", "A|x||"};
}

void TestResults::build()
{
    QFETCH(QStringList, prizes);
    QFETCH(QStringList, winners);
    QFETCH(QStringList, expected);
    TestDb db;
    // Serial order, not table order, decides between rows of one number: 七乙 was entered
    // first, 七甲 has the lower serial.
    db.addParticipants({{"13800000001", "张一", ""},
                        {"13800000002", "张二", ""},
                        {"13800000003", "张三", ""},
                        {"13800000004", "张四", ""},
                        {"13800000005", "张五", ""},
                        {"13800000006", "张六", ""},
                        {"13800000007", "七乙", ""},
                        {"13800000007", "七甲", ""}});
    db.exec(QStringLiteral("update Tab_CJ set xh = 100 - xh"));
    Database connection(db.dbFile());
    ParticipantStore participants(connection);
    ListSink sink;
    Results::build(prizeRows(prizes), winnerList(winners), participants, sink);
    QCOMPARE(sink.rows, expected);
}

void TestResults::placesEndAtTheLimit_data()
{
    QTest::addColumn<QStringList>("prizes");  // name|quantity|item
    QTest::addColumn<QStringList>("winners"); // tel|prize number
    QTest::addColumn<int>("places");
    QTest::addColumn<QStringList>("last"); // the last places laid out, prize|item|tel|name

    QTest::newRow("exactly the limit") << QStringList{"A|100000|x"} << QStringList{"13800000001|1"} << 100000
                                       << QStringList{"A|x||"};
    // A quantity typed with a few zeros too many.
    QTest::newRow("one prize far above") << QStringList{"A|10000000|x"} << QStringList{} << 100000
                                         << QStringList{"A|x||"};
    QTest::newRow("one prize at the largest number")
        << QStringList{"A|2147483647|x"} << QStringList{} << 100000 << QStringList{"A|x||"};
    // The limit counts the places of every prize; a winner of a prize left without a place
    // is not shown, one with a place is.
    QTest::newRow("the limit reached in the second prize")
        << QStringList{"A|99999|x", "B|3|y", "C|5|z"} << QStringList{"13800000002|2", "13800000003|3"} << 100000
        << QStringList{"A|x||", "B|y|13800000002|张二"};
}

void TestResults::placesEndAtTheLimit()
{
    QFETCH(QStringList, prizes);
    QFETCH(QStringList, winners);
    QFETCH(int, places);
    QFETCH(QStringList, last);
    TestDb db;
    db.addParticipants({{"13800000001", "张一", ""}, {"13800000002", "张二", ""}, {"13800000003", "张三", ""}});
    Database connection(db.dbFile());
    ParticipantStore participants(connection);
    ListSink sink;
    Results::build(prizeRows(prizes), winnerList(winners), participants, sink);
    QCOMPARE(sink.rows.size(), places);
    QCOMPARE(sink.rows.mid(places - last.size()), last);
}

void TestResults::quantityNotANumberStopsTheLayout()
{
    TestDb db;
    db.addParticipants({{"13800000001", "张一", ""}});
    Database connection(db.dbFile());
    ParticipantStore participants(connection);
    ListSink sink;
    try {
        Results::build(prizeRows({"A|2|x", "B|三|y", "C|1|z"}), winnerList({"13800000001|1"}), participants, sink);
        QFAIL("no conversion error");
    } catch (const ConversionError &e) {
        QCOMPARE(e.text(), QStringLiteral("'三' is not a valid integer value"));
    }
    // The places before the bad row stay; no winner has been filled in.
    QCOMPARE(sink.rows, (QStringList{"A|x||", "A|x||"}));
}

void TestResults::databaseFailureEndsTheBuild()
{
    TestDb db;
    db.exec(QStringLiteral("drop table Tab_CJ"));
    Database connection(db.dbFile());
    ParticipantStore participants(connection);
    ListSink sink;
    QVERIFY_THROWS_EXCEPTION(DatabaseError,
                             Results::build(prizeRows({"A|1|x"}), winnerList({"13800000001|1"}), participants, sink));
    QCOMPARE(sink.rows, (QStringList{"A|x||"}));
}

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
