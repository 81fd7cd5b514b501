#pragma once

#include "WinnerLog.h"

#include <QList>
#include <QString>

/// The results table: every prize place of the prize plan with the winner drawn for it.
/// Built after the draw screen has closed, from the prize grid as it stands then and the
/// winners of that draw; nothing of it is stored.
namespace Results {

/// One prize row of the prize grid, texts as they stand in the grid.
struct PrizeRow
{
    QString name;     ///< "奖项名称"
    QString quantity; ///< "奖项数量"
    QString item;     ///< "奖品"
};

/// Where a build puts its places and winners: the result grid, or a list in tests.
class Sink
{
public:
    virtual ~Sink() = default;
    /// Appends one place at the end with its prize name and prize item, no winner yet.
    virtual void appendPlace(const QString &prize, const QString &item) = 0;
    /// Puts a winner into place `place` (1 = the first place appended).
    virtual void setWinner(int place, const QString &tel, const QString &name) = 0;
};

/// The number of places a quantity text lays out: a blank text none; a whole number with or
/// without blanks around it that many; zero or a negative number none.
/// Throws ConvertError for any other text ("三", "2.5").
int placeCount(const QString &quantity);

/// Lays the places out and fills in the winners.
///
/// Prize row p (1-based, grid order, which is draw order) gets placeCount(quantity) places in
/// a row. Each winner takes the next free place of the prize it was drawn for, so a round
/// that yielded fewer winners than it had rows leaves the rest of its own prize's places
/// empty instead of pushing later winners against the wrong prizes. A winner whose prize
/// has no free place left (the prize grid was edited after the draw) is not shown, and a
/// blank number ends the winners. Names are looked up in the participant table through one
/// connection, the first matching row by serial; a number without a row gets an empty name.
///
/// A quantity that is not a number throws ConvertError after the places of the rows before
/// it have been appended; a database failure throws DbError with the winners before it set.
void build(const QList<PrizeRow> &prizes, const WinnerLog &winners, Sink &sink);

} // namespace Results
