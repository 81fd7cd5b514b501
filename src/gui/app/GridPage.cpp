#include "gui/app/GridPage.h"

#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int PanelHeight = 41;

} // namespace

GridPage::GridPage(const QStringList &headers, const QList<int> &columnWidths, QWidget *parent)
    : QWidget(parent)
    , m_model(new GridModel(headers, this))
    , m_view(new GridView(m_model, columnWidths))
    , m_panel(new QWidget)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_panel->setFixedHeight(PanelHeight);
    m_panel->setObjectName(QStringLiteral("buttonPanel"));
    layout->addWidget(m_panel);
    layout->addWidget(m_view);
}

GridPage::~GridPage()
{
    // The grid outlives this body by a moment: an edit still open in it ends while it is torn
    // down and must not reach a page that is going.
    m_model->disconnect(this);
    m_view->disconnect(this);
}

void GridPage::addToPanel(QWidget *widget, int left)
{
    widget->setParent(m_panel);
    widget->setGeometry(left, 4, 900, 33);
}

QPushButton *GridPage::addButton(const QString &caption, int left, int width, const char *icon, const char *objectName)
{
    auto *button = new QPushButton(QIcon(QString::fromLatin1(icon)), caption, m_panel);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(left, 8, width, 25);
    QFont f(QStringLiteral("SimSun"));
    f.setPointSize(9);
    button->setFont(f);
    return button;
}

void GridPage::setDeleteQuestion(const QString &question, const QString &caption)
{
    m_deleteQuestion = question;
    m_deleteCaption = caption;
}

void GridPage::setEditing()
{
    m_model->setEditable(true);
    connect(m_model, &GridModel::editFinished, this,
            [this](int row, int column) { ErrorBoundary::guarded([&] { editFinished(row, column); }); });
    connect(m_view, &GridView::enterPressed, this, [this] {
        if (m_view->currentColumn() == m_model->columnCount() - 1)
            ErrorBoundary::guarded([this] { addRow(); });
    });
}

void GridPage::addRow()
{
    // The one row an empty list shows has no record and no serial yet; a second row below
    // it would leave the operator two rows where he asked for one.
    const bool takeEmptyRow = m_model->rowCount() == 1 && !m_model->isNumbered(0);
    if (takeEmptyRow)
        m_model->setNumbered(0);
    else
        m_model->appendRow();
    const int row = m_model->rowCount() - 1;
    addRecord(row + 1);
    m_view->setFocus();
    m_view->setCurrentCell(row, 1);
}

void GridPage::saveRow(int row)
{
    saveRecord(row + 1, m_model->rowTexts(row));
    m_model->setNumbered(row);
}

void GridPage::deleteCurrentRow()
{
    GridView::endEditsIn(window());
    const int row = m_view->currentRow();
    if (row < 0)
        return;
    if (!Dialogs::confirm(this, m_deleteQuestion, m_deleteCaption))
        return;
    const int column = m_view->currentColumn();
    removeRecord(row + 1);
    m_model->removeRow(row);
    if (m_model->rowCount() > 0)
        m_view->setCurrentCell(qMin(row, m_model->rowCount() - 1), column);
}

void GridPage::addRecord(int)
{
}

void GridPage::saveRecord(int, const QStringList &)
{
}

void GridPage::removeRecord(int)
{
}

void GridPage::editFinished(int row, int)
{
    saveRow(row);
}
