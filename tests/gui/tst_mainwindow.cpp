// The main window: loading, clearing, the exit purges, start-up failure and the error box.
#include "TestDb.h"

#include "app/frmRaffle.h"
#include "data/CjError.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void emptyDatabase();
    void loadsRowsInSerialOrder();
    void clearData_data();
    void clearData();
    void purgesAtClose();
    void startupFailure();
    void errorBoxText_data();
    void errorBoxText();
    void helpPage();
};

static void checkAllCentred(const StringGrid *grid)
{
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c)
            QVERIFY2(grid->grid()->isCentred(c, r), qPrintable(QStringLiteral("cell %1,%2").arg(c).arg(r)));
}

void TestMainWindow::emptyDatabase()
{
    TestDb db;
    Tfmraffle w;
    QAbstractItemModelTester tester(w.Grid_CJ->model());
    for (StringGrid *grid : {w.Grid_CJ, w.GridSetJX, w.GridResult}) {
        QCOMPARE(grid->RowCount(), 2);
        for (int c = 0; c < grid->ColCount(); ++c)
            QCOMPARE(grid->cell(c, 1), QString());
    }
    QCOMPARE(w.Grid_CJ->cell(1, 0), QStringLiteral("手机号"));
    QCOMPARE(w.GridSetJX->cell(3, 0), QStringLiteral("每次抽奖人数"));
    QCOMPARE(w.GridResult->cell(3, 0), QStringLiteral("手机号码"));
    QCOMPARE(w.AdvOfficePager2->currentIndex(), 0);
    QCOMPARE(w.LastCommentText, QStringLiteral("备注"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrano抽奖软件"));
    // Column 0 is never editable; the others are in both editable grids.
    for (StringGrid *grid : {w.Grid_CJ, w.GridSetJX}) {
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable);
    }
    QVERIFY(!(w.GridResult->model()->flags(w.GridResult->model()->index(0, 1)) & Qt::ItemIsEditable));
}

void TestMainWindow::loadsRowsInSerialOrder()
{
    TestDb db;
    QList<QStringList> rows;
    for (int i = 1; i <= 12; ++i)
        rows.append({QStringLiteral("1380000%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("人%1").arg(i),
                     QStringLiteral("备注%1").arg(i)});
    db.addParticipants(rows);
    db.exec(QStringLiteral("update Tab_CJ set xh = xh + 20 where xh > 6")); // a gap left by an old purge
    db.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("电视"),
                   QString()}});
    Tfmraffle w;
    QCOMPARE(w.Grid_CJ->RowCount(), 13);
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(w.Grid_CJ->cell(0, i), QString::number(i));
        QCOMPARE(w.Grid_CJ->cell(2, i), QStringLiteral("人%1").arg(i));
    }
    QCOMPARE(db.column(QStringLiteral("select xh from Tab_CJ where Name = '人12'")), QStringList{QStringLiteral("12")});
    QCOMPARE(w.GridSetJX->RowCount(), 2);
    QCOMPARE(w.GridSetJX->cell(4, 1), QStringLiteral("电视"));
    checkAllCentred(w.Grid_CJ);
    checkAllCentred(w.GridSetJX);
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
    TestDb db;
    db.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("甲"), QString()},
                        {QStringLiteral("13800000002"), QStringLiteral("乙"), QString()}});
    db.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});
    ScriptedDialogs dialogs;
    dialogs.answers = {ok};
    Tfmraffle w;
    w.qq->trigger();
    QCOMPARE(dialogs.messages.first().text, QStringLiteral("数据清除后无法恢复，确定清除以前数据？"));
    QCOMPARE(dialogs.messages.first().caption, QStringLiteral("删除记录"));
    QVERIFY(dialogs.messages.first().buttons == Dialogs::Buttons::OkCancel);
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_Set")), QStringList{QStringLiteral("1")});
    if (ok) {
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages.at(1).text, QStringLiteral("清除数据成功"));
        QCOMPARE(dialogs.messages.at(1).caption, QStringLiteral("成功！"));
        QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("0")});
        QCOMPARE(w.Grid_CJ->RowCount(), 2);
        QCOMPARE(w.Grid_CJ->cell(1, 1), QString());
        checkAllCentred(w.Grid_CJ);
    } else {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("2")});
        QCOMPARE(w.Grid_CJ->RowCount(), 3);
        QCOMPARE(w.Grid_CJ->cell(2, 2), QStringLiteral("乙"));
    }
}

void TestMainWindow::purgesAtClose()
{
    TestDb db;
    db.addParticipants({{QStringLiteral("13800000001")}, {QString()}, {QStringLiteral("13800000003")}});
    db.exec(QStringLiteral("insert into Tab_CJ(xh) values (4)"));
    db.addPrizes({{QString()}, {QStringLiteral("二等奖")}});
    {
        Tfmraffle w;
        w.show();
        w.N5->trigger(); // 退出
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(db.column(QStringLiteral("select xh || ':' || Tel from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("1:13800000001"), QStringLiteral("2:13800000003")}));
    QCOMPARE(db.column(QStringLiteral("select xh || ':' || name from Tab_Set")), QStringList{QStringLiteral("1:二等奖")});

    // A database that is gone by the time the window closes does not keep it from closing.
    {
        Tfmraffle w;
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(db.dbFile() + QLatin1String(suffix));
    }
    QVERIFY(!QFile::exists(db.dbFile()));
}

void TestMainWindow::startupFailure()
{
    TestDb db;
    QFile::remove(db.dbFile());
    try {
        Tfmraffle w;
        QFAIL("window created without a database");
    } catch (const DbError &e) {
        QCOMPARE(e.text(), QStringLiteral("unable to open database file"));
    }
    QVERIFY(!QFile::exists(db.dbFile()));
}

void TestMainWindow::errorBoxText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "database is locked" << "database is locked.";
    QTest::newRow("chinese") << "无法打开" << "无法打开.";
    QTest::newRow("full stop") << "Done." << "Done.";
    QTest::newRow("exclamation") << "Stop!" << "Stop!";
    QTest::newRow("bracket") << "x (y)" << "x (y)";
    QTest::newRow("digit") << "code 5" << "code 5.";
}

void TestMainWindow::errorBoxText()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    ScriptedDialogs dialogs;
    ErrorHandler::report(DbError(text));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().text, shown);
    QCOMPARE(dialogs.messages.first().caption, QStringLiteral("Kestrano抽奖软件"));
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    QVERIFY(dialogs.messages.first().buttons == Dialogs::Buttons::Ok);
}

void TestMainWindow::helpPage()
{
    TestDb db;
    Tfmraffle w;
    w.N6->trigger();
    QCOMPARE(w.AdvOfficePager2->currentIndex(), 3);
    QVERIFY(w.Memo1->toPlainText().contains(QStringLiteral("开始抽奖")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
