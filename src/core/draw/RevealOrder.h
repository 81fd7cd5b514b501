#pragma once

/// Rows of a round stand on the draw screen in columns of up to this many, side by side:
/// row r is line r mod RowsPerColumn of column r / RowsPerColumn.
inline constexpr int RowsPerColumn = 10;

/// The columns a round of @p roundRows rows takes: none for 0 rows or fewer, else
/// roundRows / RowsPerColumn rounded up.
int columnCountOf(int roundRows);

/// The row on which the participant last rolled on row @p rolledRow is revealed when a round
/// of @p roundRows rows stops: the row mirrored within its column, so that a winner rolled at
/// the top of a column comes out at its bottom. The mapping is its own inverse and keeps every
/// row in its column; up to RowsPerColumn rows it is roundRows - 1 - rolledRow.
/// @return -1 for a row outside 0..roundRows - 1.
int revealRowOf(int rolledRow, int roundRows);
