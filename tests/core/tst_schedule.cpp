// The prize schedule: which prize each start action draws, with how many rows, and when the
// draw is over, read from a throwaway prize table.

#include "TestDb.h"
#include "data/CjError.h"
#include "draw/DrawSchedule.h"

#include <QTest>

class TestSchedule final : public QObject
{
    Q_OBJECT

private slots:
    void startActions_data();
    void startActions();
    void unreadablePlan_data();
    void unreadablePlan();
    void reopeningStartsAgain();
    void prizeNames();
};

namespace {

/// "2,1;5,2" -> prizes 奖1 (2, 1) and 奖2 (5, 2); quantity and rs as typed.
QList<QStringList> prizeRows(const QString &plan)
{
    QList<QStringList> rows;
    const QStringList entries = plan.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList values = entries.at(i).split(QLatin1Char(','));
        rows.append({QStringLiteral("奖%1").arg(i + 1), values.value(0), values.value(1), QString(), QString()});
    }
    return rows;
}

} // namespace

// Each start action is one token (rs 0 gives a round of 0 rows and finishes the prize):
//   prize:rows:CurRound:CurPrize   a round of the prize with that number began with that many
//                                  rows, leaving CurRound and CurPrize as given
//   NQ                             NoQuantity, nothing changed
//   END                            DrawIsOver is true
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
    QTest::newRow("negative rs, no remainder") << "5,-2"        << "1:-2:0:1 END";
    QTest::newRow("negative rs, remainder")    << "2,-5"        << "1:2:0:1 END";
    QTest::newRow("blocked by no quantity")    << "7,3;0,1;1,1" << "1:3:1:0 1:3:2:0 1:1:0:1 NQ NQ NQ";
    QTest::newRow("negative quantity")         << "-1,1;1,1"    << "NQ NQ";
    QTest::newRow("empty quantity is 0")       << ",3;1,1"      << "NQ NQ";
    QTest::newRow("empty prize table")         << ""            << "END";
    QTest::newRow("rs 0 ends the prize")       << "2,0;1,1"     << "1:0:0:1 2:1:0:2 END";
    QTest::newRow("empty rs is 0")             << "2,;1,1"      << "1:0:0:1 2:1:0:2 END";
    QTest::newRow("blanks around numbers")     << " 3 , 2 "     << "1:2:1:0 1:1:0:1 END";
    // clang-format on
}

void TestSchedule::startActions()
{
    QFETCH(QString, plan);
    QFETCH(QString, actions);
    TestDb db;
    db.addPrizes(prizeRows(plan));

    DrawSchedule schedule;
    schedule.LoadPrizePlan();
    QCOMPARE(schedule.CurPrize(), 0);
    QCOMPARE(schedule.CurRound(), 0);

    const QStringList tokens = actions.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        const QByteArray where = QByteArray("start action ") + QByteArray::number(i + 1);
        if (token == QLatin1String("END")) {
            QVERIFY2(schedule.DrawIsOver(), where);
            continue;
        }
        QVERIFY2(!schedule.DrawIsOver(), where);
        // The name is taken before BeginRound may move on to the next prize.
        const int shownPrize = schedule.CurPrize() + 1;
        QCOMPARE(schedule.PrizeName(shownPrize), QStringLiteral("奖%1").arg(shownPrize));
        const int prizeBefore = schedule.CurPrize();
        const int roundBefore = schedule.CurRound();
        const RoundOutcome outcome = schedule.BeginRound();

        if (token == QLatin1String("NQ")) {
            QVERIFY2(outcome == RoundOutcome::NoQuantity, where);
            QCOMPARE(schedule.PrizeQty(), 0);
            QCOMPARE(schedule.CurPrize(), prizeBefore);
            QCOMPARE(schedule.CurRound(), roundBefore);
            continue;
        }
        const QStringList expected = token.split(QLatin1Char(':'));
        QVERIFY2(outcome == RoundOutcome::RoundBegun, where);
        QCOMPARE(shownPrize, expected.at(0).toInt());
        QCOMPARE(schedule.roundPrizeNumber(), shownPrize);
        QCOMPARE(schedule.RoundRows(), expected.at(1).toInt());
        QCOMPARE(schedule.CurRound(), expected.at(2).toInt());
        QCOMPARE(schedule.CurPrize(), expected.at(3).toInt());
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
    TestDb db;
    db.addPrizes(prizeRows(QStringLiteral("3,1")));
    DrawSchedule schedule;
    schedule.LoadPrizePlan();
    QVERIFY(schedule.BeginRound() == RoundOutcome::RoundBegun);

    // A failed reload leaves neither the old plan nor the readable part of the new one.
    db.exec(QStringLiteral("delete from Tab_Set"));
    db.addPrizes(prizeRows(plan));
    try {
        schedule.LoadPrizePlan();
        QFAIL("the plan loaded");
    } catch (const ConvertError &e) {
        QCOMPARE(e.text(), message);
    }
    QVERIFY(schedule.DrawIsOver());
    QCOMPARE(schedule.prizeCount(), 0);
    QVERIFY(schedule.BeginRound() == RoundOutcome::NoQuantity);
}

void TestSchedule::reopeningStartsAgain()
{
    TestDb db;
    db.addPrizes(prizeRows(QStringLiteral("2,1;1,1")));
    DrawSchedule schedule;
    schedule.LoadPrizePlan();
    schedule.BeginRound();
    schedule.BeginRound();
    schedule.BeginRound();
    QVERIFY(schedule.DrawIsOver());

    schedule.LoadPrizePlan();
    QVERIFY(!schedule.DrawIsOver());
    QCOMPARE(schedule.CurPrize(), 0);
    QCOMPARE(schedule.CurRound(), 0);
    QVERIFY(schedule.BeginRound() == RoundOutcome::RoundBegun);
    QCOMPARE(schedule.roundPrizeNumber(), 1);
}

void TestSchedule::prizeNames()
{
    TestDb db;
    db.addPrizes({{QStringLiteral("\"特等\"奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});
    DrawSchedule schedule;
    QCOMPARE(schedule.PrizeName(1), QStringLiteral("\"特等\"奖"));
    QCOMPARE(schedule.PrizeName(2), QString());
    QCOMPARE(schedule.PrizeName(0), QString());
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
