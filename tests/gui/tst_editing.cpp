// Editing the participant grid and the prize grid: add, save on every ended edit, delete with
// renumbering, the keyboard, and what a failing database leaves behind. Every test drives
// the real window (button clicks, keys typed into the cells) and checks grid and table.
#include "FakeSoundPlayer.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/base/Text.h"
#include "core/data/Database.h"
#include "core/draw/DrawEngine.h"
#include "core/spreadsheet/SheetReader.h"
#include "gui/app/MainWindow.h"
#include "gui/draw/DrawScreen.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>
#include <sqlite3.h>

namespace {

enum class Page { Participants, Prizes };

/// What the tests need to know of a page; the two grids are driven by the same tests.
struct PageInfo
{
    const char *grid;
    const char *addButton;
    const char *deleteButton;
    int tab;
    QString table;
    QStringList fields; // the record fields of grid columns 1..n
    QString confirmText;
    QString confirmCaption;
};

const PageInfo &info(Page page)
{
    static const PageInfo participants{"participantGrid",
                                       "addParticipantButton",
                                       "deleteParticipantButton",
                                       0,
                                       QStringLiteral("Tab_CJ"),
                                       {QStringLiteral("Tel"), QStringLiteral("Name"), QStringLiteral("Comment")},
                                       QStringLiteral(" 确定删除所选参选人？"),
                                       QStringLiteral("删除记录")};
    static const PageInfo prizes{"prizeGrid",
                                 "addPrizeButton",
                                 "deletePrizeButton",
                                 1,
                                 QStringLiteral("Tab_Set"),
                                 {QStringLiteral("name"), QStringLiteral("quantity"), QStringLiteral("rs"),
                                  QStringLiteral("jp"), QStringLiteral("comment")},
                                 QStringLiteral(" 确定删除所选奖项？"),
                                 QStringLiteral("删除")};
    return page == Page::Participants ? participants : prizes;
}

const char *pageName(Page page)
{
    return page == Page::Participants ? "participants" : "prizes";
}

/// The texts of seeded row i: "<field><i>" in every column.
QStringList seededRow(Page page, int i)
{
    QStringList row;
    for (const QString &field : info(page).fields)
        row << field + QString::number(i);
    return row;
}

/// A row as "xh|value|value|..." (the form both the grid and the table are compared in).
QString joined(const QString &xh, const QStringList &values)
{
    return xh + QLatin1Char('|') + values.join(QLatin1Char('|'));
}

QStringList seededRows(Page page, const QList<int> &originals)
{
    QStringList rows;
    for (int k = 0; k < originals.size(); ++k)
        rows << joined(QString::number(k + 1), seededRow(page, originals.at(k)));
    return rows;
}

QList<int> oneTo(int n)
{
    QList<int> list;
    for (int i = 1; i <= n; ++i)
        list << i;
    return list;
}

/// A throwaway installation, the scripted dialogs and the main window over them. Rows are
/// counted from 1 here, as the serials the operator sees.
class Fixture
{
public:
    explicit Fixture(Page page)
        : m_page(page)
    {
    }
    ~Fixture() { close(); }

    TestDb db;
    ScriptedDialogs dialogs;
    std::unique_ptr<Database> connection;
    std::unique_ptr<MainWindow> window;

    const PageInfo &page() const { return info(m_page); }
    GridView *grid() const { return window->findChild<GridView *>(QLatin1String(page().grid)); }
    GridModel *model() const { return grid()->gridModel(); }
    /// The text of a cell, row counted from 1.
    QString cell(int column, int row) const { return model()->text(row - 1, column); }
    int rows() const { return model()->rowCount(); }
    /// The current row counted from 1; 0 when no row is current.
    int currentRow() const { return grid()->currentRow() + 1; }
    void setCurrentCell(int column, int row) { grid()->setCurrentCell(row - 1, column); }

    void seed(int n)
    {
        QList<QStringList> rows;
        for (int i = 1; i <= n; ++i)
            rows << seededRow(m_page, i);
        if (m_page == Page::Participants)
            db.addParticipants(rows);
        else
            db.addPrizes(rows);
    }

    /// Creates (or, after close(), re-creates) the window, shows it on the page under test
    /// and waits until it takes the keyboard.
    void open()
    {
        connection = std::make_unique<Database>(db.dbFile());
        window = std::make_unique<MainWindow>(*connection);
        for (const char *name : {"participantGrid", "prizeGrid", "resultGrid"}) {
            new QAbstractItemModelTester(window->findChild<QTableView *>(QLatin1String(name))->model(),
                                         QAbstractItemModelTester::FailureReportingMode::QtTest, window.get());
        }
        window->findChild<QTabWidget *>(QStringLiteral("pages"))->setCurrentIndex(page().tab);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    /// Ends the run as the program does: the window closes (an open edit ends with it), then
    /// it is destroyed and purges.
    void close()
    {
        if (window)
            window->close();
        window.reset();
        connection.reset();
    }

    QPushButton *button(const char *name) const { return window->findChild<QPushButton *>(QLatin1String(name)); }
    void clickAdd() { QTest::mouseClick(button(page().addButton), Qt::LeftButton); }
    void clickDelete() { QTest::mouseClick(button(page().deleteButton), Qt::LeftButton); }

    /// Selects the row by its serial cell: passing through a phone cell would end an edit
    /// there and could fill an empty comment in the row above.
    void deleteRow(int row)
    {
        setCurrentCell(0, row);
        clickDelete();
    }

    /// Types into the widget that has the keyboard: '\t' is Tab, '\n' is Enter, anything else
    /// a character key (also Chinese ones).
    static void type(const QString &keys)
    {
        for (const QChar c : keys) {
            QWidget *target = QApplication::focusWidget();
            QVERIFY(target);
            if (c == QLatin1Char('\t'))
                QTest::keyClick(target, Qt::Key_Tab);
            else if (c == QLatin1Char('\n'))
                QTest::keyClick(target, Qt::Key_Return);
            else
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            // Between two keys the event loop runs, as it does for the operator.
            QCoreApplication::processEvents();
        }
    }

    /// The operator's way of changing one cell: go to it, open its editor when it is not open
    /// already (F2), replace the text and end the edit with `end` (Tab or Enter).
    void editCell(int col, int row, const QString &text, const QString &end = QStringLiteral("\t"))
    {
        grid()->setFocus();
        setCurrentCell(col, row);
        if (!qobject_cast<QLineEdit *>(QApplication::focusWidget()))
            QTest::keyClick(grid(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY2(editor, "no cell editor opened");
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        type(text + end);
    }

    /// Types into a cell and leaves its editor open, as an operator who has not pressed Tab
    /// or Enter yet.
    void typeWithoutEnding(int col, int row, const QString &text)
    {
        editCell(col, row, text, QString());
        QVERIFY2(qobject_cast<QLineEdit *>(QApplication::focusWidget()), "the cell editor closed");
    }

    /// The grid's data rows as "xh|c1|c2|...", trimmed as the table stores them; `cols`
    /// limits the columns.
    QStringList gridRows(int cols = 0) const
    {
        QStringList rows;
        for (int r = 1; r <= this->rows(); ++r) {
            QStringList values;
            for (int c = 1; c < (cols > 0 ? cols + 1 : model()->columnCount()); ++c)
                values << Text::trimmed(cell(c, r));
            rows << joined(cell(0, r), values);
        }
        return rows;
    }

    /// The table's records in serial order as "xh|f1|f2|..." (Null as the empty text).
    QStringList tableRows(const QStringList &fields = {})
    {
        QStringList columns{QStringLiteral("xh")};
        for (const QString &field : fields.isEmpty() ? page().fields : fields)
            columns << QStringLiteral("coalesce(%1, '')").arg(field);
        return db.column(QStringLiteral("select %1 from %2 order by xh, rowid")
                             .arg(columns.join(QStringLiteral(" || '|' || ")), page().table));
    }

    QStringList errors() const
    {
        QStringList texts;
        for (const ScriptedDialogs::Message &m : dialogs.messages) {
            if (m.icon == Dialogs::Icon::Error)
                texts << m.text;
        }
        return texts;
    }

    /// Grid and table in step: data row k shows k and its trimmed texts are record k's. The
    /// one row an empty table shows may be blank and unnumbered.
    void verifyInStep()
    {
        const QStringList table = tableRows();
        QStringList grid = gridRows();
        const QString blankRow(page().fields.size(), QLatin1Char('|'));
        if (table.isEmpty() && grid == QStringList{blankRow})
            grid.clear();
        QCOMPARE(grid, table);
    }

private:
    Page m_page;
};

} // namespace

Q_DECLARE_METATYPE(Page)

class TestEditing final : public QObject
{
    Q_OBJECT

private slots:
    void add_data();
    void add();
    void deleteRow_data();
    void deleteRow();
    void deleteOnlyRowThenAdd_data();
    void deleteOnlyRowThenAdd();
    void enterInEachColumn_data();
    void enterInEachColumn();
    void keyboardEntrySurvivesRestart_data();
    void keyboardEntrySurvivesRestart();
    void blanksShownButStoredTrimmed_data();
    void blanksShownButStoredTrimmed();
    void commentCarryOver_data();
    void commentCarryOver();
    void movingThroughPhonesKeepsComments();
    void failingCarryOverLeavesTheCommentEmpty();
    void prizeGridCarriesNothing();
    void rowWithoutRecordIsSaved_data();
    void rowWithoutRecordIsSaved();
    void serialsStayInStep_data();
    void serialsStayInStep();
    void failingDeleteChangesNothing_data();
    void failingDeleteChangesNothing();
    void failingAddOrSaveLosesNothing_data();
    void failingAddOrSaveLosesNothing();
    void openEditEndsBeforeACommand_data();
    void openEditEndsBeforeACommand();
    void typedQuantityReachesTheDraw();
};

void TestEditing::add_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("expectedRows");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        // On an empty table the one row shown is taken: no second row appears below it.
        QTest::addRow("%s, empty table", pageName(page)) << page << 0 << 1;
        QTest::addRow("%s, 1 row", pageName(page)) << page << 1 << 2;
        QTest::addRow("%s, 3 rows", pageName(page)) << page << 3 << 4;
    }
}

void TestEditing::add()
{
    QFETCH(Page, page);
    QFETCH(int, existing);
    QFETCH(int, expectedRows);
    Fixture f(page);
    f.seed(existing);
    f.open();

    f.clickAdd();

    QCOMPARE(f.rows(), expectedRows);
    QStringList expected = seededRows(page, oneTo(existing));
    expected << joined(QString::number(expectedRows), QStringList(QList<QString>(f.page().fields.size())));
    QCOMPARE(f.gridRows(), expected);
    QCOMPARE(f.tableRows(), expected);
    // The new record has its serial alone.
    QCOMPARE(f.db.column(QStringLiteral("select count(*) from %1 where xh = %2 and %3 is null")
                             .arg(f.page().table)
                             .arg(expectedRows)
                             .arg(f.page().fields.join(QStringLiteral(" is null and ")))),
             QStringList{QStringLiteral("1")});
    // The first field of the new row is where the operator types next.
    QCOMPARE(f.currentRow(), expectedRows);
    QCOMPARE(f.grid()->currentColumn(), 1);
    QVERIFY(f.grid()->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == f.grid());
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestEditing::deleteRow_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QList<int>>("remaining"); // the seeded rows left, in grid order

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, row 2 of 5", pageName(page)) << page << 5 << 2 << true << QList<int>{1, 3, 4, 5};
        QTest::addRow("%s, row 1 of 3", pageName(page)) << page << 3 << 1 << true << QList<int>{2, 3};
        QTest::addRow("%s, last row", pageName(page)) << page << 5 << 5 << true << QList<int>{1, 2, 3, 4};
        QTest::addRow("%s, cancelled", pageName(page)) << page << 5 << 2 << false << QList<int>{1, 2, 3, 4, 5};
    }
}

void TestEditing::deleteRow()
{
    QFETCH(Page, page);
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(bool, confirmed);
    QFETCH(QList<int>, remaining);
    Fixture f(page);
    f.seed(rows);
    f.open();
    f.dialogs.answers << confirmed;

    f.deleteRow(row);

    QCOMPARE(f.dialogs.messages.size(), 1);
    const ScriptedDialogs::Message &asked = f.dialogs.messages.constFirst();
    QCOMPARE(asked.text, f.page().confirmText);
    QCOMPARE(asked.caption, f.page().confirmCaption);
    QCOMPARE(asked.icon, Dialogs::Icon::Information);
    QCOMPARE(asked.buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(f.gridRows(), seededRows(page, remaining));
    QCOMPARE(f.tableRows(), seededRows(page, remaining));
}

void TestEditing::deleteOnlyRowThenAdd_data()
{
    QTest::addColumn<Page>("page");
    QTest::newRow("participants") << Page::Participants;
    QTest::newRow("prizes") << Page::Prizes;
}

void TestEditing::deleteOnlyRowThenAdd()
{
    QFETCH(Page, page);
    Fixture f(page);
    f.seed(1);
    f.open();

    f.deleteRow(1);
    QCOMPARE(f.rows(), 0);
    QCOMPARE(f.currentRow(), 0);
    QVERIFY(f.tableRows().isEmpty());

    // With no data row left Delete does nothing, not even ask.
    f.clickDelete();
    QCOMPARE(f.dialogs.messages.size(), 1);

    f.clickAdd();
    QCOMPARE(f.rows(), 1);
    QCOMPARE(f.tableRows(), f.gridRows());
    QCOMPARE(f.cell(0, 1), QStringLiteral("1"));
}

void TestEditing::enterInEachColumn_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("col");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        for (int col = 0; col <= info(page).fields.size(); ++col)
            QTest::addRow("%s, column %d", pageName(page), col) << page << col;
    }
}

void TestEditing::enterInEachColumn()
{
    QFETCH(Page, page);
    QFETCH(int, col);
    Fixture f(page);
    f.seed(2);
    f.open();
    const int lastCol = int(f.page().fields.size());

    if (col == 0) {
        f.grid()->setFocus();
        f.setCurrentCell(0, 2);
        Fixture::type(QStringLiteral("\n"));
    } else {
        f.editCell(col, 2, QStringLiteral("typed"), QStringLiteral("\n"));
    }

    QStringList expected = seededRows(page, {1, 2});
    if (col > 0) {
        // Enter ended the edit: the row was saved before anything else happened.
        QStringList values = seededRow(page, 2);
        values[col - 1] = QStringLiteral("typed");
        expected[1] = joined(QStringLiteral("2"), values);
    }
    if (col == lastCol) {
        expected << joined(QStringLiteral("3"), QStringList(QList<QString>(lastCol)));
        QCOMPARE(f.currentRow(), 3);
        QCOMPARE(f.grid()->currentColumn(), 1);
    }
    QCOMPARE(f.tableRows(), expected);
    QCOMPARE(f.gridRows(), expected);
    QVERIFY(f.errors().isEmpty());
}

void TestEditing::keyboardEntrySurvivesRestart_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("stored");

    // Tab moves from cell to cell, Enter in the last column adds the next row. In the
    // participant grid each cell is in edit mode as soon as it is current.
    QTest::newRow("participants") << Page::Participants
                                  << QStringLiteral(
                                         "13800000001\t张三\t 技术部 \n13800000002\t李四\t\n13800000003\t王五\t\n")
                                  << QStringList{QStringLiteral("1|13800000001|张三|技术部"),
                                                 QStringLiteral("2|13800000002|李四|"),
                                                 QStringLiteral("3|13800000003|王五|")};
    // In the prize grid typing opens the editor, Tab carries the editing to the next cell.
    QTest::newRow("prizes") << Page::Prizes << QStringLiteral("一等奖\t1\t1\t电脑\t 无 \n二等奖\t2\t2\t手机\t\n")
                            << QStringList{QStringLiteral("1|一等奖|1|1|电脑|无"),
                                           QStringLiteral("2|二等奖|2|2|手机|")};
}

void TestEditing::keyboardEntrySurvivesRestart()
{
    QFETCH(Page, page);
    QFETCH(QString, keys);
    QFETCH(QStringList, stored);
    Fixture f(page);
    f.open();
    f.grid()->setFocus();
    f.setCurrentCell(1, 1);

    Fixture::type(keys);
    QVERIFY(f.errors().isEmpty());

    // The program ends (the empty row Enter added last goes with the exit purge) and starts again.
    f.close();
    QCOMPARE(f.tableRows(), stored);
    f.open();
    QCOMPARE(f.gridRows(), stored);
}

void TestEditing::blanksShownButStoredTrimmed_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, phone or name with blanks around", pageName(page))
            << page << 1 << QStringLiteral("  138 0000 0001 ") << QStringLiteral("138 0000 0001");
        QTest::addRow("%s, only blanks", pageName(page)) << page << 2 << QStringLiteral("   ") << QString();
        // The ideographic space is not a blank to the store.
        QTest::addRow("%s, ideographic space kept", pageName(page))
            << page << 2 << QStringLiteral(" \u3000备注\u3000 ") << QStringLiteral("\u3000备注\u3000");
        QTest::addRow("%s, quotes", pageName(page)) << page << int(info(page).fields.size())
                                                    << QStringLiteral(" \"VIP\" 'A' ") << QStringLiteral("\"VIP\" 'A'");
    }
}

void TestEditing::blanksShownButStoredTrimmed()
{
    QFETCH(Page, page);
    QFETCH(int, col);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Fixture f(page);
    f.seed(1);
    f.open();

    f.editCell(col, 1, typed);

    QCOMPARE(f.cell(col, 1), typed);
    const QString field = f.page().fields.at(col - 1);
    QCOMPARE(f.db.column(QStringLiteral("select %1 from %2 where xh = 1").arg(field, f.page().table)),
             QStringList{stored});
}

void TestEditing::commentCarryOver_data()
{
    QTest::addColumn<QStringList>("comments"); // the comments of rows 1..3 at start
    QTest::addColumn<QStringList>("edits");    // "col,row=text", in order
    QTest::addColumn<QStringList>("shown");    // the comments of rows 1..3 afterwards

    const QString c1 = QStringLiteral("Comment1"), c3 = QStringLiteral("Comment3");
    const QString start = QStringLiteral("备注");
    const QStringList secondEmpty{c1, QString(), c3};
    QTest::newRow("phone in row 1 carries nothing")
        << secondEmpty << QStringList{QStringLiteral("1,1=139")} << secondEmpty;
    QTest::newRow("phone below an empty comment fills it with 备注 before any comment")
        << secondEmpty << QStringList{QStringLiteral("1,3=139")} << QStringList{c1, start, c3};
    QTest::newRow("a comment of blanks counts as empty")
        << QStringList{c1, QStringLiteral("  "), c3} << QStringList{QStringLiteral("1,3=139")}
        << QStringList{c1, start, c3};
    QTest::newRow("a comment above is never overwritten")
        << QStringList{c1, QStringLiteral("Comment2"), c3} << QStringList{QStringLiteral("1,3=139")}
        << QStringList{c1, QStringLiteral("Comment2"), c3};
    QTest::newRow("the comment last typed fills the empty one above")
        << secondEmpty << QStringList{QStringLiteral("3,1=VIP"), QStringLiteral("1,3=139")}
        << QStringList{QStringLiteral("VIP"), QStringLiteral("VIP"), c3};
    QTest::newRow("the comment last typed stays where it was typed")
        << secondEmpty << QStringList{QStringLiteral("3,1=VIP"), QStringLiteral("1,2=139")}
        << QStringList{QStringLiteral("VIP"), QString(), c3};
    // An emptied comment is the last comment too: it fills nothing.
    QTest::newRow("an emptied comment fills nothing")
        << QStringList{c1, QString(), QString()} << QStringList{QStringLiteral("3,3="), QStringLiteral("1,3=139")}
        << QStringList{c1, QString(), QString()};
    QTest::newRow("carried untrimmed, stored trimmed")
        << QStringList{QString(), QString(), c3}
        << QStringList{QStringLiteral("3,1= VIP "), QStringLiteral("1,3=139"), QStringLiteral("1,2=138")}
        << QStringList{QStringLiteral(" VIP "), QStringLiteral(" VIP "), c3};
    QTest::newRow("name edits carry nothing")
        << secondEmpty << QStringList{QStringLiteral("3,1=VIP"), QStringLiteral("2,3=Name")}
        << QStringList{QStringLiteral("VIP"), QString(), c3};
}

// The last comment typed (备注 before any) fills an empty comment in the row above when a
// phone number is entered; the row above is saved with it at once, so grid and table agree,
// also after a restart.
void TestEditing::commentCarryOver()
{
    QFETCH(QStringList, comments);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, shown);
    Fixture f(Page::Participants);
    QList<QStringList> seeded;
    for (int i = 1; i <= 3; ++i)
        seeded << (seededRow(Page::Participants, i).mid(0, 2) << comments.at(i - 1));
    f.db.addParticipants(seeded);
    f.open();

    for (const QString &edit : std::as_const(edits)) {
        const int eq = int(edit.indexOf(QLatin1Char('=')));
        const QStringList at = edit.left(eq).split(QLatin1Char(','));
        f.editCell(at.at(0).toInt(), at.at(1).toInt(), edit.mid(eq + 1));
    }

    QStringList grid;
    QStringList stored;
    for (int r = 1; r <= 3; ++r) {
        grid << f.cell(3, r);
        stored << Text::trimmed(f.cell(3, r));
    }
    QCOMPARE(grid, shown);
    f.verifyInStep();
    f.close();
    f.open();
    QStringList restarted;
    for (int r = 1; r <= 3; ++r)
        restarted << f.cell(3, r);
    QCOMPARE(restarted, stored);
}

// Arrowing down and up through the phone numbers, typing nothing, changes no comment.
void TestEditing::movingThroughPhonesKeepsComments()
{
    Fixture f(Page::Participants);
    const QStringList comments{QStringLiteral("销售部"), QStringLiteral("财务部"), QStringLiteral("技术部"),
                               QStringLiteral("人事部")};
    QList<QStringList> seeded;
    for (int i = 0; i < comments.size(); ++i)
        seeded << QStringList{QStringLiteral("1380000000%1").arg(i + 1), QStringLiteral("人%1").arg(i + 1),
                              comments.at(i)};
    f.db.addParticipants(seeded);
    f.open();
    f.grid()->setFocus();
    f.setCurrentCell(1, 1);

    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCoreApplication::processEvents();
    }
    QCOMPARE(f.currentRow(), 1);
    QCOMPARE(f.grid()->currentColumn(), 1);

    f.close();
    QCOMPARE(f.db.column(QStringLiteral("select Comment from Tab_CJ order by xh")), comments);
    f.open();
    QStringList shown;
    for (int r = 1; r <= f.rows(); ++r)
        shown << f.cell(3, r);
    QCOMPARE(shown, comments);
}

// The row above cannot be saved: its comment stays empty in the grid as in the table, and
// the phone number typed below is stored all the same.
void TestEditing::failingCarryOverLeavesTheCommentEmpty()
{
    Fixture f(Page::Participants);
    f.db.addParticipants({seededRow(Page::Participants, 1),
                          {QStringLiteral("Tel2"), QStringLiteral("Name2")},
                          seededRow(Page::Participants, 3)});
    f.open();
    f.db.exec(QStringLiteral("create trigger Refuse before update on Tab_CJ when new.xh = 2 "
                             "begin select raise(abort, 'row 2 refused'); end"));

    f.editCell(1, 3, QStringLiteral("139"));

    QCOMPARE(f.errors().size(), 1);
    QVERIFY2(f.errors().constFirst().contains(QLatin1String("row 2 refused")), qPrintable(f.errors().constFirst()));
    QCOMPARE(f.cell(3, 2), QString());
    QCOMPARE(f.cell(1, 3), QStringLiteral("139"));
    f.verifyInStep();
}

void TestEditing::prizeGridCarriesNothing()
{
    // Winners per round typed in row 1, then a prize name in row 2: the comment the operator
    // gave row 1 must stay, in the grid and in the table.
    Fixture f(Page::Prizes);
    f.seed(2);
    f.open();

    f.editCell(3, 1, QStringLiteral("5"));
    f.editCell(1, 2, QStringLiteral("二等奖"));

    QCOMPARE(f.cell(5, 1), QStringLiteral("comment1"));
    QCOMPARE(f.db.column(QStringLiteral("select comment from Tab_Set order by xh")),
             (QStringList{QStringLiteral("comment1"), QStringLiteral("comment2")}));
}

void TestEditing::rowWithoutRecordIsSaved_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, the row an empty table shows", pageName(page)) << page << 0 << 1;
        // As the import leaves a row whose phone number came out empty.
        QTest::addRow("%s, row 2 of 3 without its record", pageName(page)) << page << 3 << 2;
    }
}

void TestEditing::rowWithoutRecordIsSaved()
{
    QFETCH(Page, page);
    QFETCH(int, rows);
    QFETCH(int, row);
    Fixture f(page);
    f.seed(rows);
    f.open();
    if (rows > 0)
        f.db.exec(QStringLiteral("delete from %1 where xh = %2").arg(f.page().table).arg(row));

    // Columns 2 and 3: a phone number could fill an empty comment in the row above.
    f.editCell(2, row, QStringLiteral("typed"));
    f.editCell(3, row, QStringLiteral("more"));

    QCOMPARE(f.cell(0, row), QString::number(row));
    f.verifyInStep();
    QCOMPARE(f.db.column(QStringLiteral("select count(*) from %1 where xh = %2 and %3 = 'typed' and %4 = 'more'")
                             .arg(f.page().table)
                             .arg(row)
                             .arg(f.page().fields.at(1), f.page().fields.at(2))),
             QStringList{QStringLiteral("1")});

    // The next Add goes below it, with the next serial.
    f.clickAdd();
    QCOMPARE(f.rows(), qMax(rows, 1) + 1);
    f.verifyInStep();
}

void TestEditing::serialsStayInStep_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("rows");
    // A add, E<r> edit row r (column 2: no carry-over), D<r> delete row r, C clear data.
    QTest::addColumn<QString>("script");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, empty: add first", pageName(page)) << page << 0 << QStringLiteral("A A E1 E2 D1 A E2 A E3");
        QTest::addRow("%s, empty: type first", pageName(page)) << page << 0 << QStringLiteral("E1 A E2 D2 D1 A E1 A");
        QTest::addRow("%s, seeded: delete down to nothing", pageName(page))
            << page << 3 << QStringLiteral("D2 A E3 D1 D1 D1 D1 A E1");
    }
    // "清除数据" empties the participant grid to one unnumbered row.
    QTest::newRow("participants, cleared then add") << Page::Participants << 3 << QStringLiteral("C A E1 A E2 D1");
    QTest::newRow("participants, cleared then type") << Page::Participants << 2 << QStringLiteral("C E1 A E2 D1 E1");
}

void TestEditing::serialsStayInStep()
{
    QFETCH(Page, page);
    QFETCH(int, rows);
    QFETCH(QString, script);
    Fixture f(page);
    f.seed(rows);
    f.open();

    int step = 0;
    for (const QString &op : script.split(QLatin1Char(' '))) {
        ++step;
        const int row = op.mid(1).toInt();
        switch (op.at(0).toLatin1()) {
        case 'A':
            f.clickAdd();
            break;
        case 'E':
            f.editCell(2, row, QStringLiteral("step%1").arg(step));
            break;
        case 'D':
            f.deleteRow(row);
            break;
        case 'C':
            f.window->findChild<QAction *>(QStringLiteral("clearDataAction"))->trigger();
            break;
        }
        f.verifyInStep();
        if (QTest::currentTestFailed()) {
            qWarning("out of step after step %d, %s", step, qPrintable(op));
            return;
        }
    }
    QVERIFY(f.errors().isEmpty());
}

void TestEditing::failingDeleteChangesNothing_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, table missing", pageName(page))
            << page << QStringLiteral("rename") << QStringLiteral("no such table");
        // The delete itself succeeds, the renumbering after it is refused: the delete must be undone.
        QTest::addRow("%s, renumbering refused", pageName(page))
            << page << QStringLiteral("trigger") << QStringLiteral("renumbering refused");
    }
    // Another program writing to the file: the store gives up after its busy timeout.
    QTest::newRow("participants, database locked")
        << Page::Participants << QStringLiteral("lock") << QStringLiteral("database is locked");
}

void TestEditing::failingDeleteChangesNothing()
{
    QFETCH(Page, page);
    QFETCH(QString, failure);
    QFETCH(QString, message);
    Fixture f(page);
    f.seed(4);
    f.open();
    const QString table = f.page().table;
    sqlite3 *locker = nullptr;

    if (failure == QLatin1String("rename")) {
        f.db.exec(QStringLiteral("alter table %1 rename to Away").arg(table));
    } else if (failure == QLatin1String("trigger")) {
        f.db.exec(QStringLiteral("create trigger Refuse before update of xh on %1 "
                                 "begin select raise(abort, 'renumbering refused'); end")
                      .arg(table));
    } else if (failure == QLatin1String("lock")) {
        QCOMPARE(sqlite3_open(QFile::encodeName(f.db.dbFile()).constData(), &locker), SQLITE_OK);
        QCOMPARE(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    }

    f.deleteRow(2);

    QCOMPARE(f.errors().size(), 1);
    QVERIFY2(f.errors().constFirst().contains(message), qPrintable(f.errors().constFirst()));
    QCOMPARE(f.dialogs.messages.constLast().caption, QStringLiteral("Kestrano抽奖软件"));
    QCOMPARE(f.gridRows(), seededRows(page, {1, 2, 3, 4}));
    QCOMPARE(f.currentRow(), 2);

    if (failure == QLatin1String("rename")) {
        f.db.exec(QStringLiteral("alter table Away rename to %1").arg(table));
    } else if (failure == QLatin1String("trigger")) {
        f.db.exec(QStringLiteral("drop trigger Refuse"));
    } else if (failure == QLatin1String("lock")) {
        sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(locker);
    }
    QCOMPARE(f.tableRows(), seededRows(page, {1, 2, 3, 4}));

    // Nothing was left half done: the same delete now goes through.
    f.deleteRow(2);
    QCOMPARE(f.gridRows(), seededRows(page, {1, 3, 4}));
    QCOMPARE(f.tableRows(), seededRows(page, {1, 3, 4}));
}

void TestEditing::failingAddOrSaveLosesNothing_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<bool>("add"); // else save

    for (const Page page : {Page::Participants, Page::Prizes}) {
        QTest::addRow("%s, add", pageName(page)) << page << true;
        QTest::addRow("%s, save", pageName(page)) << page << false;
    }
}

void TestEditing::failingAddOrSaveLosesNothing()
{
    QFETCH(Page, page);
    QFETCH(bool, add);
    Fixture f(page);
    f.seed(2);
    f.open();
    const QString table = f.page().table;
    f.db.exec(QStringLiteral("alter table %1 rename to Away").arg(table));

    if (add)
        f.clickAdd(); // the row stays, numbered, without a record
    else
        f.editCell(2, 2, QStringLiteral("typed")); // the grid keeps what was typed

    QCOMPARE(f.errors().size(), 1);
    QVERIFY(f.errors().constFirst().contains(QLatin1String("no such table")));
    const int row = add ? 3 : 2;
    QCOMPARE(f.rows(), add ? 3 : 2);
    QCOMPARE(f.cell(0, row), QString::number(row));
    f.db.exec(QStringLiteral("alter table Away rename to %1").arg(table));
    QCOMPARE(f.tableRows(), seededRows(page, {1, 2}));

    // Once the database works again, the row's next save stores everything the grid shows.
    f.editCell(3, row, QStringLiteral("again"));
    f.verifyInStep();
}

void TestEditing::openEditEndsBeforeACommand_data()
{
    QTest::addColumn<Page>("page"); // where the edit is open
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<bool>>("answers"); // to the command's questions

    // The menu and the page buttons as a screen reader presses them: the keyboard focus stays
    // in the cell editor.
    const QList<bool> cancel{false};
    QTest::newRow("participants, clear data cancelled") << Page::Participants << "clearDataAction" << cancel;
    QTest::newRow("prizes, clear data") << Page::Prizes << "clearDataAction" << QList<bool>{true};
    QTest::newRow("participants, settings") << Page::Participants << "settingsAction" << cancel;
    QTest::newRow("prizes, settings") << Page::Prizes << "settingsAction" << cancel;
    QTest::newRow("participants, delete cancelled") << Page::Participants << "deleteParticipantButton" << cancel;
    QTest::newRow("prizes, delete cancelled") << Page::Prizes << "deletePrizeButton" << cancel;
    QTest::newRow("prizes, delete of a result") << Page::Prizes << "deleteResultButton" << cancel;
    QTest::newRow("participants, import cancelled") << Page::Participants << "importButton" << cancel;
    QTest::newRow("participants, export") << Page::Participants << "exportParticipantsButton" << cancel;
    QTest::newRow("prizes, export of the results") << Page::Prizes << "exportResultsButton" << cancel;
    QTest::newRow("participants, exit") << Page::Participants << "exitAction" << cancel;
}

// A command that reads the tables first ends the edit still open in a grid: what was typed
// is in the grid and in the table when the command runs.
void TestEditing::openEditEndsBeforeACommand()
{
    QFETCH(Page, page);
    QFETCH(QString, command);
    QFETCH(QList<bool>, answers);
    Fixture f(page);
    f.seed(2);
    f.open();
    const QString exported = f.db.root() + QStringLiteral("/out.csv");
    if (command.startsWith(QLatin1String("export")))
        f.dialogs.fileNames = {exported};
    f.dialogs.answers = answers;
    QStringList expected = seededRows(page, {1, 2});
    QStringList values = seededRow(page, 2);
    values[1] = QStringLiteral("typed");
    expected[1] = joined(QStringLiteral("2"), values);

    f.typeWithoutEnding(2, 2, QStringLiteral("typed"));
    // A dialog the command opens is seen with the table as it stands then, and closed.
    QStringList tableWhileOpen;
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            tableWhileOpen = f.tableRows();
            dialog->reject();
        }
    });
    if (auto *action = f.window->findChild<QAction *>(command))
        action->trigger();
    else
        f.button(qPrintable(command))->click();

    QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join(QLatin1Char('\n'))));
    if (command == QLatin1String("settingsAction"))
        QCOMPARE(tableWhileOpen, expected);
    if (command == QLatin1String("exportParticipantsButton")) {
        const SheetData sheet = readSheet(exported);
        QCOMPARE(sheet.cell(3, 3), QStringLiteral("typed"));
    }
    QCOMPARE(f.cell(2, 2), QStringLiteral("typed"));
    if (command == QLatin1String("exitAction"))
        f.close();
    QCOMPARE(f.tableRows(), expected);
}

// 开始抽奖 with a quantity typed and not yet confirmed: the draw's plan has it.
void TestEditing::typedQuantityReachesTheDraw()
{
    Fixture f(Page::Prizes);
    f.db.addPrizes(
        {{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("电视"), QString()}});
    f.db.addManyParticipants(5);
    FakeSoundPlayer sounds;
    f.open();
    f.typeWithoutEnding(2, 1, QStringLiteral("3"));

    int planned = -1;
    QStringList stored;
    QTimer::singleShot(0, [&] {
        auto *screen = qobject_cast<DrawScreen *>(QApplication::activeModalWidget());
        if (!screen)
            return;
        planned = screen->engine().schedule().plan().value(0).quantity;
        stored = f.db.column(QStringLiteral("select quantity from Tab_Set"));
        screen->engine().halt();
        screen->done(QDialog::Rejected);
    });
    f.window->findChild<QAction *>(QStringLiteral("startDrawAction"))->trigger();

    QCOMPARE(planned, 3);
    QCOMPARE(stored, QStringList{QStringLiteral("3")});
    // The results lay out the places of the quantity the draw had.
    QCOMPARE(f.window->findChild<GridView *>(QStringLiteral("resultGrid"))->gridModel()->rowCount(), 3);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
