// The prize page: adding, saving and deleting rows of GridSetJX, each change written to
// Tab_Set at once.
#include "frmRaffle.h"

#include "GridEditing.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"

#include "data/Tables.h"

#include <QPushButton>

namespace {

constexpr int CommentCol = 5;

} // namespace

void Tfmraffle::wirePrizePage()
{
    connectHandler(AdvGlowButton9, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton9Click);
    connectHandler(AdvGlowButton8, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton8Click);
    connect(GridSetJX->grid(), &StringGridModel::editCellDone, this,
            [this](int col, int row) { ErrorHandler::guarded([&] { GridSetJXEditCellDone(col, row); }); });
    connect(GridSetJX, &StringGrid::keyPress, this,
            [this](QChar key) { ErrorHandler::guarded([&] { GridSetJXKeyPress(key); }); });
    if (GridSetJX->RowCount() > 1)
        GridSetJX->setCurrentCell(0, 1);
}

void Tfmraffle::AdvGlowButton9Click()
{
    GridEditing::addRow(GridSetJX, [](int serial) { PrizeTable::add(serial); });
}

void Tfmraffle::GridSetJXEditCellDone(int, int row)
{
    // No text is carried from row to row here: copying the winners per round into the
    // comment of the row above would overwrite a comment the operator typed there.
    GridEditing::saveRow(GridSetJX, row, [this, row](int serial) {
        PrizeTable::save(serial, GridSetJX->cell(1, row), GridSetJX->cell(2, row), GridSetJX->cell(3, row),
                         GridSetJX->cell(4, row), GridSetJX->cell(5, row));
    });
}

void Tfmraffle::GridSetJXKeyPress(QChar key)
{
    if (key == QChar(13) && JXFocusCol == CommentCol)
        AdvGlowButton9Click();
}

void Tfmraffle::AdvGlowButton8Click()
{
    if (GridSetJX->currentRow() == 0)
        return;
    if (!Dialogs::confirm(this, QStringLiteral(" 确定删除所选奖项？"), QStringLiteral("删除")))
        return;
    GridEditing::removeCurrentRow(GridSetJX, [](int serial) { PrizeTable::remove(serial); });
}
