#include "gui/ui/GridView.h"

#include "gui/ui/GridModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

GridView::GridView(GridModel *model, const QList<int> &columnWidths, QWidget *parent)
    : QTableView(parent)
    , m_model(model)
{
    setModel(model);
    setItemDelegate(new GridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setTabKeyNavigation(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(9);
    setFont(f);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    QHeaderView *header = horizontalHeader();
    header->setFixedHeight(22);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    QFont bold = f;
    bold.setBold(true);
    header->setFont(bold);
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int i = 0; i < columnWidths.size(); ++i)
        setColumnWidth(i, columnWidths.at(i));
    setStyleSheet(QStringLiteral(
        "QTableView { gridline-color: #3cb043; alternate-background-color: #f0f7ee; background: white;"
        " selection-background-color: #87ceeb; selection-color: black; }"
        "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f8fd, stop:1 #d5e3f5);"
        " border: 1px solid #3cb043; border-left: none; border-top: none; padding: 2px; }"));
}

int GridView::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

int GridView::currentColumn() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void GridView::setCurrentCell(int row, int column)
{
    const QModelIndex i = m_model->index(row, column);
    if (!i.isValid())
        return;
    setCurrentIndex(i);
    scrollTo(i);
}

void GridView::setAlwaysEdit(bool on)
{
    setEditTriggers(
        on ? (QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
              QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed)
           : (QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed));
}

void GridView::endEdit()
{
    if (state() != EditingState)
        return;
    // An editor only stays open on the current cell: moving the current cell ends the edit.
    QWidget *editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridView::endEditsIn(const QWidget *window)
{
    const QList<GridView *> grids = window->findChildren<GridView *>();
    for (GridView *grid : grids)
        grid->endEdit();
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    if (isEnter(event))
        emit enterPressed();
    QTableView::keyPressEvent(event);
}

GridDelegate::GridDelegate(GridView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        edit->setAlignment(Qt::AlignCenter);
        edit->setFrame(false);
    }
    return editor;
}

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignCenter;
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(event))) {
        if (auto *editor = qobject_cast<QWidget *>(object)) {
            // The edit ends before the page hears of Enter: the row is saved first, and a page
            // that adds a row on Enter moves the focus away from a closed editor, not from one
            // that would still commit later. The editor never sees this Enter, so it cannot
            // pass it on to the grid a second time.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            emit m_view->enterPressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
