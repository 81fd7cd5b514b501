#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

class GridModel;

/// A grid of the main window: the header on top, every cell centred, the current row
/// highlighted, Tab moving from cell to cell, Enter reported to the page.
class GridView final : public QTableView
{
    Q_OBJECT

public:
    GridView(GridModel *model, const QList<int> &columnWidths, QWidget *parent = nullptr);

    GridModel *gridModel() const { return m_model; }
    /// The current row, or -1 when no row is current (an empty grid).
    int currentRow() const;
    int currentColumn() const;
    /// Makes the cell current and scrolls it into view.
    void setCurrentCell(int row, int column);

    /// Always-edit: an editable cell that becomes current opens its editor at once.
    void setAlwaysEdit(bool on);

    /// Ends an edit still open in the grid: what was typed is committed, so the page saves
    /// it, and the editor closes. Does nothing when no editor is open.
    void endEdit();
    /// Ends the open edit of every grid in @p window. A command that reads the tables calls
    /// it first: a menu command or a button pressed without moving the keyboard focus (as a
    /// screen reader presses it) would otherwise run before the edit is committed.
    static void endEditsIn(const QWidget *window);

signals:
    /// Enter was pressed in the grid or in a cell editor; an editor has committed and closed
    /// first.
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    GridModel *m_model;
};

/// The cell delegate: centres every cell and its editor, and on Enter commits and closes the
/// editor before the page hears of the key, so that the page sees the cell as typed (and
/// may move on to another cell).
class GridDelegate final : public QStyledItemDelegate
{
public:
    explicit GridDelegate(GridView *view);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    GridView *m_view;
};
