#include "gui/app/ParticipantsPage.h"

#include "core/base/Text.h"
#include "core/data/ParticipantImport.h"
#include "gui/app/SheetTransfer.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QPushButton>

namespace {

constexpr int PhoneColumn = 1;
constexpr int CommentColumn = 3;

Participant participantOf(const QStringList &texts)
{
    return {texts.value(0), texts.value(1), texts.value(2)};
}

} // namespace

ParticipantsPage::ParticipantsPage(Database &db, QWidget *parent)
    : GridPage({QStringLiteral("序号"), QStringLiteral("手机号"), QStringLiteral("姓名"), QStringLiteral("备注")},
               {76, 112, 158, 923}, parent)
    , m_store(db)
    , m_lastComment(QStringLiteral("备注"))
{
    setObjectName(QStringLiteral("participantsPage"));
    view()->setObjectName(QStringLiteral("participantGrid"));
    view()->setAccessibleName(QStringLiteral("参选人"));
    view()->setAlwaysEdit(true);
    setEditing();
    setDeleteQuestion(QStringLiteral(" 确定删除所选参选人？"), QStringLiteral("删除记录"));

    connectGuarded(addButton(QStringLiteral("添加参选人"), 8, 86, ":/icons/add.png", "addParticipantButton"),
                   &QPushButton::clicked, this, &ParticipantsPage::addRow);
    connectGuarded(addButton(QStringLiteral("删除参选人"), 96, 84, ":/icons/delete.png", "deleteParticipantButton"),
                   &QPushButton::clicked, this, &ParticipantsPage::deleteCurrentRow);
    connectGuarded(addButton(QStringLiteral("从excel导入"), 182, 93, ":/icons/sheet.png", "importButton"),
                   &QPushButton::clicked, this, &ParticipantsPage::importParticipants);
    connectGuarded(addButton(QStringLiteral("导出到excel"), 278, 93, ":/icons/sheet.png", "exportParticipantsButton"),
                   &QPushButton::clicked, this, &ParticipantsPage::exportParticipants);
}

void ParticipantsPage::load()
{
    const QList<Participant> participants = m_store.loadAll();
    // With an empty table the grid keeps its one empty row.
    if (!participants.isEmpty()) {
        QList<QStringList> rows;
        rows.reserve(participants.size());
        for (const Participant &p : participants)
            rows.append({p.phone, p.name, p.comment});
        model()->setRows(rows);
    }
    // As in any grid, the first row is current from the start, so Delete acts on it before
    // anything was clicked.
    view()->setCurrentCell(0, 0);
}

void ParticipantsPage::addRecord(int serial)
{
    m_store.add(serial);
}

void ParticipantsPage::saveRecord(int serial, const QStringList &texts)
{
    m_store.save(serial, participantOf(texts));
}

void ParticipantsPage::removeRecord(int serial)
{
    m_store.remove(serial);
}

void ParticipantsPage::editFinished(int row, int column)
{
    if (column == CommentColumn)
        m_lastComment = model()->text(row, CommentColumn);
    saveRow(row);
    if (column == PhoneColumn && row > 0)
        carryCommentInto(row - 1);
}

void ParticipantsPage::carryCommentInto(int row)
{
    // The comment last typed is offered for the row above when the next phone number is
    // entered. An edit of the phone column ends at every move through it, typed or not, so
    // only an empty comment is filled: one the operator gave is never overwritten. The row
    // is saved at once, so that grid and table never show two comments for it.
    const QString before = model()->text(row, CommentColumn);
    if (!Text::isBlank(before) || Text::isBlank(m_lastComment))
        return;
    model()->setText(row, CommentColumn, m_lastComment);
    try {
        saveRow(row);
    } catch (...) {
        model()->setText(row, CommentColumn, before);
        throw;
    }
}

void ParticipantsPage::importParticipants()
{
    GridView::endEditsIn(window());
    const std::optional<QList<Participant>> rows = SheetTransfer::importParticipants(this, m_store);
    if (!rows)
        return;
    QList<QStringList> gridRows;
    gridRows.reserve(rows->size());
    for (const Participant &p : *rows)
        gridRows.append({p.phone, p.name, p.comment});
    model()->setRows(gridRows);
    // The new list starts as after start-up, with its first row current: Delete acts on it
    // before anything was clicked.
    view()->setCurrentCell(0, 0);

    if (const int duplicated = ParticipantImport::duplicatedNumbers(*rows)) {
        Dialogs::information(this,
                             QStringLiteral("已导入 %1 行。其中有 %2 个手机号码出现不止一次；"
                                            "抽奖时每个号码只能中奖一次。")
                                 .arg(rows->size())
                                 .arg(duplicated),
                             QStringLiteral("提示!"));
    }
}

void ParticipantsPage::exportParticipants()
{
    GridView::endEditsIn(window());
    SheetTransfer::exportGrid(this, *model());
}

void ParticipantsPage::clearAll()
{
    m_store.clear();
    // The grid must not go on showing participants that no longer exist: edits on them
    // would be lost.
    model()->resetToEmptyRow();
    view()->setCurrentCell(0, 0);
}
