#pragma once

#include "core/draw/WinnerLog.h"

#include <QList>
#include <QString>

class ParticipantStore;
struct Prize;

/// The results table: every prize place of the prize plan with the winner drawn for it.
/// Built after the draw screen has closed, from the prize grid as it stands then and the
/// winners of that draw; nothing of it is stored.
namespace Results {

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

/// The most places a build lays out, over all prizes together: a quantity typed with a few
/// zeros too many must not take the program's memory and minutes of its time.
constexpr int MaxPlaces = 100000;

/// The number of places a quantity text lays out: a blank text none; a whole number with or
/// without blanks around it that many; zero or a negative number none.
/// Throws ConversionError for any other text ("三", "2.5").
int placeCount(const QString &quantity);

/// Lays the places out and fills in the winners.
///
/// Prize row p (1-based, grid order, which is draw order) gets placeCount(quantity) places in
/// a row, until MaxPlaces places stand in all: the places beyond, of that prize or of the
/// prizes after it, are not laid out. Each winner takes the next free place of the prize it
/// was drawn for, so a round that yielded fewer winners than it had rows leaves the rest of
/// its own prize's places empty instead of pushing later winners against the wrong prizes.
/// A winner whose prize has no free place left (the prize grid was edited after the draw,
/// or the places ended at MaxPlaces) is not shown, and a blank number ends the winners.
/// Names are looked up in the participant table, the first matching row by serial; a number
/// without a row gets an empty name.
///
/// A quantity that is not a number throws ConversionError after the places of the rows
/// before it have been appended; a database failure throws DatabaseError with the winners
/// before it set.
void build(const QList<Prize> &prizes, const WinnerLog &winners, ParticipantStore &participants, Sink &sink);

} // namespace Results
