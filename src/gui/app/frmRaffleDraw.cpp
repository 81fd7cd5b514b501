// The main window's draw commands: the settings dialog, the draw screen and the results page.
#include "frmRaffle.h"

#include "draw/frmCJ.h"
#include "settings/frmSet.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"

#include "draw/Results.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr int ResultsPage = 2;

/// The result grid as the place of a results build.
class ResultGridSink final : public Results::Sink
{
public:
    explicit ResultGridSink(StringGridModel *grid)
        : m_grid(grid)
    {
    }
    void appendPlace(const QString &prize, const QString &item) override
    {
        m_grid->appendRow();
        const int row = m_grid->RowCount() - 1;
        m_grid->setCell(1, row, prize);
        m_grid->setCell(2, row, item);
    }
    void setWinner(int place, const QString &tel, const QString &name) override
    {
        m_grid->setCell(3, place, tel);
        m_grid->setCell(4, place, name);
    }

private:
    StringGridModel *m_grid;
};

void numberAndCentre(StringGrid *grid)
{
    grid->grid()->numberRows();
    grid->grid()->centreAll();
}

/// Lays the results out from the prize grid and fills in the winners of the draw that has
/// just ended. Starts from an empty table; a quantity that is not a number ends it with the
/// places laid out so far.
void buildResults(Tfmraffle &w, const WinnerLog &winners)
{
    w.AdvOfficePager2->setCurrentIndex(ResultsPage);
    StringGridModel *grid = w.GridResult->grid();
    grid->truncateRows(0);
    QList<Results::PrizeRow> prizes;
    for (int p = 1; p < w.GridSetJX->RowCount(); ++p)
        prizes.append({w.GridSetJX->cell(1, p), w.GridSetJX->cell(2, p), w.GridSetJX->cell(4, p)});
    ResultGridSink sink(grid);
    Results::build(prizes, winners, sink);
    numberAndCentre(w.GridResult);
    if (grid->RowCount() > 1)
        w.GridResult->setCurrentCell(0, 1);
}

} // namespace

void Tfmraffle::wireDraw()
{
    connectHandler(N2, &QAction::triggered, this, &Tfmraffle::N2Click);
    connectHandler(N3, &QAction::triggered, this, &Tfmraffle::N3Click);
    connectHandler(AdvGlowButton3, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton3Click);
}

void Tfmraffle::N2Click()
{
    TfmSet dialog(this);
    dialog.exec();
}

void Tfmraffle::N3Click()
{
    WinnerLog winners;
    {
        // A fresh screen each time: the schedule starts at the first prize again.
        TfmCJ screen;
        screen.exec();
        winners = screen.winnerLog(); // outlives the screen, for the results
    }
    buildResults(*this, winners);
}

void Tfmraffle::AdvGlowButton3Click()
{
    const int row = GridResult->currentRow();
    if (row < 1)
        return;
    if (!Dialogs::confirm(this, QStringLiteral(" 确定删除所选记录？"), QStringLiteral("删除记录")))
        return;
    const int col = GridResult->currentCol();
    GridResult->grid()->removeRow(row);
    numberAndCentre(GridResult);
    // The row below moves into the place of the deleted one and becomes current.
    if (GridResult->RowCount() > 1)
        GridResult->setCurrentCell(col, qMin(row, GridResult->RowCount() - 1));
}
