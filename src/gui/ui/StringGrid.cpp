#include "StringGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

/// True when the text is exactly the decimal digits of n (n >= 0), nothing around them.
bool isDecimalOf(const QString &text, int n)
{
    qsizetype i = text.size();
    do {
        if (i == 0 || text.at(--i) != QLatin1Char(char('0' + n % 10)))
            return false;
        n /= 10;
    } while (n > 0);
    return i == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------
// StringGridModel

StringGridModel::StringGridModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent)
    , m_colCount(int(headers.size()))
{
    m_rows.append(Row{headers, 0});
    m_rows.append(Row{QStringList(QList<QString>(m_colCount)), 0});
}

QString StringGridModel::cell(int col, int row) const
{
    if (row < 0 || row >= m_rows.size() || col < 0 || col >= m_colCount)
        return QString();
    return m_rows.at(row).cells.at(col);
}

QString &StringGridModel::cellRef(int col, int row)
{
    return m_rows[row].cells[col];
}

void StringGridModel::setCell(int col, int row, const QString &text)
{
    if (row < 0 || row >= m_rows.size() || col < 0 || col >= m_colCount)
        return;
    cellRef(col, row) = text;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col), {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::appendRow()
{
    const int r = int(m_rows.size());
    beginInsertRows({}, r - 1, r - 1);
    m_rows.append(Row{QStringList(QList<QString>(m_colCount)), 0});
    endInsertRows();
}

void StringGridModel::removeRow(int row)
{
    if (row < 1 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row);
    endRemoveRows();
}

void StringGridModel::truncateRows(int keep)
{
    const int target = keep + 1;
    if (m_rows.size() <= target)
        return;
    beginRemoveRows({}, target - 1, int(m_rows.size()) - 2);
    m_rows.resize(target);
    endRemoveRows();
}

void StringGridModel::setDataRows(QList<QStringList> rows)
{
    beginResetModel();
    m_rows.resize(1);
    m_rows.reserve(rows.size() + 1);
    for (QStringList &cells : rows) {
        cells.resize(m_colCount);
        m_rows.append(Row{std::move(cells), 0});
    }
    endResetModel();
}

void StringGridModel::numberRows(int fromRow)
{
    const int from = qMax(1, fromRow);
    int first = -1;
    int last = -1;
    for (int row = from; row < m_rows.size(); ++row) {
        QString &text = cellRef(0, row);
        // Comparing first keeps a renumbering of a long list from rebuilding every text.
        if (isDecimalOf(text, row))
            continue;
        text = QString::number(row);
        if (first < 0)
            first = row;
        last = row;
    }
    if (first > 0)
        emit dataChanged(index(first - 1, 0), index(last - 1, 0), {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::centreRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].centred = (m_colCount >= 32) ? ~0u : ((1u << m_colCount) - 1);
    if (row > 0)
        emit dataChanged(index(row - 1, 0), index(row - 1, m_colCount - 1), {Qt::TextAlignmentRole});
}

void StringGridModel::centreAll()
{
    const quint32 all = (m_colCount >= 32) ? ~0u : ((1u << m_colCount) - 1);
    for (Row &r : m_rows)
        r.centred = all;
    if (m_rows.size() > 1)
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 2, m_colCount - 1), {Qt::TextAlignmentRole});
}

bool StringGridModel::isCentred(int col, int row) const
{
    if (row < 0 || row >= m_rows.size() || col < 0 || col >= m_colCount)
        return false;
    return m_rows.at(row).centred & (1u << col);
}

int StringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size()) - 1;
}

int StringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_colCount;
}

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_rows.at(row).cells.at(index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(
            (isCentred(index.column(), row) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter));
    default:
        return {};
    }
}

bool StringGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int row = index.row() + 1;
    const int col = index.column();
    cellRef(col, row) = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    emit editCellDone(col, row);
    return true;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_colCount)
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(0).cells.at(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (canEditCell && canEditCell(index.column(), index.row() + 1))
        f |= Qt::ItemIsEditable;
    return f;
}

// ---------------------------------------------------------------------------------------
// StringGrid

QChar keyPressChar(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QChar(13);
    const QString text = event->text();
    return text.isEmpty() ? QChar() : text.at(0);
}

StringGrid::StringGrid(const QStringList &headers, const QList<int> &widths, QWidget *parent)
    : QTableView(parent)
    , m_model(new StringGridModel(headers, this))
{
    setModel(m_model);
    setItemDelegate(new StringGridDelegate(this));
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
    QFont bold = f;
    bold.setBold(true);
    header->setFont(bold);
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int i = 0; i < widths.size() && i < headers.size(); ++i)
        setColumnWidth(i, widths.at(i));
    setStyleSheet(QStringLiteral(
        "QTableView { gridline-color: #3cb043; alternate-background-color: #f0f7ee; background: white;"
        " selection-background-color: #87ceeb; selection-color: black; }"
        "QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f8fd, stop:1 #d5e3f5);"
        " border: 1px solid #3cb043; border-left: none; border-top: none; padding: 2px; }"));
}

int StringGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    if (m_model->RowCount() <= 1)
        return 0;
    return i.isValid() ? i.row() + 1 : 0;
}

int StringGrid::currentCol() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void StringGrid::setCurrentCell(int col, int row)
{
    const QModelIndex i = m_model->index(row - 1, col);
    if (!i.isValid())
        return;
    setCurrentIndex(i);
    scrollTo(i);
}

void StringGrid::setAlwaysEdit(bool on)
{
    setEditTriggers(on ? (QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed
                          | QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                          | QAbstractItemView::EditKeyPressed)
                       : (QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed
                          | QAbstractItemView::EditKeyPressed));
}

void StringGrid::keyPressEvent(QKeyEvent *event)
{
    const QChar c = keyPressChar(event);
    if (!c.isNull())
        emit keyPress(c);
    QTableView::keyPressEvent(event);
}

void StringGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    emit cellChanging(previous.isValid() ? previous.row() + 1 : 0, previous.isValid() ? previous.column() : 0,
                      current.isValid() ? current.row() + 1 : 0, current.isValid() ? current.column() : 0);
    QTableView::currentChanged(current, previous);
}

// ---------------------------------------------------------------------------------------
// StringGridDelegate

StringGridDelegate::StringGridDelegate(StringGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

QWidget *StringGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        edit->setAlignment(Qt::AlignCenter);
        edit->setFrame(false);
    }
    return editor;
}

bool StringGridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const QChar c = keyPressChar(static_cast<QKeyEvent *>(event));
        auto *editor = qobject_cast<QWidget *>(object);
        if (c == QChar(13) && editor) {
            // The edit ends before the window hears of Enter: the row is saved first, and a
            // window that adds a row on Enter moves the focus away from a closed editor, not
            // from one that would still commit later. The editor never sees this Enter, so it
            // cannot pass it on to the grid a second time.
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            emit m_grid->keyPress(c);
            return true;
        }
        if (!c.isNull())
            emit m_grid->keyPress(c);
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
