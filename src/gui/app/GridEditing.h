#pragma once

#include <functional>

class StringGrid;

/// The editing steps the participant page and the prize page share. Both keep data row k
/// showing the serial k in column 0, with the record whose xh is k behind it; the table
/// operations themselves are passed in.
namespace GridEditing {

/// The serial of data row `row`: the number in column 0, or, for a row that was never
/// numbered (the empty row a grid starts with on an empty table), its position.
int rowSerial(const StringGrid *grid, int row);

/// Add: appends a row, centres and numbers it, creates its record through
/// `addRecord(serial)`, then makes its column 1 current and fixes the header row again.
/// On an empty table the grid's one unnumbered row is taken instead of appending a second
/// row below it. Returns the row. When `addRecord` throws, the row stays, numbered and
/// without a record; its first save gives it one.
int addRow(StringGrid *grid, const std::function<void(int serial)> &addRecord);

/// Save row: writes row `row` through `saveRecord(serial)`. A row that was never numbered
/// shows its serial once its record exists.
void saveRow(StringGrid *grid, int row, const std::function<void(int serial)> &saveRecord);

/// Delete of the current row (which must be a data row): `removeRecord(serial)` deletes the
/// record and renumbers the table; only when it succeeds does the grid lose the row and
/// renumber the rows below, so a failure leaves grid and table as they were.
void removeCurrentRow(StringGrid *grid, const std::function<void(int serial)> &removeRecord);

} // namespace GridEditing
