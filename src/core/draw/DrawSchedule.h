#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct Prize;

/// One prize level of the draw, its numbers read from the prize table.
struct PlannedPrize
{
    QString name;
    QString item;     ///< the prize item ("奖品")
    int quantity = 0; ///< winners of the prize
    int perRound = 0; ///< winners drawn in each round
};

/// What a start action gets from the schedule.
enum class RoundOutcome {
    NoQuantity, ///< the current prize has no quantity: no round begins
    RoundBegun, ///< a round begins with roundRows() rows
};

/// Which prize the next round belongs to, how many rows it has, and when the draw is over.
/// The prizes are drawn in draw order, each over as many rounds as its places require: rounds
/// of perRound rows, the last one the remainder of the places still open. A draw that goes on
/// after an interruption, or after a win was voided, resumes from the places already filled.
///
/// Calling order at a start action: isOver(); if false, prizeName(currentPrize() + 1) for
/// the notification; then beginRound().
class DrawSchedule final
{
public:
    /// The most winners one prize may have: a quantity typed by mistake (10000000) must not
    /// lay out millions of result places.
    static constexpr int MaxQuantity = 100000;

    /// What keeps the prize levels from being drawn, one line per prize that cannot be: a
    /// quantity or winners per round that is not a whole number or is negative, a quantity
    /// above MaxQuantity, or a round of more than @p maxRoundRows rows. Empty when the whole
    /// plan can be drawn. A blank quantity or winners per round reads as 0 and is no problem
    /// here (see beginRound()).
    static QStringList planProblems(const QList<Prize> &prizes, int maxRoundRows);

    /// Takes the plan from the prize levels in draw order and starts at the first prize. A
    /// quantity or winners-per-round text that is not a whole number throws ConversionError
    /// naming the text (a blank one reads as 0); after a failure the schedule holds no plan,
    /// so isOver() is true and nothing can roll.
    void setPlan(const QList<Prize> &prizes);

    /// Goes on with a draw whose places were partly filled: each prize (by number, from 1) has
    /// @p filled places taken, and @p roundsBegun rounds begun so far (for numbering the rounds
    /// that follow). The rounds that remain are those for the places still open; a prize whose
    /// quantity is now at or below what was filled gets no more rounds. The next round belongs
    /// to the first prize in draw order with a place open.
    void resume(const QHash<int, int> &filled, const QHash<int, int> &roundsBegun);

    /// True when every prize has been taken.
    bool isOver() const;

    /// The name of the prize with the number (1-based draw order), or "" when there is none.
    QString prizeName(int number) const;

    /// Steps to the next round. A prize with a quantity below 1 gives NoQuantity and blocks
    /// the schedule (every later call gives NoQuantity again). Otherwise the round gets the
    /// prize's winners per round as rows, or the places still open when fewer; the prize
    /// counts as finished when its last round begins. A prize with 0 winners per round gives
    /// one round of 0 rows and is then finished. When the draw is over it gives NoQuantity
    /// and changes nothing.
    RoundOutcome beginRound();

    const QList<PlannedPrize> &plan() const { return m_plan; }
    /// 0-based index of the prize the next round belongs to.
    int currentPrize() const { return m_currentPrize; }
    /// Rounds already begun for the prize at currentPrize().
    int currentRound() const;
    /// Rows, and so winners, of the round the latest beginRound() began.
    int roundRows() const { return m_roundRows; }
    /// Prize number (1-based) of the round the latest beginRound() began; 0 before the first.
    int roundPrizeNumber() const { return m_roundPrizeNumber; }
    /// Which round of its prize (from 1) the latest beginRound() began.
    int roundNumber() const { return m_roundNumber; }

private:
    /// Moves on past the prizes that are done; a prize without quantity stops it.
    void skipFinishedPrizes();

    QList<PlannedPrize> m_plan;
    QList<int> m_open;        // places still open, per prize
    QList<int> m_roundsBegun; // per prize
    int m_currentPrize = 0;
    int m_roundRows = 0;
    int m_roundPrizeNumber = 0;
    int m_roundNumber = 0;
};
