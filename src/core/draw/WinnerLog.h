#pragma once

#include <QList>
#include <QString>

/// One winner of a draw: the full phone number and the prize number (1-based, the prize's
/// serial in the prize table) of the round that drew it.
struct WinnerEntry
{
    QString number;
    int prizeNumber = 0;

    friend bool operator==(const WinnerEntry &, const WinnerEntry &) = default;
};

/// The winners of one opening of the draw screen, in the order they were recorded: slot
/// order within a stop, stop order across stops. The results page pairs each entry with a
/// place of its own prize.
using WinnerLog = QList<WinnerEntry>;
