#pragma once

#include "core/draw/DrawSurface.h"
#include "core/draw/WinnerLog.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include <memory>

class Database;
class DigitTile;
class DrawEngine;
class NotificationWindow;
class QAction;
class QMenu;
class StretchedPicture;

/// The full-screen draw screen: the background picture, 111 digit tiles in rows of eleven,
/// the corner notification and the music. A left click on the background or a tile, or
/// Enter, toggles between the start and the stop of a round; the popup menu on the right
/// button offers 开始, 停止 and 退出. The draw itself (schedule, roll worker, winners) is
/// the DrawEngine's; the screen shows what it hands over.
class DrawScreen final : public QDialog, public DrawSurface
{
    Q_OBJECT

public:
    static constexpr int TileCount = 111;
    /// Rows the tiles can show: ten full rows (tile 110 stands alone in an eleventh).
    static constexpr int MaxRoundRows = 10;

    /// Reads the settings and loads the prize plan; throws when the plan cannot be loaded.
    explicit DrawScreen(Database &db, QWidget *parent = nullptr);
    ~DrawScreen() override;

    DrawEngine &engine() const { return *m_engine; }
    /// The winners recorded on this screen.
    const WinnerLog &winnerLog() const;

    /// Before the screen shows: when the latest draw is unfinished, asks the operator whether
    /// to go on with it (the default) or begin a new draw. False when the operator cancels.
    bool chooseDraw(QWidget *parent);

    /// A click on the background or a tile, or Enter: starts a round when none rolls, else
    /// stops it.
    void toggle();
    /// "开始": the next round of the schedule.
    void startRound();
    /// "停止": stops the round, reveals and records its winners.
    void stopRound();
    /// "退出": after the operator confirms, halts a rolling round without recording it, ends
    /// the draw in the record and closes the screen.
    void exitDraw();
    /// "作废中奖": voids a win of the round just drawn (an absent winner), after asking which
    /// and why; the next round of that prize draws the replacement.
    void voidRoundWin();

    // DrawSurface
    void showTileRow(int row, const QString &text) override;
    void showWarning(const QString &text, const QString &caption) override;
    void rollFailed(const QString &reason) override;
    void playWinMusic() override;
    void addNotificationLine(const QString &line) override;
    void showNotification() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createTiles();
    /// The exit command's question, then the halt and the closing sound; false when the
    /// operator keeps the screen open.
    bool confirmExit();
    /// Ends the draw in the record; a failure is reported and the screen closes all the same.
    void finishDraw();
    void showRows(int rows);

    std::unique_ptr<DrawEngine> m_engine;
    StretchedPicture *m_background;
    QMenu *m_menu;
    QAction *m_startAction;
    QAction *m_stopAction;
    QAction *m_exitAction;
    QAction *m_voidAction;
    NotificationWindow *m_notification;
    QList<DigitTile *> m_tiles;
    QString m_drawMusic;
    QString m_winMusic;
    QPixmap m_face;
    QFont m_tileFont;
    bool m_shownOnce = false;
    bool m_closing = false; // the exit command or the draw's end closes the screen
};
