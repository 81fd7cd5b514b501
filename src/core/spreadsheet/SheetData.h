#pragma once

#include <QString>

#include <vector>

/// The cell texts of one worksheet, as the import reads them. Rows and columns count from 1
/// (column A is 1). Only non-empty cells are stored, so a sheet with a single far-away cell
/// (XFD1048576) costs one entry, not a dense grid.
class SheetData final
{
public:
    /// Most cells one sheet may hold; a reader refuses a larger file with a Error.
    static constexpr qsizetype MaxCells = 10'000'000;

    /// An empty sheet read from the file @p sourcePath (named in error messages).
    explicit SheetData(const QString &sourcePath = QString());

    /// The last row that holds a non-empty text; 0 for an empty sheet.
    int rowCount() const { return m_rowCount; }
    /// The last column that holds a non-empty text; 0 for an empty sheet.
    int columnCount() const { return m_columnCount; }
    /// Number of non-empty cells.
    qsizetype cellCount() const { return qsizetype(m_cells.size()); }
    /// The text of a cell, exactly as read; "" for an empty or out-of-range cell.
    QString cell(int row, int column) const;

    /// Used by the readers: sets a cell (1-based). An empty text is not stored; a later value
    /// of the same cell replaces an earlier one. Throws Error past MaxCells.
    void setCell(int row, int column, const QString &text);
    /// Used by the readers once every cell is set: orders the cells for look-up.
    void finish();

private:
    struct Entry
    {
        int row;
        int column;
        QString text;
    };
    std::vector<Entry> m_cells;
    QString m_sourcePath;
    int m_rowCount = 0;
    int m_columnCount = 0;
    bool m_sorted = true;
};
