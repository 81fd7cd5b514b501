#include "frmSet.h"

#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"

#include "data/AdvInit.h"
#include "data/AppPaths.h"
#include "data/SettingsValues.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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

QLineEdit *edit(QWidget *parent, const char *name, int left, int top)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
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

TfmSet::TfmSet(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmSet"));
    setWindowTitle(QStringLiteral("系统设置"));
    setFixedSize(429, 231);
    setStyleSheet(QStringLiteral(
        "TfmSet { background: #d5e4f9; border: 1px solid #6591cd; }"
        "#page { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #eaf2fd, stop:1 #c6d9f5);"
        " border: 1px solid #8db2e3; }"
        "#pageCaption { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5987d6, stop:1 #002d96);"
        " color: white; font-weight: bold; padding-left: 10px; }"
        "#page QLineEdit { border: 1px solid #7f9db9; background: white; padding: 0 2px; }"
        "#page QPushButton { border: 1px solid #8db2e3; border-radius: 3px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d3e2f7); }"
        "#page QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff9e0,"
        " stop:1 #ffd767); border-color: #c2a23a; }"
        "#page QPushButton:pressed { background: #f8b34a; }"
        "#page QPushButton:focus { border-color: #002d96; }"
        "#page QPushButton:default { border-width: 2px; }"
        // After the page's buttons: the close button is more specific and wins.
        "#page QPushButton#pageClose { background: transparent; color: white; border: 1px solid transparent;"
        " border-radius: 2px; font: bold 14px; }"
        "#page QPushButton#pageClose:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4c8,"
        " stop:1 #ffd767); color: #002d96; border-color: #c2a23a; }"));

    page = new QWidget(this);
    page->setObjectName(QStringLiteral("page"));
    page->setGeometry(2, 2, 421, 223);
    page->setAttribute(Qt::WA_StyledBackground);

    auto *caption = new QLabel(QStringLiteral("系统设置"), page);
    caption->setObjectName(QStringLiteral("pageCaption"));
    caption->setGeometry(0, 0, page->width(), CaptionHeight);
    caption->installEventFilter(this); // dragging the caption bar moves the dialog
    pageClose = button(page, "pageClose", QStringLiteral("×"),
                       QRect(page->width() - CaptionHeight, 1, CaptionHeight - 2, CaptionHeight - 2));
    pageClose->setObjectName(QStringLiteral("pageClose"));
    pageClose->setAccessibleName(QStringLiteral("关闭"));
    pageClose->setFocusPolicy(Qt::NoFocus);
    pageClose->setAutoDefault(false);

    auto *pg = new QWidget(page);
    pg->setObjectName(QStringLiteral("pg"));
    pg->setGeometry(0, CaptionHeight, page->width(), page->height() - CaptionHeight);

    Label3 = label(pg, QStringLiteral("背  景  图  片："), 21, 25);
    Edit1 = edit(pg, "Edit1", 101, 22);
    AdvGlowButton1 = button(pg, "AdvGlowButton1", QStringLiteral("浏览"), QRect(353, 20, 44, 22));
    Label1 = label(pg, QStringLiteral("抽  奖  音  乐："), 21, 57);
    Edit2 = edit(pg, "Edit2", 101, 54);
    AdvGlowButton2 = button(pg, "AdvGlowButton2", QStringLiteral("浏览"), QRect(353, 53, 44, 22));
    Label2 = label(pg, QStringLiteral("中  奖  音  乐："), 21, 89);
    Edit3 = edit(pg, "Edit3", 101, 86);
    AdvGlowButton3 = button(pg, "AdvGlowButton3", QStringLiteral("浏览"), QRect(353, 84, 44, 22));
    Label4 = label(pg, QStringLiteral("滚  动  速  度："), 22, 118);
    PropScrollbar1 = new QScrollBar(Qt::Horizontal, pg);
    PropScrollbar1->setObjectName(QStringLiteral("PropScrollbar1"));
    PropScrollbar1->setGeometry(102, 114, 247, 17);
    PropScrollbar1->setRange(0, 100);
    PropScrollbar1->setSingleStep(1);
    PropScrollbar1->setPageStep(1);
    PropScrollbar1->setFocusPolicy(Qt::StrongFocus);
    AdvGlassButton3 = button(pg, "AdvGlassButton3", QStringLiteral("确定"), QRect(154, 143, 75, 25));
    AdvGlassButton3->setDefault(true);
    AdvGlassButton4 = button(pg, "AdvGlassButton4", QStringLiteral("取消"), QRect(234, 143, 75, 25));

    QWidget *order[] = {AdvGlassButton3, AdvGlassButton4, Edit1, AdvGlowButton1, Edit2,
                        AdvGlowButton2,  Edit3,           AdvGlowButton3, PropScrollbar1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    AdvGlassButton3->setFocus();

    connect(pageClose, &QPushButton::clicked, this, &QDialog::reject);
    connectHandler(AdvGlowButton1, &QPushButton::clicked, this, &TfmSet::AdvGlowButton1Click);
    connectHandler(AdvGlowButton2, &QPushButton::clicked, this, &TfmSet::AdvGlowButton2Click);
    connectHandler(AdvGlowButton3, &QPushButton::clicked, this, &TfmSet::AdvGlowButton3Click);
    connectHandler(AdvGlassButton3, &QPushButton::clicked, this, &TfmSet::AdvGlassButton3Click);
    connectHandler(AdvGlassButton4, &QPushButton::clicked, this, &TfmSet::AdvGlassButton4Click);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    // A value that cannot be read is reported and the dialog opens all the same.
    ErrorHandler::guarded([this] { FormCreate(); });
}

void TfmSet::FormCreate()
{
    const TAdvInit ini(AppPaths::settingsFile());
    const QString section = QString::fromLatin1(SettingsValues::Section);
    Edit1->setText(ini.ReadValue(section, QStringLiteral("Picture")).toString());
    Edit2->setText(ini.ReadValue(section, QStringLiteral("CJMusic")).toString());
    Edit3->setText(ini.ReadValue(section, QStringLiteral("ZJMusic")).toString());
    PropScrollbar1->setValue(SettingsValues::speedPosition(ini.ReadValue(section, QStringLiteral("SD")).toString()));
}

void TfmSet::browse(QLineEdit *field)
{
    const QString file = Dialogs::instance().openFileName(this, {});
    if (!file.isEmpty())
        field->setText(file);
}

void TfmSet::AdvGlowButton1Click()
{
    browse(Edit1);
}

void TfmSet::AdvGlowButton2Click()
{
    browse(Edit2);
}

void TfmSet::AdvGlowButton3Click()
{
    browse(Edit3);
}

void TfmSet::AdvGlassButton3Click()
{
    // All four every time, the texts exactly as they stand; a failing write leaves the
    // dialog open with its fields as they are.
    TAdvInit ini(AppPaths::settingsFile());
    const QString section = QString::fromLatin1(SettingsValues::Section);
    ini.WriteValue(section, QStringLiteral("Picture"), Edit1->text());
    ini.WriteValue(section, QStringLiteral("CJMusic"), Edit2->text());
    ini.WriteValue(section, QStringLiteral("ZJMusic"), Edit3->text());
    ini.WriteValue(section, QStringLiteral("SD"), PropScrollbar1->value());
    accept();
}

void TfmSet::AdvGlassButton4Click()
{
    reject();
}

void TfmSet::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept(); // Escape does not close this dialog
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfmSet::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            m_dragging = true;
            m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (m_dragging && (e->buttons() & Qt::LeftButton)) {
            move(e->globalPosition().toPoint() - m_dragOffset);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
