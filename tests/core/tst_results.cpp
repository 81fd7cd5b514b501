// The results table without a window: the places laid out from the prize rows, filled with the
// wins of a draw's record, voided wins listed with their reason.
#include "core/base/Error.h"
#include "core/data/PrizeStore.h"
#include "core/draw/Results.h"

#include <QTest>

namespace {

/// Records what a build writes, one "prize|item|tel|name" text per row, "|作废:<reason>" added
/// for a voided win.
class ListSink final : public Results::Sink
{
public:
    void appendRow(const Results::Row &row) override
    {
        QString text = QStringList{row.prize, row.item, row.phone, row.name}.join(QLatin1Char('|'));
        if (row.voided)
            text += QStringLiteral("|作废:") + row.voidReason;
        rows.append(text);
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

/// "tel|prize number" per win in the order drawn, "tel|prize number|reason" for a voided one;
/// the name is 张 and the tel's last digit, the prize and item those of the record: 奖<n>, 品<n>.
QList<RecordEntry> record(const QStringList &texts)
{
    QList<RecordEntry> out;
    int seq = 0;
    for (const QString &t : texts) {
        const QStringList c = t.split(QLatin1Char('|'));
        RecordEntry win;
        win.seq = ++seq;
        win.kind = RecordEntry::Win.toString();
        win.prizeNumber = c.at(1).toInt();
        win.prizeName = QStringLiteral("奖%1").arg(win.prizeNumber);
        win.prizeItem = QStringLiteral("品%1").arg(win.prizeNumber);
        win.phone = c.at(0);
        win.name = QStringLiteral("张") + c.at(0).right(1);
        win.voided = c.size() > 2;
        win.voidReason = c.value(2);
        out.append(win);
    }
    // The void entries themselves, after the wins, are not rows of their own.
    for (const RecordEntry &win : std::as_const(out)) {
        if (win.voided) {
            RecordEntry entry = win;
            entry.kind = RecordEntry::Void.toString();
            entry.seq = ++seq;
            entry.voidsSeq = win.seq;
            entry.voided = false;
            out.append(entry);
        }
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
    void quantityNotANumberLaysOutNoPlaces();
};

void TestResults::placeCount_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("places");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks and a tab") << " \t " << 0;
    QTest::newRow("whole number") << "3" << 3;
    QTest::newRow("blanks around") << " 3 " << 3;
    QTest::newRow("trailing blank") << "3 " << 3;
    QTest::newRow("plus sign") << "+4" << 4;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-2" << 0;
    QTest::newRow("chinese numeral") << "三" << 0;
    QTest::newRow("fraction") << "2.5" << 0;
    QTest::newRow("digits then text") << "3个" << 0;
    QTest::newRow("blank inside") << "1 2" << 0;
}

void TestResults::placeCount()
{
    QFETCH(QString, quantity);
    QFETCH(int, places);
    QCOMPARE(Results::placeCount(quantity), places);
}

void TestResults::build_data()
{
    QTest::addColumn<QStringList>("prizes");   // name|quantity|item
    QTest::addColumn<QStringList>("wins");     // tel|prize number[|void reason]
    QTest::addColumn<QStringList>("expected"); // prize|item|tel|name[|作废:reason] per row

    const QStringList abc{"A|2|电视", "B|1|冰箱", "C|3|手机"};
    const QStringList six{"13800000001|1", "13800000002|1", "13800000003|2",
                          "13800000004|3", "13800000005|3", "13800000006|3"};
    QTest::newRow("three prizes, six winners")
        << abc << six << QStringList{"奖1|品1|13800000001|张1", "奖1|品1|13800000002|张2", "奖2|品2|13800000003|张3",
                                     "奖3|品3|13800000004|张4", "奖3|品3|13800000005|张5", "奖3|品3|13800000006|张6"};
    QTest::newRow("draw left after four winners") << abc << six.mid(0, 4)
                                                  << QStringList{"奖1|品1|13800000001|张1",
                                                                 "奖1|品1|13800000002|张2",
                                                                 "奖2|品2|13800000003|张3",
                                                                 "奖3|品3|13800000004|张4",
                                                                 "C|手机||",
                                                                 "C|手机||"};
    // Prize numbers follow the prize rows, also the rows that lay out nothing.
    QTest::newRow("blank, zero and negative quantities lay out nothing")
        << QStringList{"A|1|x", "B||y", "C|0|z", "D|-3|w", "E|2|v"}
        << QStringList{"13800000001|1", "13800000002|5", "13800000003|5"}
        << QStringList{"奖1|品1|13800000001|张1", "奖5|品5|13800000002|张2", "奖5|品5|13800000003|张3"};
    QTest::newRow("blanks around a quantity")
        << QStringList{"A| 2 |x", "B|\t1|y"} << QStringList{"13800000001|1", "13800000002|2"}
        << QStringList{"奖1|品1|13800000001|张1", "A|x||", "奖2|品2|13800000002|张2"};
    // A round of A that yielded one winner of its two rows: B's winner still stands at B.
    QTest::newRow("short round keeps later winners at their prize")
        << QStringList{"A|2|x", "B|1|y"} << QStringList{"13800000001|1", "13800000003|2"}
        << QStringList{"奖1|品1|13800000001|张1", "A|x||", "奖2|品2|13800000003|张3"};
    // A recorded winner is never left out, whatever became of the prize table.
    QTest::newRow("quantity lowered after the draw")
        << QStringList{"A|1|x", "B|1|y"} << QStringList{"13800000001|1", "13800000002|1", "13800000003|2"}
        << QStringList{"奖1|品1|13800000001|张1", "奖1|品1|13800000002|张2", "奖2|品2|13800000003|张3"};
    QTest::newRow("prize row no longer in the table")
        << QStringList{"A|1|x"} << QStringList{"13800000009|4", "13800000001|1"}
        << QStringList{"奖1|品1|13800000001|张1", "奖4|品4|13800000009|张9"};
    QTest::newRow("no prize with a quantity")
        << QStringList{"A||x"} << QStringList{"13800000001|1"} << QStringList{"奖1|品1|13800000001|张1"};
    // A voided win leaves its place to its replacement and is listed after the prize's places.
    QTest::newRow("voided win, replaced")
        << QStringList{"A|2|x", "B|1|y"}
        << QStringList{"13800000001|1", "13800000002|1|未到场", "13800000003|2", "13800000004|1"}
        << QStringList{"奖1|品1|13800000001|张1", "奖1|品1|13800000004|张4", "奖1|品1|13800000002|张2|作废:未到场",
                       "奖2|品2|13800000003|张3"};
    QTest::newRow("voided win, not replaced yet")
        << QStringList{"A|2|x"} << QStringList{"13800000001|1", "13800000002|1|人不在"}
        << QStringList{"奖1|品1|13800000001|张1", "A|x||", "奖1|品1|13800000002|张2|作废:人不在"};
    QTest::newRow("no wins") << QStringList{"A|2|x"} << QStringList{} << QStringList{"A|x||", "A|x||"};
}

void TestResults::build()
{
    QFETCH(QStringList, prizes);
    QFETCH(QStringList, wins);
    QFETCH(QStringList, expected);
    ListSink sink;
    Results::build(prizeRows(prizes), record(wins), sink);
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
    // still gets a row.
    QTest::newRow("the limit reached in the second prize")
        << QStringList{"A|99999|x", "B|3|y", "C|5|z"} << QStringList{"13800000002|2", "13800000003|3"} << 100001
        << QStringList{"A|x||", "奖2|品2|13800000002|张2", "奖3|品3|13800000003|张3"};
}

void TestResults::placesEndAtTheLimit()
{
    QFETCH(QStringList, prizes);
    QFETCH(QStringList, winners);
    QFETCH(int, places);
    QFETCH(QStringList, last);
    ListSink sink;
    Results::build(prizeRows(prizes), record(winners), sink);
    QCOMPARE(sink.rows.size(), places);
    QCOMPARE(sink.rows.mid(places - last.size()), last);
}

// A prize table edited after the draw: a quantity that is no number lays out no places, and
// the prize's recorded winners are still listed.
void TestResults::quantityNotANumberLaysOutNoPlaces()
{
    ListSink sink;
    Results::build(prizeRows({"A|2|x", "B|三|y", "C|1|z"}), record({"13800000001|1", "13800000002|2"}), sink);
    QCOMPARE(sink.rows, (QStringList{"奖1|品1|13800000001|张1", "A|x||", "奖2|品2|13800000002|张2", "C|z||"}));
}

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
