#pragma once

#include <QWidget>

class GridModel;
class GridView;
class QPushButton;

/// A page of the main window: a 41-pixel button panel across the top and a grid below it,
/// whose current row Delete removes after asking. The participant and prize pages also edit
/// their table in the grid (setEditing()): every ended cell edit saves its row, Add appends a
/// row and its record, Enter in the last column adds a row. Row r of such a grid is the
/// record with the serial r + 1; the table operations come from the page.
class GridPage : public QWidget
{
    Q_OBJECT

public:
    ~GridPage() override;

    GridModel *model() const { return m_model; }
    GridView *view() const { return m_view; }

    /// Add: appends a row and creates its record, then makes its first text cell current.
    /// On an empty list the one unnumbered row a grid starts with is taken instead of a
    /// second row below it. When the record cannot be made, the row stays, numbered and
    /// without a record; its first save gives it one.
    void addRow();
    /// Delete of the current row, after the page's question: only when its record is gone
    /// does the grid lose the row, so a failure leaves grid and table as they were. The row
    /// below takes its place as the current row. Does nothing while no row is current. An
    /// edit still open in a grid of the window is ended first.
    void deleteCurrentRow();

protected:
    GridPage(const QStringList &headers, const QList<int> &columnWidths, QWidget *parent);

    /// Adds a button to the panel: caption, left edge and width as laid out, icon resource.
    QPushButton *addButton(const QString &caption, int left, int width, const char *icon, const char *objectName);

    /// Puts a widget into the panel from @p left to the panel's right end.
    void addToPanel(QWidget *widget, int left);

    /// The question Delete asks first (OK and Cancel).
    void setDeleteQuestion(const QString &question, const QString &caption);
    /// Turns editing on.
    void setEditing();

    /// Writes row @p row to its record; a row not numbered yet is numbered once saved.
    void saveRow(int row);

    virtual void addRecord(int serial);
    virtual void saveRecord(int serial, const QStringList &texts);
    virtual void removeRecord(int serial);
    /// An edit of the cell ended; saves its row.
    virtual void editFinished(int row, int column);

private:
    GridModel *m_model;
    GridView *m_view;
    QWidget *m_panel;
    QString m_deleteQuestion;
    QString m_deleteCaption;
};
