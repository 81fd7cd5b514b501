#include "gui/app/ResultsPage.h"

#include "core/base/Files.h"
#include "core/data/DrawRecordStore.h"
#include "core/data/PrizeStore.h"
#include "core/draw/Results.h"
#include "gui/app/SheetTransfer.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

namespace {

enum Column { PrizeColumn = 1, ItemColumn, PhoneColumn, NameColumn, CommentColumn, VoidColumn };

/// The result grid as the place of a results build. A column the page does not show carries
/// a voided win's reason: the export's last column.
class ResultGrid final : public Results::Sink
{
public:
    ResultGrid(GridModel *grid, QList<int> *seqs)
        : m_grid(grid)
        , m_seqs(seqs)
    {
    }
    void appendRow(const Results::Row &r) override
    {
        m_grid->appendRow();
        const int row = m_grid->rowCount() - 1;
        m_grid->setText(row, PrizeColumn, r.prize);
        m_grid->setText(row, ItemColumn, r.item);
        m_grid->setText(row, PhoneColumn, r.phone);
        m_grid->setText(row, NameColumn, r.name);
        // A voided win says so where the operator reads along the row.
        m_grid->setText(row, CommentColumn,
                        r.voided ? QStringLiteral("已作废（%1）%2").arg(r.voidReason, r.comment) : r.comment);
        m_grid->setText(row, VoidColumn, r.voided ? r.voidReason : QString());
        m_seqs->append(r.voided ? 0 : r.seq);
    }

private:
    GridModel *m_grid;
    QList<int> *m_seqs;
};

} // namespace

ResultsPage::ResultsPage(Database &db, QWidget *parent)
    : GridPage({QStringLiteral("序号"), QStringLiteral("奖项"), QStringLiteral("奖品"), QStringLiteral("手机号码"),
                QStringLiteral("姓名"), QStringLiteral("备注"), QStringLiteral("作废原因")},
               {58, 141, 137, 154, 150, 629}, parent)
    , m_db(db)
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("resultsPage"));
    view()->setObjectName(QStringLiteral("resultGrid"));
    view()->setAccessibleName(QStringLiteral("抽奖结果"));
    view()->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view()->setTabKeyNavigation(false);
    // The grid shows the six columns of the table; the export writes the void reason too.
    view()->setColumnHidden(VoidColumn, true);
    setDeleteQuestion(QStringLiteral(" 确定删除所选记录？"), QStringLiteral("删除记录"));

    connectGuarded(addButton(QStringLiteral("删除所选记录"), 11, 102, ":/icons/delete.png", "deleteResultButton"),
                   &QPushButton::clicked, this, &ResultsPage::deleteCurrentRow);
    connectGuarded(addButton(QStringLiteral("导出到excel"), 115, 93, ":/icons/sheet.png", "exportResultsButton"),
                   &QPushButton::clicked, this, &ResultsPage::exportResults);
    connectGuarded(addButton(QStringLiteral("作废所选中奖"), 211, 102, ":/icons/delete.png", "voidWinButton"),
                   &QPushButton::clicked, this, &ResultsPage::voidSelectedWin);
    connectGuarded(addButton(QStringLiteral("导出抽奖记录"), 316, 102, ":/icons/sheet.png", "exportRecordButton"),
                   &QPushButton::clicked, this, &ResultsPage::exportRecord);

    m_status->setObjectName(QStringLiteral("recordStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setContentsMargins(8, 2, 8, 2);
    addToPanel(m_status, 424);
}

void ResultsPage::showLatestDraw()
{
    model()->clear();
    m_seqs.clear();
    DrawRecordStore record(m_db);
    const std::optional<DrawInfo> latest = record.latestDraw();
    m_drawId = latest ? latest->id : 0;
    showCheck();
    ResultGrid grid(model(), &m_seqs);
    // Before the first draw the places wait for their winners.
    Results::build(PrizeStore(m_db).loadAll(), latest ? record.entries(m_drawId) : QList<RecordEntry>(), grid);
    if (model()->rowCount() == 0)
        model()->resetToEmptyRow(); // as every grid of the window, one empty row at least
    view()->setCurrentCell(0, 0);
}

void ResultsPage::showCheck()
{
    if (m_drawId == 0) {
        m_status->setStyleSheet(QString());
        m_status->setText(QStringLiteral("还没有抽奖记录。"));
        m_status->setAccessibleName(m_status->text());
        return;
    }
    const RecordCheck check = DrawRecordStore(m_db).check(m_drawId);
    if (check.intact) {
        m_status->setStyleSheet(QString());
        m_status->setText(QStringLiteral("第 %1 场抽奖的记录完整，最后校验码 %2").arg(m_drawId).arg(check.headHash));
    } else {
        QStringList seqs;
        for (int seq : check.alteredSeqs)
            seqs << QString::number(seq);
        m_status->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
        m_status->setText(QStringLiteral("第 %1 场抽奖的记录被改动过：第 %2 条记录与校验码不符。")
                              .arg(QString::number(m_drawId), seqs.join(QStringLiteral("、"))));
    }
    m_status->setAccessibleName(m_status->text());
}

void ResultsPage::removeRecord(int serial)
{
    // Deleting a row only takes it off the page; the record keeps the win.
    if (serial - 1 < m_seqs.size())
        m_seqs.removeAt(serial - 1);
}

void ResultsPage::exportResults()
{
    GridView::endEditsIn(window());
    SheetTransfer::exportGrid(this, *model());
}

void ResultsPage::voidSelectedWin()
{
    const int row = view()->currentRow();
    const int seq = m_seqs.value(row);
    if (seq == 0 || m_drawId == 0) {
        Dialogs::information(this, QStringLiteral("请先在表格中选择一位中奖者（已作废的中奖不能再作废）。"),
                             QStringLiteral("提示!"));
        return;
    }
    const std::optional<QString> reason = Dialogs::instance().askText(
        this,
        QStringLiteral("作废 %1 %2 的中奖（%3），该名额将重新抽取。\n作废原因：")
            .arg(model()->text(row, PhoneColumn), model()->text(row, NameColumn), model()->text(row, PrizeColumn)),
        QStringLiteral("作废中奖"), DrawRecordStore::defaultVoidReason());
    if (!reason)
        return;
    DrawRecordStore(m_db).voidWin(m_drawId, seq, *reason, QDateTime::currentDateTime());
    showLatestDraw();
    Dialogs::information(this, QStringLiteral("已作废。下次进入“开始抽奖”时可以继续这场抽奖，重新抽取空出的名额。"),
                         QStringLiteral("提示!"));
}

void ResultsPage::exportRecord()
{
    if (m_drawId == 0) {
        Dialogs::information(this, QStringLiteral("还没有抽奖记录可以导出。"), QStringLiteral("提示!"));
        return;
    }
    const QString file = Dialogs::saveFileIn(this, Dialogs::Folder::Sheets, {QStringLiteral("*.csv")});
    if (file.isEmpty())
        return;
    DrawRecordStore(m_db).exportCsv(m_drawId, file);
    Dialogs::information(
        this, QStringLiteral("抽奖记录已导出到“%1”，其中每条记录都带有校验码。").arg(Files::displayPath(file)),
        QStringLiteral("成功！"));
}
