#include "GridEditing.h"

#include "ui/StringGrid.h"

#include "data/TextUtil.h"

namespace GridEditing {

namespace {

bool isNumbered(const StringGrid *grid, int row)
{
    return !cj::isBlank(grid->cell(0, row));
}

} // namespace

int rowSerial(const StringGrid *grid, int row)
{
    return isNumbered(grid, row) ? cj::toInteger(grid->cell(0, row)) : row;
}

int addRow(StringGrid *grid, const std::function<void(int serial)> &addRecord)
{
    StringGridModel *model = grid->grid();
    // The one row an empty table shows has no record and no serial yet; a second row below
    // it would leave the operator two rows where he asked for one.
    const bool takeEmptyRow = model->RowCount() == 2 && !isNumbered(grid, 1);
    if (!takeEmptyRow)
        model->appendRow();
    const int row = model->RowCount() - 1;
    model->centreRow(row);
    // The rows above are numbered already: loading, adding, deleting and importing all keep
    // row k showing k, so only the new row needs its number.
    model->setCell(0, row, QString::number(row));
    addRecord(row);
    grid->setFocus();
    grid->setCurrentCell(1, row);
    grid->setFixedRows(1);
    return row;
}

void saveRow(StringGrid *grid, int row, const std::function<void(int serial)> &saveRecord)
{
    const int serial = rowSerial(grid, row);
    saveRecord(serial);
    if (!isNumbered(grid, row))
        grid->setCell(0, row, QString::number(serial));
}

void removeCurrentRow(StringGrid *grid, const std::function<void(int serial)> &removeRecord)
{
    const int row = grid->currentRow();
    if (row < 1)
        return;
    removeRecord(rowSerial(grid, row));
    StringGridModel *model = grid->grid();
    model->removeRow(row);
    model->numberRows(row);
    // With its last data row gone the grid keeps row 0 alone, no longer a fixed row.
    if (model->RowCount() == 1)
        grid->setFixedRows(0);
}

} // namespace GridEditing
