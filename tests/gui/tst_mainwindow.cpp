// The main window: loading, clearing, the exit purges, start-up failure and the error box.
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/data/Database.h"
#include "gui/app/MainWindow.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTest>

namespace {

/// The window's child of that object name; a missing one ends the run, as every test below
/// depends on the names.
template <typename T> T *child(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("The main window has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

GridView *grid(const MainWindow &w, const char *name)
{
    return child<GridView>(w, name);
}

void trigger(const MainWindow &w, const char *action)
{
    child<QAction>(w, action)->trigger();
}

QString header(const GridView *view, int column)
{
    return view->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

/// Paints the cell as the grid does, into a cell 300 pixels wide, and checks that its text
/// lands in the middle: as much room on its left as on its right.
void checkDrawnCentred(const GridView *view, int row, int column)
{
    const QModelIndex index = view->model()->index(row, column);
    const QString where = QStringLiteral("%1 row %2 column %3").arg(view->objectName()).arg(row).arg(column);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.rect = QRect(0, 0, 300, 22);
    option.widget = view;
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        view->itemDelegate()->paint(&painter, option, index);
    }
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
        }
    }
    QVERIFY2(left >= 0, qPrintable(where + QStringLiteral(": nothing drawn")));
    const int leftRoom = left;
    const int rightRoom = image.width() - 1 - right;
    QVERIFY2(qAbs(leftRoom - rightRoom) <= 3,
             qPrintable(where + QStringLiteral(": %1 px left, %2 px right of the text").arg(leftRoom).arg(rightRoom)));
}

} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void emptyDatabase();
    void loadsRowsInSerialOrder();
    void clearData_data();
    void clearData();
    void purgesAtClose();
    void startupFailure_data();
    void startupFailure();
    void errorBoxText_data();
    void errorBoxText();
    void helpPage();
};

void TestMainWindow::emptyDatabase()
{
    TestDb testDb;
    Database db(testDb.dbFile());
    MainWindow w(db);
    QAbstractItemModelTester tester(grid(w, "participantGrid")->model());
    // Each grid shows its header and one empty row without a serial.
    for (const char *name : {"participantGrid", "prizeGrid", "resultGrid"}) {
        const GridModel *model = grid(w, name)->gridModel();
        QCOMPARE(model->rowCount(), 1);
        for (int c = 0; c < model->columnCount(); ++c)
            QCOMPARE(model->text(0, c), QString());
    }
    QCOMPARE(header(grid(w, "participantGrid"), 1), QStringLiteral("手机号"));
    QCOMPARE(header(grid(w, "prizeGrid"), 3), QStringLiteral("每次抽奖人数"));
    QCOMPARE(header(grid(w, "resultGrid"), 3), QStringLiteral("手机号码"));
    QCOMPARE(child<QTabWidget>(w, "pages")->currentIndex(), 0);
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrano抽奖软件"));
    // Column 0 is never editable; the others are in both editable grids.
    for (const char *name : {"participantGrid", "prizeGrid"}) {
        const QAbstractItemModel *model = grid(w, name)->model();
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    }
    const QAbstractItemModel *results = grid(w, "resultGrid")->model();
    QVERIFY(!(results->flags(results->index(0, 1)) & Qt::ItemIsEditable));
}

void TestMainWindow::loadsRowsInSerialOrder()
{
    TestDb testDb;
    QList<QStringList> rows;
    for (int i = 1; i <= 12; ++i)
        rows.append({QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("人%1").arg(i),
                     QStringLiteral("备注%1").arg(i)});
    testDb.addParticipants(rows);
    testDb.exec(QStringLiteral("update Tab_CJ set xh = xh + 20 where xh > 6")); // a gap left by an old purge
    testDb.addPrizes(
        {{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("电视"), QString()}});
    Database db(testDb.dbFile());
    MainWindow w(db);
    const GridView *participants = grid(w, "participantGrid");
    QCOMPARE(participants->gridModel()->rowCount(), 12);
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(participants->gridModel()->text(i - 1, 0), QString::number(i));
        QCOMPARE(participants->gridModel()->text(i - 1, 2), QStringLiteral("人%1").arg(i));
    }
    QCOMPARE(testDb.column(QStringLiteral("select xh from Tab_CJ where Name = '人12'")),
             QStringList{QStringLiteral("12")});
    const GridView *prizes = grid(w, "prizeGrid");
    QCOMPARE(prizes->gridModel()->rowCount(), 1);
    QCOMPARE(prizes->gridModel()->text(0, 4), QStringLiteral("电视"));
    // Serials, phone numbers and counts are shown centred in their cells.
    for (int r : {0, 11}) {
        checkDrawnCentred(participants, r, 0);
        checkDrawnCentred(participants, r, 1);
    }
    checkDrawnCentred(prizes, 0, 0);
    checkDrawnCentred(prizes, 0, 2);
}

void TestMainWindow::clearData_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestMainWindow::clearData()
{
    QFETCH(bool, ok);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("甲"), QString()},
                            {QStringLiteral("13800000002"), QStringLiteral("乙"), QString()}});
    testDb.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});
    ScriptedDialogs dialogs;
    dialogs.answers = {ok};
    Database db(testDb.dbFile());
    MainWindow w(db);
    trigger(w, "clearDataAction");
    QCOMPARE(dialogs.messages.first().text, QStringLiteral("数据清除后无法恢复，确定清除以前数据？"));
    QCOMPARE(dialogs.messages.first().caption, QStringLiteral("删除记录"));
    QVERIFY(dialogs.messages.first().buttons == Dialogs::Buttons::OkCancel);
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_Set")), QStringList{QStringLiteral("1")});
    const GridModel *participants = grid(w, "participantGrid")->gridModel();
    if (ok) {
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages.at(1).text, QStringLiteral("清除数据成功"));
        QCOMPARE(dialogs.messages.at(1).caption, QStringLiteral("成功！"));
        QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("0")});
        // Back to the one empty row of an empty list, without a serial.
        QCOMPARE(participants->rowCount(), 1);
        QCOMPARE(participants->text(0, 0), QString());
        QCOMPARE(participants->text(0, 1), QString());
    } else {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("2")});
        QCOMPARE(participants->rowCount(), 2);
        QCOMPARE(participants->text(1, 2), QStringLiteral("乙"));
    }
}

void TestMainWindow::purgesAtClose()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001")}, {QString()}, {QStringLiteral("13800000003")}});
    testDb.exec(QStringLiteral("insert into Tab_CJ(xh) values (4)"));
    testDb.addPrizes({{QString()}, {QStringLiteral("二等奖")}});
    {
        Database db(testDb.dbFile());
        MainWindow w(db);
        w.show();
        trigger(w, "exitAction"); // 退出
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(testDb.column(QStringLiteral("select xh || ':' || Tel from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("1:13800000001"), QStringLiteral("2:13800000003")}));
    QCOMPARE(testDb.column(QStringLiteral("select xh || ':' || name from Tab_Set")),
             QStringList{QStringLiteral("1:二等奖")});

    // A database that is gone by the time the window closes does not keep it from closing.
    {
        Database db(testDb.dbFile());
        MainWindow w(db);
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(testDb.dbFile() + QLatin1String(suffix));
    }
    QVERIFY(!QFile::exists(testDb.dbFile()));
}

void TestMainWindow::startupFailure_data()
{
    QTest::addColumn<QString>("damage"); // SQL run on the file first; null: the file is removed
    QTest::addColumn<bool>("opened");    // whether the database opens and the window is what fails
    QTest::addColumn<QString>("shown");  // <file> stands for the database file
    const QString missingTable = QStringLiteral(
        "数据库文件“<file>”中缺少本程序需要的数据表，这次操作没有完成。文件不完整或者不是抽奖软件的数据库："
        "请退出本程序，用备份的数据库文件替换它后再启动。（数据库报告：no such table: %1）");
    QTest::newRow("no database file")
        << QString() << false
        << "无法打开数据库文件“<file>”。请确认文件存在、它所在的文件夹可以访问，并且没有被其他程序独占，"
           "然后重新启动本程序。（数据库报告：unable to open database file）";
    QTest::newRow("participant table unreadable")
        << "drop table Tab_CJ" << true << missingTable.arg(QStringLiteral("Tab_CJ"));
    QTest::newRow("prize table unreadable")
        << "drop table Tab_Set" << true << missingTable.arg(QStringLiteral("Tab_Set"));
}

// As the program starts: the database first, then the window over it; what fails is shown in
// the error box and no window is made.
void TestMainWindow::startupFailure()
{
    QFETCH(QString, damage);
    QFETCH(bool, opened);
    QFETCH(QString, shown);
    TestDb testDb;
    if (damage.isNull())
        QFile::remove(testDb.dbFile());
    else
        testDb.exec(damage);
    ScriptedDialogs dialogs;
    bool databaseOpened = false;
    try {
        Database db(testDb.dbFile());
        databaseOpened = true;
        MainWindow w(db);
        QFAIL("window created over a database it cannot read");
    } catch (const DatabaseError &e) {
        ErrorBoundary::report(e);
    }
    QCOMPARE(databaseOpened, opened);
    QCOMPARE(dialogs.texts(),
             QStringList{shown.replace(QStringLiteral("<file>"), QDir::toNativeSeparators(testDb.dbFile()))});
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    // A missing file is not made anew as an empty database.
    QCOMPARE(QFile::exists(testDb.dbFile()), opened);
}

void TestMainWindow::errorBoxText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "database is locked"
                            << "database is locked.";
    QTest::newRow("chinese") << "无法打开"
                             << "无法打开.";
    QTest::newRow("chinese full stop") << "请关闭它后重试。"
                                       << "请关闭它后重试。";
    QTest::newRow("chinese bracket") << "请重试。（数据库报告：database is locked）"
                                     << "请重试。（数据库报告：database is locked）";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("exclamation") << "Stop!"
                                 << "Stop!";
    QTest::newRow("bracket") << "x (y)"
                             << "x (y)";
    QTest::newRow("digit") << "code 5"
                           << "code 5.";
}

void TestMainWindow::errorBoxText()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    ScriptedDialogs dialogs;
    ErrorBoundary::report(DatabaseError(text));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().text, shown);
    QCOMPARE(dialogs.messages.first().caption, QStringLiteral("Kestrano抽奖软件"));
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    QVERIFY(dialogs.messages.first().buttons == Dialogs::Buttons::Ok);
}

void TestMainWindow::helpPage()
{
    TestDb testDb;
    Database db(testDb.dbFile());
    MainWindow w(db);
    trigger(w, "manualAction");
    const auto *pages = child<QTabWidget>(w, "pages");
    QCOMPARE(pages->currentIndex(), 3);
    const auto *help = child<QPlainTextEdit>(w, "helpText");
    QCOMPARE(pages->currentWidget(), help);
    QVERIFY(help->toPlainText().contains(QStringLiteral("开始抽奖")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
