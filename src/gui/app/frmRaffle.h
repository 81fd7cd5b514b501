#pragma once

#include <QMainWindow>

class QAction;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class StringGrid;

/// The management window: participant entry, prize settings, draw results and help, with
/// the main menu. It lives for the whole run; creating it loads both grids from the
/// database (and fails when the database cannot be read), closing it purges incomplete rows.
class Tfmraffle final : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tfmraffle(QWidget *parent = nullptr);
    ~Tfmraffle() override;

    // Controls, named as on the form.
    QTabWidget *AdvOfficePager2 = nullptr;
    StringGrid *Grid_CJ = nullptr;
    StringGrid *GridSetJX = nullptr;
    StringGrid *GridResult = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QPushButton *btn_Add = nullptr;
    QPushButton *btn_Del = nullptr;
    QPushButton *AdvGlowButton1 = nullptr; // import
    QPushButton *AdvGlowButton2 = nullptr; // export participants
    QPushButton *AdvGlowButton9 = nullptr; // add prize
    QPushButton *AdvGlowButton8 = nullptr; // delete prize
    QPushButton *AdvGlowButton3 = nullptr; // delete result row
    QPushButton *AdvGlowButton4 = nullptr; // export results
    QAction *N2 = nullptr;                 // 系统设置
    QAction *qq = nullptr;                 // 清除数据
    QAction *N3 = nullptr;                 // 开始抽奖
    QAction *N5 = nullptr;                 // 退出
    QAction *N6 = nullptr;                 // 使用手册
    QAction *N7 = nullptr;                 // 联系我们

    // Window state.
    int JXFocusCol = 0;
    int CJFocusCol = 0;
    QString LastCommentText;

    // Menu handlers.
    void N2Click();
    void qqClick();
    void N3Click();
    void N5Click();
    void N6Click();
    void N7Click();

    // Participant page.
    void btn_AddClick();
    void btn_DelClick();
    void Grid_CJEditCellDone(int col, int row);
    void Grid_CJKeyPress(QChar key);
    void AdvGlowButton1Click();
    void AdvGlowButton2Click();

    // Prize page.
    void AdvGlowButton9Click();
    void AdvGlowButton8Click();
    void GridSetJXEditCellDone(int col, int row);
    void GridSetJXKeyPress(QChar key);

    // Results page.
    void AdvGlowButton3Click();
    void AdvGlowButton4Click();

private:
    QWidget *buildParticipantPage();
    QWidget *buildPrizePage();
    QWidget *buildResultPage();
    QWidget *buildHelpPage();
    void buildMenu();
    void loadGrids();
    // Each wires its commands; a command not built yet keeps its button disabled.
    void wireParticipantPage(); // frmRaffleParticipants.cpp
    void wirePrizePage();       // frmRafflePrizes.cpp
    void wireSheets();          // frmRaffleSheets.cpp: import and exports
    void wireDraw();            // frmRaffleDraw.cpp: settings, draw, results
    void importParticipants(const QString &file);
    void exportGrid(const StringGrid *grid);
};
