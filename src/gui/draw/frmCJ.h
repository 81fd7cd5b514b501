#pragma once

#include "draw/DrawSurface.h"
#include "draw/WinnerLog.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>

#include <memory>

class AlertWindow;
class DigitTile;
class DrawEngine;
class QAction;
class QMenu;
class StretchedPicture;

/// The full-screen draw screen: the background picture, 111 digit tiles in rows of eleven,
/// the corner notification and the music. A left click on the background or a tile, or
/// Enter, toggles between the start and the stop of a round; the popup menu on the right
/// button offers 开始, 停止 and 退出. The draw itself (schedule, roll worker, winners) is
/// the DrawEngine's; the screen shows what it hands over.
class TfmCJ final : public QDialog, public DrawSurface
{
    Q_OBJECT
public:
    static constexpr int TileCount = 111;
    static constexpr int TilesPerRow = 11;
    /// Rows the tiles can show: ten full rows (tile 110 stands alone in an eleventh).
    static constexpr int MaxRoundRows = 10;

    /// Reads the settings and loads the prize plan; throws when the plan cannot be loaded.
    explicit TfmCJ(QWidget *parent = nullptr);
    ~TfmCJ() override;

    // Controls, named as on the form.
    StretchedPicture *Image1 = nullptr;
    QMenu *AdvPopupMenu1 = nullptr;
    QAction *N1 = nullptr; // 开始
    QAction *N2 = nullptr; // 停止
    QAction *N3 = nullptr; // 退出
    AlertWindow *AdvAlertWindow1 = nullptr;
    QList<DigitTile *> DigitTiles;

    QString drawMusic() const { return m_drawMusic; }
    QString winMusic() const { return m_winMusic; }
    DrawEngine &engine() const { return *m_engine; }
    /// The winners recorded on this screen; the main window copies it before the screen goes.
    const WinnerLog &winnerLog() const;

    // Handlers.
    void FormClick();
    void Image1Click();
    void N1Click(); // start
    void N2Click(); // stop
    void N3Click(); // exit

    // DrawSurface
    void ShowTileRow(int row, const QString &text) override;
    void showWarning(const QString &text, const QString &caption) override;
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
    void FormCreate();
    void FormShow();
    void createTiles();
    void showRows(int rows);

    std::unique_ptr<DrawEngine> m_engine;
    QString m_drawMusic;
    QString m_winMusic;
    QPixmap m_face;
    QFont m_tileFont;
    bool m_shownOnce = false;
};
