#include "gui/app/ResultsPage.h"

#include "core/data/PrizeStore.h"
#include "core/draw/Results.h"
#include "gui/app/SheetTransfer.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QPushButton>

namespace {

constexpr int PrizeColumn = 1;
constexpr int ItemColumn = 2;
constexpr int PhoneColumn = 3;
constexpr int NameColumn = 4;

/// The result grid as the place of a results build.
class ResultGrid final : public Results::Sink
{
public:
    explicit ResultGrid(GridModel *grid)
        : m_grid(grid)
    {
    }
    void appendPlace(const QString &prize, const QString &item) override
    {
        m_grid->appendRow();
        const int row = m_grid->rowCount() - 1;
        m_grid->setText(row, PrizeColumn, prize);
        m_grid->setText(row, ItemColumn, item);
    }
    void setWinner(int place, const QString &phone, const QString &name) override
    {
        m_grid->setText(place - 1, PhoneColumn, phone);
        m_grid->setText(place - 1, NameColumn, name);
    }

private:
    GridModel *m_grid;
};

} // namespace

ResultsPage::ResultsPage(Database &db, QWidget *parent)
    : GridPage({QStringLiteral("序号"), QStringLiteral("奖项"), QStringLiteral("奖品"), QStringLiteral("手机号码"),
                QStringLiteral("姓名"), QStringLiteral("备注")},
               {58, 141, 137, 154, 150, 629}, parent)
    , m_participants(db)
{
    setObjectName(QStringLiteral("resultsPage"));
    view()->setObjectName(QStringLiteral("resultGrid"));
    view()->setAccessibleName(QStringLiteral("抽奖结果"));
    view()->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view()->setTabKeyNavigation(false);
    setDeleteQuestion(QStringLiteral(" 确定删除所选记录？"), QStringLiteral("删除记录"));

    connectGuarded(addButton(QStringLiteral("删除所选记录"), 11, 102, ":/icons/delete.png", "deleteResultButton"),
                   &QPushButton::clicked, this, &ResultsPage::deleteCurrentRow);
    connectGuarded(addButton(QStringLiteral("导出到excel"), 115, 93, ":/icons/sheet.png", "exportResultsButton"),
                   &QPushButton::clicked, this, &ResultsPage::exportResults);
}

void ResultsPage::showResults(const QList<Prize> &prizes, const WinnerLog &winners)
{
    model()->clear();
    ResultGrid grid(model());
    Results::build(prizes, winners, m_participants, grid);
    view()->setCurrentCell(0, 0);
}

void ResultsPage::exportResults()
{
    GridView::endEditsIn(window());
    SheetTransfer::exportGrid(this, *model());
}
