#include "frmCJ.h"

#include "AlertWindow.h"
#include "DigitTile.h"
#include "SoundPlayer.h"
#include "StretchedPicture.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"

#include "data/AppPaths.h"
#include "data/CjError.h"
#include "data/SettingsValues.h"
#include "draw/DrawEngine.h"
#include "draw/RoundPreview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
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
        throw CjError(QStringLiteral("Cannot load the picture \"%1\": %2")
                          .arg(QDir::toNativeSeparators(path), reader.errorString()));
    return image;
}

} // namespace

TfmCJ::TfmCJ(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmCJ"));
    setWindowTitle(QStringLiteral("Kestrano抽奖软件"));
    // Clicks on the background leave the keyboard where it is (on a tile, as a rule).
    setFocusPolicy(Qt::NoFocus);

    Image1 = new StretchedPicture(this);
    Image1->setObjectName(QStringLiteral("Image1"));

    AdvPopupMenu1 = new QMenu(this);
    AdvPopupMenu1->setObjectName(QStringLiteral("AdvPopupMenu1"));
    AdvPopupMenu1->setStyleSheet(QStringLiteral(
        "QMenu { background: #f6f9fe; border: 1px solid #002d96; padding: 2px; }"
        "QMenu::item { padding: 4px 28px 4px 24px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4c8, stop:1 #ffd767);"
        " border-color: #c2a23a; color: black; }"
        "QMenu::item:disabled { color: #9aa5b5; }"));
    N1 = AdvPopupMenu1->addAction(QStringLiteral("开始"));
    N2 = AdvPopupMenu1->addAction(QStringLiteral("停止"));
    N3 = AdvPopupMenu1->addAction(QStringLiteral("退出"));
    N2->setEnabled(false);
    connectHandler(N1, &QAction::triggered, this, &TfmCJ::N1Click);
    connectHandler(N2, &QAction::triggered, this, &TfmCJ::N2Click);
    connectHandler(N3, &QAction::triggered, this, &TfmCJ::N3Click);
    connectHandler(Image1, &StretchedPicture::clicked, this, &TfmCJ::Image1Click);

    AdvAlertWindow1 = new AlertWindow(this);

    FormCreate();
}

TfmCJ::~TfmCJ()
{
    // The worker hands rows to the tiles: it ends before they go.
    m_engine.reset();
}

void TfmCJ::FormCreate()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    // Without a window manager a full-screen request alone leaves the window smaller.
    setGeometry(screen ? screen->geometry() : QRect(0, 0, 1024, 768));
    setWindowState(Qt::WindowFullScreen);
    Image1->setGeometry(rect());

    const SettingsValues::DrawScreen settings = SettingsValues::readDrawScreen();
    Image1->setPicture(loadPicture(QStringLiteral(":/background.jpg")));
    if (!settings.picture.isEmpty()) {
        // A picture that cannot be loaded is reported; the built-in one stays.
        ErrorHandler::guarded([&] { Image1->setPicture(loadPicture(settings.picture)); });
    }
    m_drawMusic = settings.drawMusic;
    m_winMusic = settings.winMusic;

    m_engine = std::make_unique<DrawEngine>(this);
    m_engine->LoadPrizePlan();

    createTiles();
}

void TfmCJ::createTiles()
{
    const QString facePath = AppPaths::exeDir() + QStringLiteral("/cj.bmp");
    ErrorHandler::guarded([&] {
        QImage face = loadPicture(facePath);
        m_face = QPixmap::fromImage(std::move(face));
    });

    // 20 points at the screen's resolution, drawn as if the screen had 80 pixels per inch:
    // 32 pixels high on a 96 dpi screen.
    const double dpi = logicalDpiY();
    m_tileFont = font();
    m_tileFont.setBold(true);
    m_tileFont.setPixelSize(qRound(qRound(20.0 * dpi / 72.0) * dpi / 80.0));

    DigitTiles.reserve(TileCount);
    for (int i = 0; i < TileCount; ++i) {
        auto *tile = new DigitTile(i, &m_face, &m_tileFont, this);
        tile->setObjectName(QStringLiteral("tile%1").arg(i));
        tile->move(20 + 42 * (i % TilesPerRow), 100 + 42 * (i / TilesPerRow));
        connectHandler(tile, &DigitTile::clicked, this, &TfmCJ::FormClick);
        DigitTiles.append(tile);
    }
}

const WinnerLog &TfmCJ::winnerLog() const
{
    return m_engine->winnerLog();
}

void TfmCJ::FormShow()
{
    AdvAlertWindow1->addLine(TipText);
    AdvAlertWindow1->showAlert();
}

void TfmCJ::FormClick()
{
    if (N1->isEnabled())
        N1Click();
    else
        N2Click();
}

void TfmCJ::Image1Click()
{
    FormClick();
}

void TfmCJ::N1Click()
{
    // The tiles hold ten rows. A round of more is refused before the schedule counts it and
    // before anything changes on the screen, so that the prize can be corrected and drawn.
    const int upcoming = upcomingRoundRows(m_engine->schedule());
    if (upcoming > MaxRoundRows) {
        Dialogs::warning(this,
                         QStringLiteral("“%1”这一轮要抽%2人，但每次抽奖最多抽%3人（抽奖画面最多显示%3行号码）。\n"
                                        "请退出后在“抽奖设置”页把该奖项的“每次抽奖人数”改为%3人以内。")
                             .arg(m_engine->PrizeName(m_engine->schedule().CurPrize() + 1),
                                  QString::number(upcoming), QString::number(MaxRoundRows)),
                         QStringLiteral("提示!"));
        return;
    }
    N2->setEnabled(true);
    N1->setEnabled(false);
    if (m_engine->DrawIsOver()) {
        Dialogs::information(this, DoneText, DoneCaption);
        close();
        return;
    }
    AdvAlertWindow1->hideAlert();
    AdvAlertWindow1->clearText();
    AdvAlertWindow1->addLine(m_engine->PrizeName(m_engine->schedule().CurPrize() + 1) + QLatin1Char('\r'));
    if (m_engine->BeginRound() == RoundOutcome::NoQuantity) {
        Dialogs::information(this, DoneText, DoneCaption);
        return;
    }
    for (DigitTile *tile : std::as_const(DigitTiles))
        tile->setShown(false);
    SoundPlayer::instance().play(m_drawMusic, SoundPlayer::Mode::Loop);
    const int rows = m_engine->schedule().RoundRows();
    showRows(rows);
    m_engine->startRound(rows);
}

void TfmCJ::showRows(int rows)
{
    const int shown = qBound(0, rows * TilesPerRow, int(DigitTiles.size()));
    for (int i = 0; i < shown; ++i)
        DigitTiles.at(i)->setShown(true);
}

void TfmCJ::N2Click()
{
    N1->setEnabled(true);
    N2->setEnabled(false);
    m_engine->stop();
}

void TfmCJ::N3Click()
{
    if (!Dialogs::confirm(this, QStringLiteral("退出后则此次抽奖完毕，重新进入则进行重新抽奖！"),
                          QStringLiteral("是否确定退出")))
        return;
    m_engine->halt();
    // Relative on purpose: looked for in the current directory.
    SoundPlayer::instance().play(QStringLiteral("stop.wav"), SoundPlayer::Mode::Once);
    close();
}

void TfmCJ::ShowTileRow(int row, const QString &text)
{
    if (row < 0)
        return;
    for (int c = 0; c < TilesPerRow; ++c) {
        const int i = row * TilesPerRow + c;
        if (i >= DigitTiles.size())
            return;
        DigitTiles.at(i)->setCaption(c < text.size() ? QString(text.at(c)) : QString());
    }
}

void TfmCJ::showWarning(const QString &text, const QString &caption)
{
    Dialogs::warning(this, text, caption);
}

void TfmCJ::playWinMusic()
{
    SoundPlayer::instance().play(m_winMusic, SoundPlayer::Mode::Once);
}

void TfmCJ::addNotificationLine(const QString &line)
{
    AdvAlertWindow1->addLine(line);
}

void TfmCJ::showNotification()
{
    AdvAlertWindow1->showAlert();
}

bool TfmCJ::event(QEvent *event)
{
    // Activated, the screen gives the keyboard to its first tile, unless a tile has it.
    if (event->type() == QEvent::WindowActivate && !DigitTiles.isEmpty()
        && !qobject_cast<DigitTile *>(focusWidget()))
        DigitTiles.first()->setFocus(Qt::ActiveWindowFocusReason);
    return QDialog::event(event);
}

void TfmCJ::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TfmCJ::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Image1->setGeometry(rect());
}

void TfmCJ::keyPressEvent(QKeyEvent *event)
{
    // Reached only while the screen itself has the keyboard focus: a focused tile takes
    // Enter and Space itself and toggles on their release.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (!event->isAutoRepeat())
            ErrorHandler::guarded([this] { FormClick(); });
        return;
    }
    // Other keys do nothing here; Escape in particular does not close the screen.
    event->accept();
}

void TfmCJ::contextMenuEvent(QContextMenuEvent *event)
{
    AdvPopupMenu1->popup(event->globalPos());
}

void TfmCJ::closeEvent(QCloseEvent *event)
{
    m_engine->halt();
    AdvAlertWindow1->hideAlert();
    QDialog::closeEvent(event);
}
