#include "gui/app/MainWindow.h"

#include "core/base/Files.h"
#include "core/data/AppPaths.h"
#include "core/data/BackupRunner.h"
#include "core/data/Database.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"
#include "gui/app/AboutDialog.h"
#include "gui/app/ParticipantsPage.h"
#include "gui/app/PrizesPage.h"
#include "gui/app/ResultsPage.h"
#include "gui/draw/DrawScreen.h"
#include "gui/settings/SettingsDialog.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridView.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

const char *const HelpText =
    "                              Kestrano抽奖软件 使用手册\n"
    "------------------------------------------------------------------------------\n"
    "本软件为企业和机构的年会、庆典等活动提供电脑辅助抽奖。主要功能如下：\n"
    "\n"
    "1. 系统设置：在\"文件\"菜单中选择\"系统设置\"，可以设置抽奖画面的背景图片、抽奖音乐、\n"
    "   中奖音乐、滚动速度、抽奖画面显示在哪个显示器（例如投影仪），以及揭晓时是否隐藏号码中间四位，\n"
    "   按\"确定\"后自动保存。\n"
    "2. 清除数据：在\"文件\"菜单中选择\"清除数据\"，可以清除以前抽奖的参选人数据。\n"
    "3. 录入参选人：在\"手机号码输入\"页中录入参选人的手机号码、姓名和备注，录入后自动保存；\n"
    "   也可以按\"从excel导入\"从表格文件（.xls、.xlsx、.csv）导入：表格第一行为标题，\n"
    "   从第二行起 B 列为手机号码，C 列为姓名，D 列为备注。\n"
    "4. 设置奖项：在\"抽奖设置\"页中设置抽奖顺序、奖项名称、奖项数量、每次抽奖人数和奖品，\n"
    "   录入后自动保存。每次抽奖人数最多为 50 人（超过 10 人时分几列显示）。\n"
    "5. 开始抽奖：在\"文件\"菜单中选择\"开始抽奖\"进入全屏抽奖画面。点击鼠标左键，或按 Enter、\n"
    "   空格、Page Down、Page Up、左右方向键（翻页笔发送的就是这些键）开始滚动号码，再按一次停止；\n"
    "   中奖者的手机号码和姓名显示在号码旁和屏幕右下角。右键菜单可以开始、停止、退出，\n"
    "   或作废刚抽出的未到场中奖者，其名额在该奖项下一轮重新抽取。每个手机号码只能中奖一次。\n"
    "   抽奖中途程序意外退出（断电、死机）后，再次进入\"开始抽奖\"可以从中断的地方继续。\n"
    "6. 抽奖结果：\"抽奖结果\"页列出上一场抽奖每个奖项的中奖者（每次停止时已立即保存），可以导出到\n"
    "   表格文件、作废未到场的中奖者，或导出带校验码的抽奖记录，页面上显示记录是否被改动过。\n";

} // namespace

MainWindow::MainWindow(Database &db, QWidget *parent)
    : QMainWindow(parent)
    , m_db(db)
    , m_pages(new QTabWidget(this))
    , m_participants(new ParticipantsPage(db))
    , m_prizes(new PrizesPage(db))
    , m_results(new ResultsPage(db))
    , m_help(new QPlainTextEdit)
    , m_backupStatus(new QLabel)
    , m_backups(new BackupRunner(db.fileName(), {}, this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kestrano抽奖软件"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    setStyleSheet(QStringLiteral(
        "#buttonPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3efff, stop:1 #c4daf8);"
        " border-bottom: 1px solid #8db2e3; }"
        "#buttonPanel QPushButton { border: 1px solid #8db2e3; border-radius: 3px; padding: 0 4px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dce8f8); }"
        "#buttonPanel QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff9e0,"
        " stop:1 #ffd767); border-color: #c2a23a; }"
        "#buttonPanel QPushButton:disabled { color: #9aa5b5; }"));

    m_help->setObjectName(QStringLiteral("helpText"));
    m_help->setAccessibleName(QStringLiteral("帮助"));
    m_help->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_help->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_help->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Where the data lives, so that the operator can find the files and back them up.
    m_help->setPlainText(
        QString::fromUtf8(HelpText) +
        QStringLiteral("\n数据文件夹：%1\n（数据库 CJ.mdb、设置 System.INI 和自动备份 backup 文件夹都在这里。）\n")
            .arg(QDir::toNativeSeparators(AppPaths::dataFolder())));

    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setMovable(false);
    m_pages->addTab(m_participants, QStringLiteral("手机号码输入"));
    m_pages->addTab(m_prizes, QStringLiteral("抽奖设置"));
    m_pages->addTab(m_results, QStringLiteral("抽奖结果"));
    m_pages->addTab(m_help, QStringLiteral("帮助"));
    setCentralWidget(m_pages);
    buildMenu();

    // The backups' outcome stays in the status bar until the next one: seen when the operator
    // looks, never in the way of a draw.
    m_backupStatus->setObjectName(QStringLiteral("backupStatus"));
    m_backupStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(m_backupStatus, 1);
    connect(m_backups, &BackupRunner::backedUp, this, [this](const QString &file) {
        showBackupStatus(QStringLiteral("%1 已备份数据库到“%2”。")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), Files::displayPath(file)),
                         false);
    });
    connect(m_backups, &BackupRunner::failed, this, [this](const QString &text) {
        qWarning("Backup failed: %s", qUtf8Printable(text));
        showBackupStatus(QStringLiteral("%1 数据库备份失败：%2")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), text),
                         true);
    });

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(qMin(1288, screen.width()), qMin(778, screen.height()));
    move(screen.topLeft());

    m_participants->load();
    m_prizes->load();
    // The results of the latest draw, as they stood when the program last ended. A page that
    // cannot be laid out is reported; the window opens all the same.
    ErrorBoundary::guarded([this] { m_results->showLatestDraw(); });
}

MainWindow::~MainWindow()
{
    // A failing purge must never keep the program from ending.
    try {
        ParticipantStore(m_db).purgeIncomplete();
        PrizeStore(m_db).purgeIncomplete();
    } catch (const std::exception &e) {
        qWarning("Purging incomplete rows at exit failed: %s", e.what());
    }
}

void MainWindow::buildMenu()
{
    const auto addAction = [this](QMenu *menu, const QString &text, const char *name, void (MainWindow::*handler)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connectGuarded(action, &QAction::triggered, this, handler);
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("fileMenu"));
    addAction(file, QStringLiteral("系统设置"), "settingsAction", &MainWindow::openSettings);
    addAction(file, QStringLiteral("清除数据"), "clearDataAction", &MainWindow::clearData);
    addAction(file, QStringLiteral("开始抽奖"), "startDrawAction", &MainWindow::startDraw);
    QAction *exit = file->addAction(QStringLiteral("退出"));
    exit->setObjectName(QStringLiteral("exitAction"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu *help = menuBar()->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addAction(help, QStringLiteral("使用手册"), "manualAction", &MainWindow::showManual);
    addAction(help, QStringLiteral("联系我们"), "aboutAction", &MainWindow::showAbout);
    menuBar()->setStyleSheet(QStringLiteral(
        "QMenuBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3efff, stop:1 #a3c3f5); }"
        "QMenuBar::item:selected { background: #ffd767; }"));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The start's backup, once the window is up: a large file must not hold up its first paint.
    if (!m_shownBefore) {
        m_shownBefore = true;
        QTimer::singleShot(0, m_backups, &BackupRunner::start);
    }
}

void MainWindow::showBackupStatus(const QString &text, bool failed)
{
    m_backupStatus->setText(text);
    m_backupStatus->setAccessibleName(text);
    m_backupStatus->setToolTip(text);
    m_backupStatus->setStyleSheet(failed ? QStringLiteral("color: #c00000;") : QString());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every way out (退出, the window's close button) saves what was typed last before the
    // exit purge.
    GridView::endEditsIn(this);
    QMainWindow::closeEvent(event);
}

void MainWindow::openSettings()
{
    GridView::endEditsIn(this);
    SettingsDialog dialog(this);
    dialog.exec();
}

void MainWindow::clearData()
{
    GridView::endEditsIn(this);
    if (!Dialogs::confirm(this, QStringLiteral("数据清除后无法恢复，确定清除以前数据？"), QStringLiteral("删除记录")))
        return;
    m_participants->clearAll();
    Dialogs::information(this, QStringLiteral("清除数据成功"), QStringLiteral("成功！"));
}

void MainWindow::startDraw()
{
    // The screen reads the prize plan from the table: a quantity typed and not yet confirmed
    // must be in it.
    GridView::endEditsIn(this);
    {
        DrawScreen screen(m_db);
        if (!screen.chooseDraw(this))
            return;
        screen.exec();
    }
    // The draw's marks and record, backed up while the results are looked at.
    m_backups->start();
    m_pages->setCurrentWidget(m_results);
    m_results->showLatestDraw();
}

void MainWindow::showManual()
{
    m_pages->setCurrentWidget(m_help);
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}
