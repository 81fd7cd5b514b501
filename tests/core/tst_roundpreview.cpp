// The rows of the next round, worked out before the schedule counts it (the draw screen
// refuses rounds it cannot show), against what BeginRound then really begins.

#include "TestDb.h"
#include "draw/DrawSchedule.h"
#include "draw/RoundPreview.h"

#include <QTest>

class TestRoundPreview final : public QObject
{
    Q_OBJECT

private slots:
    void matchesBeginRound_data();
    void matchesBeginRound();
};

void TestRoundPreview::matchesBeginRound_data()
{
    QTest::addColumn<QString>("plan"); // "quantity,rs;quantity,rs..." as typed
    QTest::addColumn<QList<int>>("rows"); // the preview at each start action until the end
    QTest::newRow("worked example") << "2,1;5,2;1,1" << QList<int>{1, 1, 2, 2, 1, 1, 0};
    QTest::newRow("rs above quantity") << "3,5" << QList<int>{3, 0};
    QTest::newRow("12 by 10") << "12,10" << QList<int>{10, 2, 0};
    QTest::newRow("25 by 11") << "25,11" << QList<int>{11, 11, 3, 0};
    QTest::newRow("7 by 3") << "7,3" << QList<int>{3, 3, 1, 0};
    QTest::newRow("negative rs") << "5,-2;2,-5" << QList<int>{-2, 2, 0};
    QTest::newRow("blocked by no quantity") << "1,1;0,1;1,1" << QList<int>{1, 0, 0};
    QTest::newRow("rs 0") << "2,0;1,1" << QList<int>{0, 1, 0};
    QTest::newRow("empty prize table") << "" << QList<int>{0};
}

void TestRoundPreview::matchesBeginRound()
{
    QFETCH(QString, plan);
    QFETCH(QList<int>, rows);
    TestDb db;
    QList<QStringList> prizes;
    for (const QString &entry : plan.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList v = entry.split(QLatin1Char(','));
        prizes.append({QStringLiteral("奖"), v.value(0), v.value(1), QString(), QString()});
    }
    db.addPrizes(prizes);
    DrawSchedule schedule;
    schedule.LoadPrizePlan();
    for (int expected : rows) {
        const int preview = upcomingRoundRows(schedule);
        QCOMPARE(preview, expected);
        // Asking twice counts nothing.
        QCOMPARE(upcomingRoundRows(schedule), preview);
        if (schedule.DrawIsOver())
            break;
        const int curPrize = schedule.CurPrize();
        const int curRound = schedule.CurRound();
        if (schedule.BeginRound() == RoundOutcome::RoundBegun) {
            QCOMPARE(schedule.RoundRows(), preview);
        } else {
            QCOMPARE(preview, 0);
            QCOMPARE(schedule.CurPrize(), curPrize);
            QCOMPARE(schedule.CurRound(), curRound);
        }
    }
}

QTEST_GUILESS_MAIN(TestRoundPreview)
#include "tst_roundpreview.moc"
