#pragma once

#include <QList>
#include <QString>

/// One prize level of the plan, as typed in the prize table.
struct PrizeEntry
{
    int quantity = 0; ///< winners of this prize
    int rs = 0;       ///< winners per round
};

/// What a start action gets from the schedule.
enum class RoundOutcome {
    NoQuantity, ///< the prize at CurPrize has no quantity: no round begins
    RoundBegun, ///< a round begins with RoundRows() rows
};

/// Which prize the next round belongs to, how many rows it has, and when the draw is over.
/// Lives as long as one draw screen; every operation runs on the UI thread and opens its own
/// database access object.
///
/// Calling order at a start action: DrawIsOver(); if false, PrizeName(CurPrize() + 1) for
/// the notification; then BeginRound().
class DrawSchedule final
{
public:
    /// Loads the plan from the prize table in serial order and starts at the first prize.
    /// A quantity or rs that is not a whole number throws ConvertError naming the text (an
    /// empty one reads as 0); a failing query throws DbError. After a failure the schedule
    /// holds no plan at all, so DrawIsOver() is true and nothing can roll.
    void LoadPrizePlan();

    /// True when every prize has been taken (CurPrize() >= prizeCount()).
    bool DrawIsOver() const;

    /// The name of the prize with serial @p number, or the empty text when there is none.
    /// Throws DbError.
    QString PrizeName(int number) const;

    /// Steps to the next round. A prize with a quantity below 1 gives NoQuantity and blocks
    /// the schedule (every later call gives NoQuantity again). Otherwise the round gets rs
    /// rows, the last round of a prize the remainder; the prize counts as finished when its
    /// last round begins. A prize with rs 0 gives one round of 0 rows and is then finished.
    /// Called when the draw is already over it gives NoQuantity and changes nothing.
    RoundOutcome BeginRound();

    const QList<PrizeEntry> &PrizePlan() const { return m_plan; }
    int prizeCount() const { return int(m_plan.size()); }
    /// 0-based index of the prize the next round belongs to.
    int CurPrize() const { return m_curPrize; }
    /// Rounds already begun for the prize at CurPrize().
    int CurRound() const { return m_curRound; }
    /// Quantity of the prize taken at the latest BeginRound (0 when it had none).
    int PrizeQty() const { return m_prizeQty; }
    /// Rows, and so winners, of the round the latest BeginRound began.
    int RoundRows() const { return m_roundRows; }
    /// Prize number (CurPrize() + 1 as it was before the step) of the round the latest
    /// BeginRound began; 0 before the first round.
    int roundPrizeNumber() const { return m_roundPrizeNumber; }

private:
    QList<PrizeEntry> m_plan;
    int m_curPrize = 0;
    int m_curRound = 0;
    int m_prizeQty = 0;
    int m_roundRows = 0;
    int m_roundPrizeNumber = 0;
};
