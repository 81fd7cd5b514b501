#pragma once

#include "core/draw/RecordChain.h"

#include <QList>
#include <QString>

struct Prize;

/// The results table: every prize place with the winner drawn for it, as the draw's record
/// has them.
namespace Results {

/// The most places a build lays out, over all prizes together: a quantity typed with a few
/// zeros too many must not take the program's memory and minutes of its time.
constexpr int MaxPlaces = 100000;

/// One row of the results table: a place, filled or empty, or a voided win.
struct Row
{
    QString prize;
    QString item;
    QString phone;
    QString name;
    QString comment;
    int seq = 0; ///< the win's entry in the draw's record; 0 for an empty place
    bool voided = false;
    QString voidReason; ///< why the win was voided
};

/// Where a build puts its rows: the result grid, or a list in tests.
class Sink
{
public:
    virtual ~Sink() = default;
    virtual void appendRow(const Row &row) = 0;
};

/// The number of places a quantity text lays out: a whole number with or without blanks
/// around it that many; a blank text, zero, a negative number or any other text ("三", "2.5")
/// none.
int placeCount(const QString &quantity);

/// Lays the places of the prize levels out and fills in the wins of a draw's record.
///
/// Prize p (draw order, from 1) gets placeCount(quantity) places, until MaxPlaces places
/// stand in all. The draw's wins of prize p that stand take its places in the order drawn; a
/// round that yielded fewer winners than it had rows leaves the rest of its own prize's
/// places empty. A recorded winner is never left out: wins beyond their prize's places (the
/// quantity was lowered after the draw, or the places ended at MaxPlaces) get rows of their
/// own after the places, and the prize's voided wins follow, with their reason. Wins of a
/// prize the table no longer has come after the last prize, under the prize name and item
/// recorded with them.
void build(const QList<Prize> &prizes, const QList<RecordEntry> &entries, Sink &sink);

} // namespace Results
