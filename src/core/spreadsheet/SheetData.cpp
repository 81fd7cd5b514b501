#include "core/spreadsheet/SheetData.h"

#include "core/base/Error.h"
#include "core/base/Files.h"

#include <algorithm>

namespace {

bool before(int rowA, int colA, int rowB, int colB)
{
    return rowA < rowB || (rowA == rowB && colA < colB);
}

} // namespace

SheetData::SheetData(const QString &sourcePath)
    : m_sourcePath(sourcePath)
{
}

QString SheetData::cell(int row, int column) const
{
    Q_ASSERT(m_sorted);
    if (row < 1 || column < 1 || row > m_rowCount || column > m_columnCount)
        return QString();
    const auto it = std::lower_bound(
        m_cells.begin(), m_cells.end(), std::pair(row, column),
        [](const Entry &e, const std::pair<int, int> &key) { return before(e.row, e.column, key.first, key.second); });
    if (it == m_cells.end() || it->row != row || it->column != column)
        return QString();
    return it->text;
}

void SheetData::setCell(int row, int column, const QString &text)
{
    Q_ASSERT(row >= 1 && column >= 1);
    if (text.isEmpty())
        return;
    if (qsizetype(m_cells.size()) >= MaxCells) {
        throw Error(QStringLiteral("文件“%2”的第一个工作表中有超过 %1 个单元格，本程序读不了这么大的表格。"
                                   "请删除不需要的行和列后重新导入。")
                        .arg(QString::number(MaxCells), Files::displayPath(m_sourcePath)));
    }
    if (!m_cells.empty() && m_sorted) {
        const Entry &last = m_cells.back();
        if (!before(last.row, last.column, row, column))
            m_sorted = false;
    }
    m_cells.push_back(Entry{row, column, text});
    m_rowCount = std::max(m_rowCount, row);
    m_columnCount = std::max(m_columnCount, column);
}

void SheetData::finish()
{
    if (m_sorted)
        return;
    // Stable, so that of two values for one cell the later one is kept.
    std::stable_sort(m_cells.begin(), m_cells.end(),
                     [](const Entry &a, const Entry &b) { return before(a.row, a.column, b.row, b.column); });
    std::vector<Entry> unique;
    unique.reserve(m_cells.size());
    for (Entry &e : m_cells) {
        if (!unique.empty() && unique.back().row == e.row && unique.back().column == e.column)
            unique.back() = std::move(e);
        else
            unique.push_back(std::move(e));
    }
    m_cells = std::move(unique);
    m_sorted = true;
}
