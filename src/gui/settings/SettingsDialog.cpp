#include "gui/settings/SettingsDialog.h"

#include "core/data/AppPaths.h"
#include "core/data/Settings.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/WindowDragger.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace {

constexpr int CaptionHeight = 24;

QLabel *label(QWidget *parent, const QString &text, int left, int top)
{
    auto *l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit *edit(QWidget *parent, const char *name, const QString &accessibleName, int left, int top)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessibleName);
    e->setGeometry(left, top, 248, 19);
    return e;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent)
    : SettingsDialog(ScreenChoice::currentScreens(), parent)
{
}

SettingsDialog::SettingsDialog(const QList<ScreenInfo> &screens, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_screens(screens)
{
    setObjectName(QStringLiteral("settingsDialog"));
    setWindowTitle(QStringLiteral("系统设置"));
    setFixedSize(429, 289);
    setStyleSheet(QStringLiteral(
        "SettingsDialog { background: #d5e4f9; border: 1px solid #6591cd; }"
        "#page { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #eaf2fd, stop:1 #c6d9f5);"
        " border: 1px solid #8db2e3; }"
        "#pageCaption { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5987d6, stop:1 #002d96);"
        " color: white; font-weight: bold; padding-left: 10px; }"
        "#page QLineEdit, #page QComboBox { border: 1px solid #7f9db9; background: white; padding: 0 2px; }"
        "#page QComboBox { combobox-popup: 0; }"
        "#page QComboBox QAbstractItemView { border: 1px solid #7f9db9; background: white; color: black;"
        " selection-background-color: #316ac5; selection-color: white; }"
        "#page QPushButton { border: 1px solid #8db2e3; border-radius: 3px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d3e2f7); }"
        "#page QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff9e0,"
        " stop:1 #ffd767); border-color: #c2a23a; }"
        "#page QPushButton:pressed { background: #f8b34a; }"
        "#page QPushButton:focus { border-color: #002d96; }"
        "#page QPushButton:default { border-width: 2px; }"
        // After the page's buttons: the close button is more specific and wins.
        "#page QPushButton#closeButton { background: transparent; color: white; border: 1px solid transparent;"
        " border-radius: 2px; font: bold 14px; }"
        "#page QPushButton#closeButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4c8,"
        " stop:1 #ffd767); color: #002d96; border-color: #c2a23a; }"));

    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("page"));
    page->setGeometry(2, 2, 421, 281);
    page->setAttribute(Qt::WA_StyledBackground);

    auto *caption = new QLabel(QStringLiteral("系统设置"), page);
    caption->setObjectName(QStringLiteral("pageCaption"));
    caption->setGeometry(0, 0, page->width(), CaptionHeight);
    new WindowDragger(caption);
    QPushButton *close = button(page, "closeButton", QStringLiteral("×"),
                                QRect(page->width() - CaptionHeight, 1, CaptionHeight - 2, CaptionHeight - 2));
    close->setAccessibleName(QStringLiteral("关闭"));
    close->setFocusPolicy(Qt::NoFocus);
    close->setAutoDefault(false);

    auto *pg = new QWidget(page);
    pg->setObjectName(QStringLiteral("pg"));
    pg->setGeometry(0, CaptionHeight, page->width(), page->height() - CaptionHeight);

    const QString pictureCaption = QStringLiteral("背  景  图  片：");
    const QString drawMusicCaption = QStringLiteral("抽  奖  音  乐：");
    const QString winMusicCaption = QStringLiteral("中  奖  音  乐：");
    const QString speedCaption = QStringLiteral("滚  动  速  度：");
    label(pg, pictureCaption, 21, 25);
    m_pictureEdit = edit(pg, "pictureEdit", pictureCaption, 101, 22);
    QPushButton *browsePicture = button(pg, "browsePictureButton", QStringLiteral("浏览"), QRect(353, 20, 44, 22));
    label(pg, drawMusicCaption, 21, 57);
    m_drawMusicEdit = edit(pg, "drawMusicEdit", drawMusicCaption, 101, 54);
    QPushButton *browseDrawMusic = button(pg, "browseDrawMusicButton", QStringLiteral("浏览"), QRect(353, 53, 44, 22));
    label(pg, winMusicCaption, 21, 89);
    m_winMusicEdit = edit(pg, "winMusicEdit", winMusicCaption, 101, 86);
    QPushButton *browseWinMusic = button(pg, "browseWinMusicButton", QStringLiteral("浏览"), QRect(353, 84, 44, 22));
    label(pg, speedCaption, 22, 118);
    m_speedBar = new QScrollBar(Qt::Horizontal, pg);
    m_speedBar->setObjectName(QStringLiteral("speedBar"));
    m_speedBar->setAccessibleName(speedCaption);
    m_speedBar->setGeometry(102, 114, 247, 17);
    m_speedBar->setRange(0, 100);
    m_speedBar->setSingleStep(1);
    m_speedBar->setPageStep(1);
    m_speedBar->setFocusPolicy(Qt::StrongFocus);

    const QString screenCaption = QStringLiteral("抽奖画面显示在：");
    const QString hideDigitsCaption = QStringLiteral("揭晓时隐藏号码中间四位");
    // The caption is longer than the others: the list starts after it and ends with them.
    const QLabel *screenLabel = label(pg, screenCaption, 21, 146);
    const int screenLeft = qMax(101, screenLabel->geometry().right() + 5);
    m_screenCombo = new QComboBox(pg);
    m_screenCombo->setObjectName(QStringLiteral("screenCombo"));
    m_screenCombo->setAccessibleName(screenCaption);
    m_screenCombo->setGeometry(screenLeft, 142, 349 - screenLeft, 21);
    m_hideDigitsCheck = new QCheckBox(hideDigitsCaption, pg);
    m_hideDigitsCheck->setObjectName(QStringLiteral("hideDigitsCheck"));
    m_hideDigitsCheck->setAccessibleName(hideDigitsCaption);
    m_hideDigitsCheck->move(101, 172);
    m_hideDigitsCheck->adjustSize();

    QPushButton *ok = button(pg, "okButton", QStringLiteral("确定"), QRect(154, 201, 75, 25));
    ok->setDefault(true);
    QPushButton *cancel = button(pg, "cancelButton", QStringLiteral("取消"), QRect(234, 201, 75, 25));

    QWidget *order[] = {ok,
                        cancel,
                        m_pictureEdit,
                        browsePicture,
                        m_drawMusicEdit,
                        browseDrawMusic,
                        m_winMusicEdit,
                        browseWinMusic,
                        m_speedBar,
                        m_screenCombo,
                        m_hideDigitsCheck};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    ok->setFocus();

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(browsePicture, &QPushButton::clicked, this, [this] { browse(m_pictureEdit); });
    connect(browseDrawMusic, &QPushButton::clicked, this, [this] { browse(m_drawMusicEdit); });
    connect(browseWinMusic, &QPushButton::clicked, this, [this] { browse(m_winMusicEdit); });
    connectGuarded(ok, &QPushButton::clicked, this, &SettingsDialog::saveAndClose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    // A value that cannot be read is reported and the dialog opens all the same.
    ErrorBoundary::guarded([this] { load(); });
}

void SettingsDialog::load()
{
    const Settings settings = Settings::load(AppPaths::settingsFile());
    m_pictureEdit->setText(settings.backgroundPicture);
    m_drawMusicEdit->setText(settings.drawMusic);
    m_winMusicEdit->setText(settings.winMusic);
    showScreenChoice(settings.drawScreen);
    // Checked exactly when the draw screen will hide the digits.
    m_hideDigitsCheck->setChecked(DrawScreenSettings::from(settings).hideDigits);
    // Last: a speed that cannot be read throws, and everything else is shown by then.
    m_speedBar->setValue(speedPosition(settings.speed));
}

void SettingsDialog::showScreenChoice(const QString &key)
{
    m_screenCombo->clear();
    const QStringList labels = ScreenChoice::labels(m_screens);
    for (int i = 0; i < labels.size(); ++i)
        m_screenCombo->addItem(labels.at(i), ScreenChoice::keyOf(m_screens, i));
    int choice = ScreenChoice::choiceOf(m_screens, key);
    if (choice == 0 && !key.isEmpty()) {
        // The projector of the last event, not plugged in yet: the choice stays as it was
        // unless the operator picks another screen (the draw meanwhile uses the primary one).
        m_screenCombo->addItem(QStringLiteral("%1（未连接）").arg(key), key);
        choice = m_screenCombo->count() - 1;
    }
    m_screenCombo->setCurrentIndex(choice);
}

void SettingsDialog::browse(QLineEdit *field)
{
    const QString file = Dialogs::openFileIn(this, Dialogs::Folder::Media, {});
    if (!file.isEmpty())
        field->setText(file);
}

void SettingsDialog::saveAndClose()
{
    Settings settings;
    settings.backgroundPicture = m_pictureEdit->text();
    settings.drawMusic = m_drawMusicEdit->text();
    settings.winMusic = m_winMusicEdit->text();
    settings.speed = QString::number(m_speedBar->value());
    settings.drawScreen = m_screenCombo->currentData().toString();
    settings.hideDigitsAtReveal = m_hideDigitsCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    settings.save(AppPaths::settingsFile());
    accept();
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // Escape does not close this dialog
        return;
    }
    QDialog::keyPressEvent(event);
}
