#pragma once

#include <QAbstractTableModel>
#include <QStringList>

/// The texts of one of the main window's grids, shown by a GridView: a header, then data rows
/// of cells. Column 0 is the serial column "序号": row r (counting from 0) shows r + 1 once it
/// is numbered. Every row is numbered except the empty row a grid starts with, until a save
/// or an add numbers it. The other cells keep their text exactly as typed or written.
class GridModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(const QStringList &headers, QObject *parent = nullptr);

    /// The cell's text; column 0 gives the serial ("" for a row not numbered).
    QString text(int row, int column) const;
    /// Sets the text of a cell of column 1 or higher.
    void setText(int row, int column, const QString &text);
    /// The texts of columns 1 and up.
    QStringList rowTexts(int row) const;
    bool isNumbered(int row) const;
    void setNumbered(int row);

    /// Appends a row of empty cells.
    void appendRow(bool numbered = true);
    void removeRow(int row);
    /// Replaces every row by numbered rows with the texts of columns 1 and up.
    void setRows(const QList<QStringList> &rows);
    /// Leaves the one empty, unnumbered row a grid starts with.
    void resetToEmptyRow();
    /// Removes every row.
    void clear();

    /// Whether the operator may edit the cells of columns 1 and up in place.
    void setEditable(bool editable) { m_editable = editable; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// The operator finished editing a cell, also when nothing changed.
    void editFinished(int row, int column);

private:
    struct Row
    {
        QStringList cells; // columns 1 and up
        int serial = 0;    // shown in column 0: the row's place from 1, or 0 (shown blank) before it is numbered
    };
    Row emptyRow(bool numbered) const;

    QStringList m_headers;
    QList<Row> m_rows;
    bool m_editable = false;
};
