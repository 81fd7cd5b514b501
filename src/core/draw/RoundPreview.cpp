#include "RoundPreview.h"

#include "DrawSchedule.h"

int upcomingRoundRows(const DrawSchedule &schedule)
{
    if (schedule.DrawIsOver())
        return 0;
    const PrizeEntry &prize = schedule.PrizePlan().at(schedule.CurPrize());
    if (prize.quantity < 1 || prize.rs == 0)
        return 0;
    // The remainder rule: only the last round of a prize whose quantity is not a multiple
    // of its rows per round is shortened to the remainder.
    const int q = prize.quantity / prize.rs;
    const int r = prize.quantity % prize.rs;
    return (r != 0 && schedule.CurRound() + 1 == q + 1) ? r : prize.rs;
}
