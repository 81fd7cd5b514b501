#include "gui/ui/GridModel.h"

GridModel::GridModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headers(headers)
{
    m_rows.append(emptyRow(false));
}

GridModel::Row GridModel::emptyRow(bool numbered) const
{
    return Row{QStringList(QList<QString>(m_headers.size() - 1)), numbered ? int(m_rows.size()) + 1 : 0};
}

QString GridModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_headers.size())
        return QString();
    if (column == 0)
        return m_rows.at(row).serial > 0 ? QString::number(m_rows.at(row).serial) : QString();
    return m_rows.at(row).cells.at(column - 1);
}

void GridModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_rows.size() || column < 1 || column >= m_headers.size())
        return;
    m_rows[row].cells[column - 1] = text;
    emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole, Qt::EditRole});
}

QStringList GridModel::rowTexts(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).cells : QStringList();
}

bool GridModel::isNumbered(int row) const
{
    return row >= 0 && row < m_rows.size() && m_rows.at(row).serial > 0;
}

void GridModel::setNumbered(int row)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).serial > 0)
        return;
    m_rows[row].serial = row + 1;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::appendRow(bool numbered)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(emptyRow(numbered));
    endInsertRows();
}

void GridModel::removeRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    // The rows below move up, and their serials follow their new places.
    for (qsizetype r = row; r < m_rows.size(); ++r) {
        if (m_rows.at(r).serial > 0)
            m_rows[r].serial = int(r) + 1;
    }
    if (row < m_rows.size())
        emit dataChanged(index(row, 0), index(int(m_rows.size()) - 1, 0), {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::setRows(const QList<QStringList> &rows)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (const QStringList &cells : rows) {
        Row row{cells, int(m_rows.size()) + 1};
        row.cells.resize(m_headers.size() - 1);
        m_rows.append(std::move(row));
    }
    endResetModel();
}

void GridModel::resetToEmptyRow()
{
    beginResetModel();
    m_rows = {emptyRow(false)};
    endResetModel();
}

void GridModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginRemoveRows({}, 0, int(m_rows.size()) - 1);
    m_rows.clear();
    endRemoveRows();
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return text(index.row(), index.column());
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() < 1)
        return false;
    setText(index.row(), index.column(), value.toString());
    emit editFinished(index.row(), index.column());
    return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_headers.at(section);
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && index.column() > 0)
        f |= Qt::ItemIsEditable;
    return f;
}
