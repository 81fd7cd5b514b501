#include "core/draw/RevealOrder.h"

#include <algorithm>

int columnCountOf(int roundRows)
{
    return roundRows > 0 ? (roundRows + RowsPerColumn - 1) / RowsPerColumn : 0;
}

int revealRowOf(int rolledRow, int roundRows)
{
    if (rolledRow < 0 || rolledRow >= roundRows)
        return -1;
    const int first = rolledRow / RowsPerColumn * RowsPerColumn;
    // The last column holds what is left over, so it mirrors over its own height.
    const int inColumn = std::min(RowsPerColumn, roundRows - first);
    return first + inColumn - 1 - (rolledRow - first);
}
