#include "frmRaffle.h"

#include "frmRelation.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"

#include "data/Tables.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int PanelHeight = 41;

const char *const HelpText =
    "                              Kestrano抽奖软件 使用手册\n"
    "------------------------------------------------------------------------------\n"
    "本软件为企业和机构的年会、庆典等活动提供电脑辅助抽奖。主要功能如下：\n"
    "\n"
    "1. 系统设置：在\"文件\"菜单中选择\"系统设置\"，可以设置抽奖画面的背景图片、抽奖音乐、\n"
    "   中奖音乐和滚动速度，按\"确定\"后自动保存。\n"
    "2. 清除数据：在\"文件\"菜单中选择\"清除数据\"，可以清除以前抽奖的参选人数据。\n"
    "3. 录入参选人：在\"手机号码输入\"页中录入参选人的手机号码、姓名和备注，录入后自动保存；\n"
    "   也可以按\"从excel导入\"从表格文件（.xls、.xlsx、.csv）导入：表格第一行为标题，\n"
    "   从第二行起 B 列为手机号码，C 列为姓名，D 列为备注。\n"
    "4. 设置奖项：在\"抽奖设置\"页中设置抽奖顺序、奖项名称、奖项数量、每次抽奖人数和奖品，\n"
    "   录入后自动保存。每次抽奖人数最多为 10 人。\n"
    "5. 开始抽奖：在\"文件\"菜单中选择\"开始抽奖\"进入全屏抽奖画面。点击鼠标左键或按 Enter 键\n"
    "   开始滚动号码，再次点击或按 Enter 键停止，中奖者的手机号码和姓名显示在屏幕右下角。\n"
    "   右键菜单可以开始、停止或退出。每个手机号码只能中奖一次。\n"
    "   退出抽奖画面后，\"抽奖结果\"页列出每个奖项的中奖者，可以导出到表格文件。\n";

QPushButton *glowButton(QWidget *panel, const QString &caption, int left, int width, const char *icon)
{
    auto *button = new QPushButton(QIcon(QString::fromLatin1(icon)), caption, panel);
    button->setGeometry(left, 8, width, 25);
    QFont f(QStringLiteral("SimSun"));
    f.setPointSize(9);
    button->setFont(f);
    return button;
}

QWidget *page(QWidget *panel, QWidget *content)
{
    auto *w = new QWidget;
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    panel->setFixedHeight(PanelHeight);
    panel->setObjectName(QStringLiteral("buttonPanel"));
    layout->addWidget(panel);
    layout->addWidget(content);
    return w;
}

} // namespace

Tfmraffle::Tfmraffle(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmraffle"));
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

    AdvOfficePager2 = new QTabWidget(this);
    AdvOfficePager2->setMovable(false);
    AdvOfficePager2->addTab(buildParticipantPage(), QStringLiteral("手机号码输入"));
    AdvOfficePager2->addTab(buildPrizePage(), QStringLiteral("抽奖设置"));
    AdvOfficePager2->addTab(buildResultPage(), QStringLiteral("抽奖结果"));
    AdvOfficePager2->addTab(buildHelpPage(), QStringLiteral("帮助"));
    setCentralWidget(AdvOfficePager2);
    buildMenu();

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(qMin(1288, screen.width()), qMin(778, screen.height()));
    move(screen.topLeft());

    loadGrids();
    LastCommentText = QStringLiteral("备注");
    wireParticipantPage();
    wirePrizePage();
    wireSheets();
    wireDraw();
}

Tfmraffle::~Tfmraffle()
{
    // The grids outlive this body by a moment: an edit still open in them ends while they
    // are torn down and must not reach the handlers of a window whose state is gone.
    for (StringGrid *grid : {Grid_CJ, GridSetJX}) {
        grid->disconnect(this);
        grid->grid()->disconnect(this);
    }
    // A failing purge must never keep the program from ending.
    try {
        Tables::purgeIncomplete();
    } catch (const std::exception &e) {
        qWarning("Purging incomplete rows at exit failed: %s", e.what());
    }
}

QWidget *Tfmraffle::buildParticipantPage()
{
    auto *panel = new QWidget;
    btn_Add = glowButton(panel, QStringLiteral("添加参选人"), 8, 86, ":/icons/add.png");
    btn_Del = glowButton(panel, QStringLiteral("删除参选人"), 96, 84, ":/icons/delete.png");
    AdvGlowButton1 = glowButton(panel, QStringLiteral("从excel导入"), 182, 93, ":/icons/sheet.png");
    AdvGlowButton2 = glowButton(panel, QStringLiteral("导出到excel"), 278, 93, ":/icons/sheet.png");
    Grid_CJ = new StringGrid({QStringLiteral("序号"), QStringLiteral("手机号"), QStringLiteral("姓名"),
                              QStringLiteral("备注")},
                             {76, 112, 158, 923});
    Grid_CJ->setObjectName(QStringLiteral("Grid_CJ"));
    Grid_CJ->setAccessibleName(QStringLiteral("参选人"));
    Grid_CJ->grid()->canEditCell = [](int col, int) { return col > 0; };
    Grid_CJ->setAlwaysEdit(true);
    connect(Grid_CJ, &StringGrid::cellChanging, this, [this](int, int, int, int newCol) { CJFocusCol = newCol; });
    return page(panel, Grid_CJ);
}

QWidget *Tfmraffle::buildPrizePage()
{
    auto *panel = new QWidget;
    AdvGlowButton9 = glowButton(panel, QStringLiteral("添加奖项"), 9, 87, ":/icons/add.png");
    AdvGlowButton8 = glowButton(panel, QStringLiteral("删除奖项"), 98, 89, ":/icons/delete.png");
    GridSetJX = new StringGrid({QStringLiteral("抽奖顺序"), QStringLiteral("奖项名称"), QStringLiteral("奖项数量"),
                                QStringLiteral("每次抽奖人数"), QStringLiteral("奖品"), QStringLiteral("备注")},
                               {58, 141, 137, 158, 137, 638});
    GridSetJX->setObjectName(QStringLiteral("GridSetJX"));
    GridSetJX->setAccessibleName(QStringLiteral("奖项"));
    GridSetJX->grid()->canEditCell = [](int col, int) { return col > 0; };
    GridSetJX->setAlwaysEdit(false);
    connect(GridSetJX, &StringGrid::cellChanging, this, [this](int, int, int, int newCol) { JXFocusCol = newCol; });
    return page(panel, GridSetJX);
}

QWidget *Tfmraffle::buildResultPage()
{
    auto *panel = new QWidget;
    AdvGlowButton3 = glowButton(panel, QStringLiteral("删除所选记录"), 11, 102, ":/icons/delete.png");
    AdvGlowButton4 = glowButton(panel, QStringLiteral("导出到excel"), 115, 93, ":/icons/sheet.png");
    GridResult = new StringGrid({QStringLiteral("序号"), QStringLiteral("奖项"), QStringLiteral("奖品"),
                                 QStringLiteral("手机号码"), QStringLiteral("姓名"), QStringLiteral("备注")},
                                {58, 141, 137, 154, 150, 629});
    GridResult->setObjectName(QStringLiteral("GridResult"));
    GridResult->setAccessibleName(QStringLiteral("抽奖结果"));
    GridResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridResult->setTabKeyNavigation(false);
    return page(panel, GridResult);
}

QWidget *Tfmraffle::buildHelpPage()
{
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("帮助"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QString::fromUtf8(HelpText));
    return Memo1;
}

void Tfmraffle::buildMenu()
{
    QMenu *N1 = menuBar()->addMenu(QStringLiteral("文件"));
    N2 = N1->addAction(QStringLiteral("系统设置"));
    qq = N1->addAction(QStringLiteral("清除数据"));
    N3 = N1->addAction(QStringLiteral("开始抽奖"));
    N5 = N1->addAction(QStringLiteral("退出"));
    QMenu *N4 = menuBar()->addMenu(QStringLiteral("帮助"));
    N6 = N4->addAction(QStringLiteral("使用手册"));
    N7 = N4->addAction(QStringLiteral("联系我们"));
    menuBar()->setStyleSheet(QStringLiteral(
        "QMenuBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3efff, stop:1 #a3c3f5); }"
        "QMenuBar::item:selected { background: #ffd767; }"));

    connectHandler(qq, &QAction::triggered, this, &Tfmraffle::qqClick);
    connectHandler(N5, &QAction::triggered, this, &Tfmraffle::N5Click);
    connectHandler(N6, &QAction::triggered, this, &Tfmraffle::N6Click);
    connectHandler(N7, &QAction::triggered, this, &Tfmraffle::N7Click);
}

void Tfmraffle::loadGrids()
{
    QList<QStringList> participants, prizes;
    Tables::loadAll(&participants, &prizes);
    // With an empty table a grid keeps its one empty data row.
    if (!participants.isEmpty())
        Grid_CJ->grid()->setDataRows(std::move(participants));
    if (!prizes.isEmpty())
        GridSetJX->grid()->setDataRows(std::move(prizes));
    GridSetJX->grid()->centreAll();
    Grid_CJ->grid()->centreAll();
    GridResult->grid()->centreAll();
}

void Tfmraffle::qqClick()
{
    if (!Dialogs::confirm(this, QStringLiteral("数据清除后无法恢复，确定清除以前数据？"), QStringLiteral("删除记录")))
        return;
    ParticipantTable::clear();
    // The grid must not go on showing participants that no longer exist: edits on them
    // would be lost. It is emptied to its header row and one empty data row.
    Grid_CJ->grid()->setDataRows({QStringList()});
    Grid_CJ->grid()->centreAll();
    Grid_CJ->setFixedRows(1);
    Grid_CJ->setCurrentCell(0, 1);
    Dialogs::information(this, QStringLiteral("清除数据成功"), QStringLiteral("成功！"));
}

void Tfmraffle::N5Click()
{
    close();
}

void Tfmraffle::N6Click()
{
    AdvOfficePager2->setCurrentIndex(3);
}

void Tfmraffle::N7Click()
{
    TfmRelation relation(this);
    relation.exec();
}
