// The prize schedule: which prize each start action draws, with how many rows, and when the
// draw is over.

#include "core/base/Error.h"
#include "core/data/PrizeStore.h"
#include "core/draw/DrawSchedule.h"

#include <QHash>
#include <QTest>

class TestSchedule final : public QObject
{
    Q_OBJECT

private slots:
    void startActions_data();
    void startActions();
    void unreadablePlan_data();
    void unreadablePlan();
    void planProblems_data();
    void planProblems();
    void resume_data();
    void resume();
    void reopeningStartsAgain();
    void prizeNames();
};

namespace {

/// "2,1;5,2" -> prizes 奖1 (2, 1) and 奖2 (5, 2); quantity and winners per round as typed.
QList<Prize> prizes(const QString &plan)
{
    QList<Prize> rows;
    const QStringList entries = plan.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList values = entries.at(i).split(QLatin1Char(','));
        rows.append({QStringLiteral("奖%1").arg(i + 1), values.value(0), values.value(1), QString(), QString()});
    }
    return rows;
}

} // namespace

// Each start action is one token (0 per round gives a round of 0 rows and finishes the prize):
//   prize:rows:round:prize   a round of the prize with that number began with that many rows,
//                            leaving currentRound() and currentPrize() as given
//   NQ                       NoQuantity, nothing changed
//   END                      isOver() is true
void TestSchedule::startActions_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("actions");

    // clang-format off
    QTest::newRow("worked example")            << "2,1;5,2;1,1" << "1:1:1:0 1:1:0:1 2:2:1:1 2:2:2:1 2:1:0:2 3:1:0:3 END";
    QTest::newRow("rs above quantity")         << "3,5"         << "1:3:0:1 END";
    QTest::newRow("rs equal to quantity")      << "4,4"         << "1:4:0:1 END";
    QTest::newRow("12 by 10")                  << "12,10"       << "1:10:1:0 1:2:0:1 END";
    QTest::newRow("7 by 3")                    << "7,3"         << "1:3:1:0 1:3:2:0 1:1:0:1 END";
    QTest::newRow("blocked by no quantity")    << "7,3;0,1;1,1" << "1:3:1:0 1:3:2:0 1:1:0:1 NQ NQ NQ";
    QTest::newRow("negative quantity")         << "-1,1;1,1"    << "NQ NQ";
    QTest::newRow("empty quantity is 0")       << ",3;1,1"      << "NQ NQ";
    QTest::newRow("empty prize table")         << ""            << "END";
    QTest::newRow("rs 0 ends the prize")       << "2,0;1,1"     << "1:0:0:1 2:1:0:2 END";
    QTest::newRow("empty rs is 0")             << "2,;1,1"      << "1:0:0:1 2:1:0:2 END";
    QTest::newRow("blanks around numbers")     << " 3 , 2 "     << "1:2:1:0 1:1:0:1 END";
    QTest::newRow("25 by 11")                  << "25,11"       << "1:11:1:0 1:11:2:0 1:3:0:1 END";
    // clang-format on
}

void TestSchedule::startActions()
{
    QFETCH(QString, plan);
    QFETCH(QString, actions);
    DrawSchedule schedule;
    schedule.setPlan(prizes(plan));
    QCOMPARE(schedule.currentPrize(), 0);
    QCOMPARE(schedule.currentRound(), 0);

    const QStringList tokens = actions.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        const QByteArray where = QByteArray("start action ") + QByteArray::number(i + 1);
        if (token == QLatin1String("END")) {
            QVERIFY2(schedule.isOver(), where);
            continue;
        }
        QVERIFY2(!schedule.isOver(), where);
        // The name is taken before beginRound() may move on to the next prize.
        const int shownPrize = schedule.currentPrize() + 1;
        QCOMPARE(schedule.prizeName(shownPrize), QStringLiteral("奖%1").arg(shownPrize));
        const int prizeBefore = schedule.currentPrize();
        const int roundBefore = schedule.currentRound();
        const RoundOutcome outcome = schedule.beginRound();

        if (token == QLatin1String("NQ")) {
            QVERIFY2(outcome == RoundOutcome::NoQuantity, where);
            QCOMPARE(schedule.currentPrize(), prizeBefore);
            QCOMPARE(schedule.currentRound(), roundBefore);
            continue;
        }
        const QStringList expected = token.split(QLatin1Char(':'));
        QVERIFY2(outcome == RoundOutcome::RoundBegun, where);
        QCOMPARE(shownPrize, expected.at(0).toInt());
        QCOMPARE(schedule.roundPrizeNumber(), shownPrize);
        QCOMPARE(schedule.roundRows(), expected.at(1).toInt());
        QCOMPARE(schedule.currentRound(), expected.at(2).toInt());
        QCOMPARE(schedule.currentPrize(), expected.at(3).toInt());
    }
}

void TestSchedule::unreadablePlan_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("message");

    QTest::newRow("text quantity") << "2,1;五,1"
                                   << "'五' is not a valid integer value";
    QTest::newRow("fractional rs") << "2,1.5"
                                   << "'1.5' is not a valid integer value";
    QTest::newRow("quantity beyond 32 bits") << "1,1;3000000000,1"
                                             << "'3000000000' is not a valid integer value";
}

void TestSchedule::unreadablePlan()
{
    QFETCH(QString, plan);
    QFETCH(QString, message);
    DrawSchedule schedule;
    schedule.setPlan(prizes(QStringLiteral("3,1")));
    QVERIFY(schedule.beginRound() == RoundOutcome::RoundBegun);

    // A failed reload leaves neither the old plan nor the readable part of the new one.
    try {
        schedule.setPlan(prizes(plan));
        QFAIL("the plan loaded");
    } catch (const ConversionError &e) {
        QCOMPARE(e.text(), message);
    }
    QVERIFY(schedule.isOver());
    QVERIFY(schedule.plan().isEmpty());
    QVERIFY(schedule.beginRound() == RoundOutcome::NoQuantity);
}

// The whole plan is checked before anything is drawn; every prize that cannot be drawn is named.
void TestSchedule::planProblems_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("problems");
    // clang-format off
    QTest::newRow("worked example") << "2,1;5,2;1,1" << QStringList();
    QTest::newRow("blank and zero are no problem") << ",;0,0;3," << QStringList();
    QTest::newRow("ten rows") << "25,10" << QStringList();
    QTest::newRow("eleven per round") << "2,1;12,11"
        << QStringList{"第2项“奖2”：每次抽奖人数 11 超过每次最多可抽的 10 人（抽奖画面最多显示 10 行号码）"};
    QTest::newRow("more per round than the quantity") << "3,11" << QStringList();
    QTest::newRow("largest quantity") << "100000,10" << QStringList();
    QTest::newRow("a quantity typed by mistake") << "10000000,1"
        << QStringList{"第1项“奖1”：奖项数量 10000000 超过上限 100000"};
    QTest::newRow("negative quantity") << "-1,1" << QStringList{"第1项“奖1”：奖项数量 -1 是负数"};
    QTest::newRow("negative per round") << "5,-2" << QStringList{"第1项“奖1”：每次抽奖人数 -2 是负数"};
    QTest::newRow("not numbers, every prize named") << "三,1;2,1.5;4,x"
        << QStringList{"第1项“奖1”：奖项数量“三”不是整数", "第2项“奖2”：每次抽奖人数“1.5”不是整数",
                       "第3项“奖3”：每次抽奖人数“x”不是整数"};
    QTest::newRow("both of one prize") << "abc,-3"
        << QStringList{"第1项“奖1”：奖项数量“abc”不是整数", "第1项“奖1”：每次抽奖人数 -3 是负数"};
    // clang-format on
}

void TestSchedule::planProblems()
{
    QFETCH(QString, plan);
    QFETCH(QStringList, problems);
    QCOMPARE(DrawSchedule::planProblems(prizes(plan), 10), problems);
}

/// "1:2,2:1" -> {1: 2, 2: 1}
static QHash<int, int> perPrize(const QString &text)
{
    QHash<int, int> out;
    for (const QString &pair : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out.insert(pair.section(QLatin1Char(':'), 0, 0).toInt(), pair.section(QLatin1Char(':'), 1, 1).toInt());
    return out;
}

// A draw that goes on after an interruption or a void: the places filled count as drawn, the
// rounds left are those for the places still open, and the rounds go on being numbered.
void TestSchedule::resume_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("filled");      // places filled per prize
    QTest::addColumn<QString>("roundsBegun"); // rounds begun per prize
    QTest::addColumn<QString>("actions");     // as in startActions
    QTest::addColumn<QList<int>>("roundNumbers");
    // clang-format off
    QTest::newRow("nothing drawn yet") << "2,1;5,2;1,1" << "" << ""
        << "1:1:1:0 1:1:0:1 2:2:1:1 2:2:2:1 2:1:0:2 3:1:0:3 END" << QList<int>{1, 2, 1, 2, 3, 1};
    QTest::newRow("interrupted after the third round") << "2,1;5,2;1,1" << "1:2,2:2" << "1:2,2:1"
        << "2:2:2:1 2:1:0:2 3:1:0:3 END" << QList<int>{2, 3, 1};
    QTest::newRow("interrupted after the last round") << "2,1;5,2;1,1" << "1:2,2:5,3:1" << "1:2,2:3,3:1"
        << "END" << QList<int>{};
    QTest::newRow("a win of the first prize voided at the end") << "2,1;5,2;1,1" << "1:1,2:5,3:1" << "1:2,2:3,3:1"
        << "1:1:0:3 END" << QList<int>{3};
    QTest::newRow("a void in the middle of a prize") << "5,2" << "1:1" << "1:1"
        << "1:2:2:0 1:2:0:1 END" << QList<int>{2, 3};
    QTest::newRow("quantity lowered below what was drawn") << "2,1;1,1" << "1:3" << "1:3"
        << "2:1:0:2 END" << QList<int>{1};
    QTest::newRow("quantity raised") << "4,2" << "1:2" << "1:1" << "1:2:0:1 END" << QList<int>{2};
    QTest::newRow("a round of 0 rows was begun") << "2,0;1,1" << "" << "1:1" << "2:1:0:2 END" << QList<int>{1};
    QTest::newRow("a prize without quantity still blocks") << "1,1;0,1;1,1" << "1:1" << "1:1" << "NQ NQ" << QList<int>{};
    // clang-format on
}

void TestSchedule::resume()
{
    QFETCH(QString, plan);
    QFETCH(QString, filled);
    QFETCH(QString, roundsBegun);
    QFETCH(QString, actions);
    QFETCH(QList<int>, roundNumbers);
    DrawSchedule schedule;
    schedule.setPlan(prizes(plan));
    schedule.resume(perPrize(filled), perPrize(roundsBegun));
    QList<int> numbers;
    for (const QString &token : actions.split(QLatin1Char(' '))) {
        if (token == QLatin1String("END")) {
            QVERIFY(schedule.isOver());
            continue;
        }
        const RoundOutcome outcome = schedule.beginRound();
        if (token == QLatin1String("NQ")) {
            QVERIFY(outcome == RoundOutcome::NoQuantity);
            continue;
        }
        QVERIFY(outcome == RoundOutcome::RoundBegun);
        const QStringList expected = token.split(QLatin1Char(':'));
        QCOMPARE(schedule.roundPrizeNumber(), expected.at(0).toInt());
        QCOMPARE(schedule.roundRows(), expected.at(1).toInt());
        QCOMPARE(schedule.currentRound(), expected.at(2).toInt());
        QCOMPARE(schedule.currentPrize(), expected.at(3).toInt());
        numbers << schedule.roundNumber();
    }
    QCOMPARE(numbers, roundNumbers);
}

void TestSchedule::reopeningStartsAgain()
{
    DrawSchedule schedule;
    schedule.setPlan(prizes(QStringLiteral("2,1;1,1")));
    schedule.beginRound();
    schedule.beginRound();
    schedule.beginRound();
    QVERIFY(schedule.isOver());

    schedule.setPlan(prizes(QStringLiteral("2,1;1,1")));
    QVERIFY(!schedule.isOver());
    QCOMPARE(schedule.currentPrize(), 0);
    QCOMPARE(schedule.currentRound(), 0);
    QVERIFY(schedule.beginRound() == RoundOutcome::RoundBegun);
    QCOMPARE(schedule.roundPrizeNumber(), 1);
}

void TestSchedule::prizeNames()
{
    DrawSchedule schedule;
    schedule.setPlan({{QStringLiteral("\"特等\"奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});
    QCOMPARE(schedule.prizeName(1), QStringLiteral("\"特等\"奖"));
    QCOMPARE(schedule.prizeName(2), QString());
    QCOMPARE(schedule.prizeName(0), QString());
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
