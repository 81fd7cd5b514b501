#pragma once

class DrawSchedule;

/// The rows of the round that the schedule's next BeginRound() would begin, worked out
/// without counting it: the start action refuses a round the screen cannot show before the
/// schedule has taken it. 0 when BeginRound() would give NoQuantity or the draw is over.
int upcomingRoundRows(const DrawSchedule &schedule);
