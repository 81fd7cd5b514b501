#include "gui/app/PrizesPage.h"

#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QPushButton>

namespace {

Prize prizeOf(const QStringList &texts)
{
    return {texts.value(0), texts.value(1), texts.value(2), texts.value(3), texts.value(4)};
}

} // namespace

PrizesPage::PrizesPage(Database &db, QWidget *parent)
    : GridPage({QStringLiteral("抽奖顺序"), QStringLiteral("奖项名称"), QStringLiteral("奖项数量"),
                QStringLiteral("每次抽奖人数"), QStringLiteral("奖品"), QStringLiteral("备注")},
               {58, 141, 137, 158, 137, 638}, parent)
    , m_store(db)
{
    setObjectName(QStringLiteral("prizesPage"));
    view()->setObjectName(QStringLiteral("prizeGrid"));
    view()->setAccessibleName(QStringLiteral("奖项"));
    view()->setAlwaysEdit(false);
    setEditing();
    setDeleteQuestion(QStringLiteral(" 确定删除所选奖项？"), QStringLiteral("删除"));

    connectGuarded(addButton(QStringLiteral("添加奖项"), 9, 87, ":/icons/add.png", "addPrizeButton"),
                   &QPushButton::clicked, this, &PrizesPage::addRow);
    connectGuarded(addButton(QStringLiteral("删除奖项"), 98, 89, ":/icons/delete.png", "deletePrizeButton"),
                   &QPushButton::clicked, this, &PrizesPage::deleteCurrentRow);
}

void PrizesPage::load()
{
    const QList<Prize> prizes = m_store.loadAll();
    if (!prizes.isEmpty()) {
        QList<QStringList> rows;
        rows.reserve(prizes.size());
        for (const Prize &p : prizes)
            rows.append({p.name, p.quantity, p.perRound, p.item, p.comment});
        model()->setRows(rows);
    }
    view()->setCurrentCell(0, 0);
}

void PrizesPage::addRecord(int serial)
{
    m_store.add(serial);
}

void PrizesPage::saveRecord(int serial, const QStringList &texts)
{
    // No text is carried from row to row here: copying the winners per round into the
    // comment of the row above would overwrite a comment the operator typed there.
    m_store.save(serial, prizeOf(texts));
}

void PrizesPage::removeRecord(int serial)
{
    m_store.remove(serial);
}
