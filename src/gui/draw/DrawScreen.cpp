#include "gui/draw/DrawScreen.h"

#include "core/base/Error.h"
#include "core/base/Text.h"
#include "core/data/AppPaths.h"
#include "core/data/DrawRecordStore.h"
#include "core/data/Settings.h"
#include "core/draw/DrawEngine.h"
#include "core/draw/PhoneMask.h"
#include "gui/draw/ScreenChoice.h"
#include "gui/draw/StretchedPicture.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/DigitTile.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/NotificationWindow.h"
#include "gui/ui/SoundPlayer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace {

const QString DoneText = QStringLiteral("抽奖完毕，谢谢！");
const QString DoneCaption = QStringLiteral("完毕!");
const QString TipText = QStringLiteral("  温馨提示:\r  你可以点击鼠标左键或Enter\r  键进行开始和结束操作!");

QImage loadPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        throw Error(QStringLiteral("无法载入图片“%2”（%1）。请确认这个文件存在并且是一张图片；"
                                   "抽奖画面先使用程序自带的图片。")
                        .arg(reader.errorString(), QDir::toNativeSeparators(path)));
    return image;
}

} // namespace

DrawScreen::DrawScreen(Database &db, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_background(new StretchedPicture(this))
    , m_menu(new QMenu(this))
    , m_notification(new NotificationWindow(this))
{
    setObjectName(QStringLiteral("drawScreen"));
    setWindowTitle(QStringLiteral("Kestrano抽奖软件"));
    // Clicks on the background leave the keyboard where it is (on a tile, as a rule).
    setFocusPolicy(Qt::NoFocus);

    m_background->setObjectName(QStringLiteral("background"));
    m_menu->setObjectName(QStringLiteral("drawMenu"));
    m_menu->setStyleSheet(QStringLiteral(
        "QMenu { background: #f6f9fe; border: 1px solid #002d96; padding: 2px; }"
        "QMenu::item { padding: 4px 28px 4px 24px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4c8, stop:1 #ffd767);"
        " border-color: #c2a23a; color: black; }"
        "QMenu::item:disabled { color: #9aa5b5; }"));
    const auto addAction = [this](const QString &text, const char *name, void (DrawScreen::*handler)()) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connectGuarded(action, &QAction::triggered, this, handler);
        return action;
    };
    m_startAction = addAction(QStringLiteral("开始"), "startAction", &DrawScreen::startRound);
    m_stopAction = addAction(QStringLiteral("停止"), "stopAction", &DrawScreen::stopRound);
    m_exitAction = addAction(QStringLiteral("退出"), "exitAction", &DrawScreen::exitDraw);
    m_menu->addSeparator();
    m_voidAction = addAction(QStringLiteral("作废中奖…"), "voidAction", &DrawScreen::voidRoundWin);
    m_stopAction->setEnabled(false);
    m_voidAction->setEnabled(false);
    connectGuarded(m_background, &StretchedPicture::clicked, this, &DrawScreen::toggle);

    const DrawScreenSettings settings = DrawScreenSettings::from(Settings::load(AppPaths::settingsFile()));
    // On the screen the settings name; one that is gone gives way to the primary screen.
    QScreen *screen = ScreenChoice::screenFor(settings.screen);
    if (screen)
        setScreen(screen);
    m_screenArea = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Without a window manager a full-screen request alone leaves the window smaller.
    setGeometry(screen ? screen->geometry() : QRect(0, 0, 1024, 768));
    setWindowState(Qt::WindowFullScreen);
    m_background->setGeometry(rect());
    m_hideDigits = settings.hideDigits;
    m_background->setPicture(loadPicture(QStringLiteral(":/background.jpg")));
    if (!settings.picture.isEmpty()) {
        // A picture that cannot be loaded is reported; the built-in one stays.
        ErrorBoundary::guarded([&] { m_background->setPicture(loadPicture(settings.picture)); });
    }
    m_drawMusic = settings.drawMusic;
    m_winMusic = settings.winMusic;

    m_engine = std::make_unique<DrawEngine>(this, db);
    m_engine->loadPlan(MaxRoundRows);

    loadTileFace();
    // The tiles of the plan's largest round are there from the start, hidden: the first
    // takes the keyboard, and every tile keeps its place in the tab order.
    int largest = 0;
    for (const PlannedPrize &prize : m_engine->schedule().plan())
        largest = qMax(largest, prize.perRound > 0 ? qMin(prize.perRound, prize.quantity) : 0);
    layOut(largest);
}

DrawScreen::~DrawScreen()
{
    qApp->removeEventFilter(this);
    // The worker hands rows to the tiles: it ends before they go.
    m_engine.reset();
}

void DrawScreen::loadTileFace()
{
    // The tile face beside the program, where the operator may replace it; the one built into
    // the program when there is none there, or when it cannot be loaded (which is reported).
    const QString facePath = AppPaths::exeDir() + QStringLiteral("/cj.bmp");
    if (QFileInfo::exists(facePath))
        ErrorBoundary::guarded([&] { m_faceSource = QPixmap::fromImage(loadPicture(facePath)); });
    if (m_faceSource.isNull())
        m_faceSource = QPixmap::fromImage(loadPicture(QStringLiteral(":/cj.bmp")));
}

void DrawScreen::layOut(int rows)
{
    const StageLayout layout(size(), rows, font().family());
    if (m_face.width() != layout.tileSize())
        m_face =
            m_faceSource.scaled(layout.tileSize(), layout.tileSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_tileFont = layout.captionFont();
    while (m_tiles.size() < layout.tileCount()) {
        auto *tile = new DigitTile(int(m_tiles.size()), &m_face, &m_tileFont, this);
        tile->setObjectName(QStringLiteral("tile%1").arg(m_tiles.size()));
        connectGuarded(tile, &DigitTile::clicked, this, &DrawScreen::toggle);
        tile->show();
        m_tiles.append(tile);
    }
    for (int i = 0; i < m_tiles.size(); ++i) {
        DigitTile *tile = m_tiles.at(i);
        tile->setShown(false);
        if (i < layout.tileCount())
            tile->setPlace(layout.tileRect(i));
        tile->update();
    }
    while (m_names.size() < rows) {
        auto *name = new QLabel(this);
        name->setObjectName(QStringLiteral("name%1").arg(m_names.size()));
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // Light on dark, to be read over any picture from the back of the hall.
        name->setStyleSheet(QStringLiteral("QLabel { color: #fff3b0; background: rgba(0, 0, 0, 150);"
                                           " border-radius: 4px; padding: 0 6px; }"));
        m_names.append(name);
    }
    for (int row = 0; row < m_names.size(); ++row) {
        QLabel *name = m_names.at(row);
        name->clear();
        name->setAccessibleName(QString());
        name->hide();
        if (row < rows) {
            name->setGeometry(layout.nameRect(row));
            name->setFont(layout.nameFont());
        }
    }
    const StageLayout::Notification n = layout.notification();
    m_notification->setMetrics(n.fontPixelSize, n.margin, n.captionHeight, n.minimumWidth, n.closeFontPixelSize);
    m_notification->setWorkArea(m_screenArea);
    // Below the lowest row, so that a long list of winners never covers the tiles or names.
    int bottom = 0;
    for (int row = 0; row < qMin(rows, RowsPerColumn); ++row)
        bottom = qMax(bottom, layout.rowRect(row).bottom());
    m_notification->setTopLimit(rows > 0 ? mapToGlobal(QPoint(0, bottom)).y() + n.margin * 2 : -1);
}

const WinnerLog &DrawScreen::winnerLog() const
{
    return m_engine->winnerLog();
}

bool DrawScreen::chooseDraw(QWidget *parent)
{
    const std::optional<DrawInfo> open = m_engine->unfinishedDraw();
    if (!open) {
        m_engine->beginNewDraw();
        return true;
    }
    int standing = 0;
    for (const RecordEntry &entry : DrawRecordStore(m_engine->database()).entries(open->id))
        standing += entry.isVoid() || entry.voided ? 0 : 1;
    const QDateTime started = QDateTime::fromString(open->started, Qt::ISODateWithMs);
    const int choice = Dialogs::instance().choose(
        parent,
        QStringLiteral("上一场抽奖（%1 开始，已抽出 %2 人）还没有结束。\n"
                       "继续这场抽奖，从它停下的地方接着抽；或者开始新的一场抽奖（上一场的结果仍然保留）。")
            .arg(started.toString(QStringLiteral("M月d日 HH:mm")), QString::number(standing)),
        QStringLiteral("继续抽奖？"),
        {QStringLiteral("继续上一场抽奖"), QStringLiteral("开始新的抽奖"), QStringLiteral("取消")}, 0);
    if (choice == 0)
        m_engine->continueDraw(open->id);
    else if (choice == 1)
        m_engine->beginNewDraw();
    return choice == 0 || choice == 1;
}

void DrawScreen::toggle()
{
    if (m_startAction->isEnabled())
        startRound();
    else
        stopRound();
}

void DrawScreen::startRound()
{
    DrawSchedule &schedule = m_engine->schedule();
    m_voidAction->setEnabled(false);
    m_stopAction->setEnabled(true);
    m_startAction->setEnabled(false);
    if (schedule.isOver()) {
        Dialogs::information(this, DoneText, DoneCaption);
        finishDraw();
        m_closing = true; // the draw's own end: no question, no closing sound
        close();
        return;
    }
    m_notification->dismiss();
    m_notification->clearText();
    m_notification->addLine(schedule.prizeName(schedule.currentPrize() + 1) + QLatin1Char('\r'));
    if (schedule.beginRound() == RoundOutcome::NoQuantity) {
        Dialogs::information(this, DoneText, DoneCaption);
        return;
    }
    SoundPlayer::instance().play(m_drawMusic, SoundPlayer::Mode::Loop, QStringLiteral(":/sounds/start.wav"));
    const int rows = schedule.roundRows();
    layOut(qMax(rows, 0));
    showRows(rows);
    m_engine->startRound(rows);
}

void DrawScreen::showRows(int rows)
{
    const int shown = qBound(0, rows * TilesPerRow, int(m_tiles.size()));
    for (int i = 0; i < shown; ++i) {
        // A row starts blank: one nobody rolls on (fewer participants than rows) must not go
        // on showing a winner of an earlier round.
        m_tiles.at(i)->setCaption(QString());
        m_tiles.at(i)->setShown(true);
    }
}

void DrawScreen::stopRound()
{
    try {
        m_engine->stop();
        m_voidAction->setEnabled(!m_engine->lastRoundWins().isEmpty());
    } catch (const DatabaseError &e) {
        // Nothing was revealed and the round rolls on, so the operator can stop again.
        Dialogs::warning(
            this, QStringLiteral("本轮中奖结果没有保存，号码继续滚动，请稍后再按一次停止。\n原因：%1").arg(e.text()),
            QStringLiteral("提示!"));
        return;
    }
    m_startAction->setEnabled(true);
    m_stopAction->setEnabled(false);
}

void DrawScreen::exitDraw()
{
    if (confirmExit())
        close();
}

bool DrawScreen::confirmExit()
{
    if (!Dialogs::confirm(this, QStringLiteral("退出后则此次抽奖完毕，重新进入则进行重新抽奖！"),
                          QStringLiteral("是否确定退出")))
        return false;
    m_engine->halt();
    // Relative on purpose: looked for in the current directory. It replaces the music.
    SoundPlayer::instance().play(QStringLiteral("stop.wav"), SoundPlayer::Mode::Once,
                                 QStringLiteral(":/sounds/stop.wav"));
    finishDraw();
    m_closing = true;
    return true;
}

void DrawScreen::finishDraw()
{
    ErrorBoundary::guarded([this] { m_engine->finishDraw(); });
}

void DrawScreen::voidRoundWin()
{
    QList<RecordEntry> wins;
    QStringList items;
    for (const RecordEntry &win : m_engine->lastRoundWins()) {
        if (!win.voided) {
            wins.append(win);
            items.append(win.phone + QStringLiteral("  ") + win.name);
        }
    }
    if (wins.isEmpty())
        return;
    const int chosen = Dialogs::instance().chooseItem(this, QStringLiteral("作废哪一位中奖者？该名额将重新抽取。"),
                                                      QStringLiteral("作废中奖"), items);
    if (chosen < 0)
        return;
    const std::optional<QString> reason =
        Dialogs::instance().askText(this, QStringLiteral("作废 %1 的中奖，原因：").arg(items.at(chosen)),
                                    QStringLiteral("作废中奖"), DrawRecordStore::defaultVoidReason());
    if (!reason)
        return;
    const RecordEntry &win = wins.at(chosen);
    m_engine->voidWin(win.seq, *reason);
    // The audience sees the winner taken back: off the tiles, and said in the notification.
    for (int row = 0; row * TilesPerRow < m_tiles.size(); ++row) {
        QString shown;
        for (int column = 0; column < TilesPerRow && row * TilesPerRow + column < m_tiles.size(); ++column)
            shown += m_tiles.at(row * TilesPerRow + column)->caption();
        if (shown == win.phone.left(TilesPerRow))
            showTileRow(row, QString());
    }
    const QString why = Text::isBlank(*reason) ? DrawRecordStore::defaultVoidReason() : Text::trimmed(*reason);
    m_notification->addLine(QStringLiteral("作废：%1      %2（%3）\r").arg(win.phone, win.name, why));
    m_notification->fadeIn();
    m_voidAction->setEnabled(false);
    for (const RecordEntry &entry : m_engine->lastRoundWins())
        m_voidAction->setEnabled(m_voidAction->isEnabled() || !entry.voided);
}

void DrawScreen::showTileRow(int row, const QString &text)
{
    if (row < 0)
        return;
    for (int column = 0; column < TilesPerRow; ++column) {
        const int i = row * TilesPerRow + column;
        if (i >= m_tiles.size())
            return;
        m_tiles.at(i)->setCaption(tileCaption(text, column));
    }
}

void DrawScreen::revealRow(int row, const QString &phone, const QString &name)
{
    // The numbers may be kept from the audience; the notification and the results show them.
    showTileRow(row, m_hideDigits ? hiddenMiddle(phone) : phone);
    if (row < 0 || row >= m_names.size())
        return;
    QLabel *label = m_names.at(row);
    label->setText(name);
    label->setAccessibleName(name);
    label->setVisible(!name.isEmpty());
}

void DrawScreen::showWarning(const QString &text, const QString &caption)
{
    Dialogs::warning(this, text, caption);
}

void DrawScreen::rollFailed(const QString &reason)
{
    Dialogs::warning(this,
                     QStringLiteral("读取参选人时出错，号码停止了滚动。按“停止”将以屏幕上的号码作为本轮结果；"
                                    "也可以退出后检查数据库再重新进入。\n原因：%1")
                         .arg(reason),
                     QStringLiteral("提示!"));
}

void DrawScreen::playWinMusic()
{
    SoundPlayer::instance().play(m_winMusic, SoundPlayer::Mode::Once, QStringLiteral(":/sounds/end.wav"));
}

void DrawScreen::addNotificationLine(const QString &line)
{
    m_notification->addLine(line);
}

void DrawScreen::showNotification()
{
    m_notification->fadeIn();
}

bool DrawScreen::event(QEvent *event)
{
    // Activated, the screen gives the keyboard to its first tile, unless a tile has it.
    if (event->type() == QEvent::WindowActivate && !m_tiles.isEmpty() && !qobject_cast<DigitTile *>(focusWidget()))
        m_tiles.first()->setFocus(Qt::ActiveWindowFocusReason);
    return QDialog::event(event);
}

bool DrawScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Right:
    case Qt::Key_Left:
        // Whatever has the keyboard on the screen, these keys toggle, once per press: a key
        // held down repeats its press, and a presenter remote sends Page Up and Page Down.
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat())
            ErrorBoundary::guarded([this] { toggle(); });
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void DrawScreen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
    if (!m_shownOnce) {
        m_shownOnce = true;
        layOut(int(m_names.size())); // at the size the screen has now that it shows
        m_notification->addLine(TipText);
        m_notification->fadeIn();
    }
}

void DrawScreen::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_background->setGeometry(rect());
}

void DrawScreen::keyPressEvent(QKeyEvent *event)
{
    // The toggling keys are taken before any widget sees them (eventFilter()); others do
    // nothing here. Escape in particular does not close the screen.
    event->accept();
}

void DrawScreen::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->popup(event->globalPos());
}

void DrawScreen::hideEvent(QHideEvent *event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

void DrawScreen::closeEvent(QCloseEvent *event)
{
    // Closed another way (Alt+F4, the window manager): the exit command's path, question and
    // sound included; a cancelled question keeps the screen open.
    if (!m_closing && !confirmExit()) {
        event->ignore();
        return;
    }
    m_engine->halt();
    m_notification->dismiss();
    QDialog::closeEvent(event);
}
