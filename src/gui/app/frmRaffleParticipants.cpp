// The participant page: adding, saving and deleting rows of Grid_CJ, each change written to
// Tab_CJ at once.
#include "frmRaffle.h"

#include "GridEditing.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"

#include "data/Tables.h"

#include <QPushButton>

namespace {

constexpr int TelCol = 1;
constexpr int CommentCol = 3;

} // namespace

void Tfmraffle::wireParticipantPage()
{
    connectHandler(btn_Add, &QPushButton::clicked, this, &Tfmraffle::btn_AddClick);
    connectHandler(btn_Del, &QPushButton::clicked, this, &Tfmraffle::btn_DelClick);
    connect(Grid_CJ->grid(), &StringGridModel::editCellDone, this,
            [this](int col, int row) { ErrorHandler::guarded([&] { Grid_CJEditCellDone(col, row); }); });
    connect(Grid_CJ, &StringGrid::keyPress, this,
            [this](QChar key) { ErrorHandler::guarded([&] { Grid_CJKeyPress(key); }); });
    // As in any string grid, the first data row is current from the start, so Delete acts
    // on it before anything was clicked.
    if (Grid_CJ->RowCount() > 1)
        Grid_CJ->setCurrentCell(0, 1);
}

void Tfmraffle::btn_AddClick()
{
    GridEditing::addRow(Grid_CJ, [](int serial) { ParticipantTable::add(serial); });
}

void Tfmraffle::Grid_CJEditCellDone(int col, int row)
{
    if (col == CommentCol)
        LastCommentText = Grid_CJ->cell(CommentCol, row);
    // The comment last typed is offered for the row above when the next phone number is
    // typed; it reaches that row's record with the row's next save.
    if (col == TelCol && row > 1)
        Grid_CJ->setCell(CommentCol, row - 1, LastCommentText);
    GridEditing::saveRow(Grid_CJ, row, [this, row](int serial) {
        ParticipantTable::save(serial, Grid_CJ->cell(1, row), Grid_CJ->cell(2, row), Grid_CJ->cell(3, row));
    });
}

void Tfmraffle::Grid_CJKeyPress(QChar key)
{
    if (key == QChar(13) && CJFocusCol == CommentCol)
        btn_AddClick();
}

void Tfmraffle::btn_DelClick()
{
    if (Grid_CJ->currentRow() == 0)
        return;
    if (!Dialogs::confirm(this, QStringLiteral(" 确定删除所选参选人？"), QStringLiteral("删除记录")))
        return;
    GridEditing::removeCurrentRow(Grid_CJ, [](int serial) { ParticipantTable::remove(serial); });
}
