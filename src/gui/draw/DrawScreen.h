#pragma once

#include "core/draw/DrawSurface.h"
#include "core/draw/WinnerLog.h"
#include "gui/draw/StageLayout.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include <memory>

class Database;
class DigitTile;
class DrawEngine;
class NotificationWindow;
class QAction;
class QLabel;
class QMenu;
class StretchedPicture;

/// The full-screen draw screen, on the screen the settings name: the background picture, the
/// round's rows of eleven digit tiles with the winners' names beside them at the reveal, the
/// corner notification and the music. Everything is laid out by StageLayout, scaled with the
/// screen; a round of more than ten rows takes several columns. A left click on the
/// background or a tile, Enter, Space, Page Up, Page Down, Left or Right (what a presenter
/// remote sends) toggles between the start and the stop of a round; the popup menu on the
/// right button offers 开始, 停止, 退出 and 作废中奖. The draw itself (schedule, roll
/// worker, record) is the DrawEngine's; the screen shows what it hands over.
class DrawScreen final : public QDialog, public DrawSurface
{
    Q_OBJECT

public:
    /// The most rows one round may have.
    static constexpr int MaxRoundRows = StageLayout::MaxRows;

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
    void revealRow(int row, const QString &phone, const QString &name) override;
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
    void hideEvent(QHideEvent *event) override;

private:
    void loadTileFace();
    /// Lays the screen out for a round of @p rows rows: tiles and name labels at their places
    /// (made as needed), the face and the fonts at the layout's sizes.
    void layOut(int rows);
    bool eventFilter(QObject *watched, QEvent *event) override;
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
    QList<QLabel *> m_names; // beside each row, the winner's name at the reveal
    QRect m_screenArea;      // the chosen screen's work area, for the notification
    QPixmap m_faceSource;    // the tile face as loaded; m_face is it at the tiles' size
    QString m_drawMusic;
    QString m_winMusic;
    QPixmap m_face;
    QFont m_tileFont;
    bool m_shownOnce = false;
    bool m_hideDigits = false;
    bool m_closing = false; // the exit command or the draw's end closes the screen
};
