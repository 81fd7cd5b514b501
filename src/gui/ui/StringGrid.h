#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

/// The texts of a string grid: row 0 is the header row (shown as the view's header), data
/// rows are 1..RowCount()-1 and appear as the model's rows 0..RowCount()-2. Cells keep the
/// text exactly as typed or written; each cell remembers whether it is centred.
class StringGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    StringGridModel(const QStringList &headers, QObject *parent = nullptr);

    // Grid semantics: RowCount includes the header row 0.
    int RowCount() const { return int(m_rows.size()); }
    int ColCount() const { return m_colCount; }
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    void appendRow();
    /// Removes row `row` (1..RowCount-1); the rows below move up by one.
    void removeRow(int row);
    /// Keeps the header row and the first `keep` data rows.
    void truncateRows(int keep);
    /// Replaces every data row at once (row 0 stays).
    void setDataRows(QList<QStringList> rows);
    /// Writes each data row's number into column 0, from grid row `fromRow` down; cells that
    /// already hold their number are left alone and views are told once.
    void numberRows(int fromRow = 1);
    void centreRow(int row);
    void centreAll();
    bool isCentred(int col, int row) const;

    /// Decides whether a cell may be edited by the operator (column, grid row).
    std::function<bool(int col, int row)> canEditCell;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// The operator finished editing the cell (column, grid row); also when nothing changed.
    void editCellDone(int col, int row);

private:
    struct Row
    {
        QStringList cells;
        quint32 centred = 0; // one bit per column
    };
    QString &cellRef(int col, int row);

    int m_colCount;
    QList<Row> m_rows;
};

/// A string grid in the way the main window's pages use it: the header row fixed on top,
/// the current row highlighted, Tab moving from cell to cell, Enter reported to the window.
class StringGrid final : public QTableView
{
    Q_OBJECT
public:
    StringGrid(const QStringList &headers, const QList<int> &widths, QWidget *parent = nullptr);

    StringGridModel *grid() const { return m_model; }
    int RowCount() const { return m_model->RowCount(); }
    int ColCount() const { return m_model->ColCount(); }
    QString cell(int col, int row) const { return m_model->cell(col, row); }
    void setCell(int col, int row, const QString &text) { m_model->setCell(col, row, text); }

    /// The focused row in grid numbering; 0 when the grid has no data row.
    int currentRow() const;
    int currentCol() const;
    /// Makes cell (col, row) current and scrolls it into view.
    void setCurrentCell(int col, int row);
    /// Grid rows fixed on top (0 or 1): the header row stops being fixed when the last data
    /// row is removed, and the commands that add rows fix it again.
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows) { m_fixedRows = rows; }

    /// Always-edit navigation: an editable cell that becomes current opens its editor at once.
    void setAlwaysEdit(bool on);

signals:
    /// The current cell is about to change (old row, old col, new row, new col), grid rows.
    void cellChanging(int oldRow, int oldCol, int newRow, int newCol);
    /// A character key was pressed in the grid or in its cell editor (Enter gives '\r').
    void keyPress(QChar key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class StringGridDelegate;
    StringGridModel *m_model;
    int m_fixedRows = 1;
};

/// Cell editor delegate: reports keys typed into the editor before it handles them. Enter
/// first commits and closes the editor, so that the window reacting to Enter sees the cell
/// as typed (and may move on to another cell).
class StringGridDelegate final : public QStyledItemDelegate
{
public:
    explicit StringGridDelegate(StringGrid *grid);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    StringGrid *m_grid;
};

/// The character a key event stands for in the grid's key-press handlers (Enter is '\r').
QChar keyPressChar(const QKeyEvent *event);
