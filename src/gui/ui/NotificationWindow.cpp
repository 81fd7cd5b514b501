#include "gui/ui/NotificationWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

const QColor WindowTop(0xC4, 0xDA, 0xFA);
const QColor WindowBottom(0xA0, 0xBF, 0xF5);
const QColor CaptionTop(0x59, 0x87, 0xD6);
const QColor CaptionBottom(0x00, 0x2D, 0x96);
const QColor Border(0x00, 0x2D, 0x96);

} // namespace

NotificationWindow::NotificationWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("notification"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_textFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    m_textFont.setPixelSize(11);

    m_close = new QPushButton(QStringLiteral("×"), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setAccessibleName(QStringLiteral("关闭"));
    m_close->setFocusPolicy(Qt::NoFocus);
    setMetrics(11, 4, 18, 180, 12);
    connect(m_close, &QPushButton::clicked, this, &NotificationWindow::dismiss);

    m_fade.setInterval(FadeIntervalMs);
    connect(&m_fade, &QTimer::timeout, this, &NotificationWindow::fadeTick);
}

void NotificationWindow::setMetrics(int fontPixelSize, int margin, int captionHeight, int minimumWidth,
                                    int closeFontPixelSize)
{
    m_textFont.setPixelSize(fontPixelSize);
    m_margin = margin;
    m_captionHeight = captionHeight;
    m_minimumWidth = minimumWidth;
    m_close->setFixedSize(captionHeight - 2, captionHeight - 2);
    m_close->setStyleSheet(
        QStringLiteral(
            "QPushButton { color: white; background: transparent; border: 1px solid transparent; font: bold %1px; }"
            "QPushButton:hover { color: #002d96; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            " stop:0 #fff4c8, stop:1 #ffd767); border-color: #c2a23a; }"
            "QPushButton:pressed { background: #f8b34a; }")
            .arg(closeFontPixelSize));
    if (isVisible())
        relayout();
}

void NotificationWindow::setTopLimit(int top)
{
    m_topLimit = top;
    if (isVisible())
        relayout();
}

void NotificationWindow::setWorkArea(const QRect &workArea)
{
    m_workArea = workArea;
    if (isVisible())
        relayout();
}

QStringList NotificationWindow::displayLines() const
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList out;
    for (const QString &line : m_lines) {
        QStringList parts = line.split(breaks);
        if (parts.size() > 1 && parts.last().isEmpty())
            parts.removeLast(); // the break that ends the line
        out += parts;
    }
    return out;
}

void NotificationWindow::clearText()
{
    m_lines.clear();
    setAccessibleName(QString());
    if (isVisible())
        relayout();
}

void NotificationWindow::addLine(const QString &line)
{
    m_lines.append(line);
    // Named by what it shows, for screen readers and UI automation.
    setAccessibleName(displayLines().join(QLatin1Char('\n')));
    if (isVisible())
        relayout();
}

int NotificationWindow::columnGap(const QFontMetrics &fm)
{
    return fm.horizontalAdvance(QStringLiteral("国国"));
}

QRect NotificationWindow::workArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return m_workArea.isValid() ? m_workArea : screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void NotificationWindow::relayout()
{
    const QFontMetrics fm(m_textFont);
    const QStringList shown = displayLines();
    const QRect work = workArea();
    // As many lines to a column as fit below the top limit; a long list of winners goes on
    // in further columns rather than over the rows of the draw.
    const int chrome = m_captionHeight + 2 * m_margin + 2;
    const int room = (m_topLimit >= 0 ? work.bottom() + 1 - m_topLimit : work.height()) - chrome;
    m_linesPerColumn = qMax(1, room / qMax(1, fm.height()));
    const int columns = int((shown.size() + m_linesPerColumn - 1) / m_linesPerColumn);
    m_columnWidths.clear();
    for (int c = 0; c < columns; ++c) {
        int width = 0;
        for (qsizetype i = qsizetype(c) * m_linesPerColumn; i < qMin(shown.size(), qsizetype(c + 1) * m_linesPerColumn);
             ++i)
            width = qMax(width, fm.horizontalAdvance(shown.at(i)));
        m_columnWidths.append(width);
    }
    int textWidth = 0;
    for (int width : std::as_const(m_columnWidths))
        textWidth += width;
    textWidth += qMax(0, columns - 1) * columnGap(fm);
    const int w = qMax(m_minimumWidth, textWidth + 2 * m_margin + 2);
    const int h = chrome + int(qMin(shown.size(), qsizetype(m_linesPerColumn))) * fm.height();
    resize(w, h);
    m_close->move(w - m_close->width() - 2, 1 + (m_captionHeight - m_close->height()) / 2);
    move(work.right() - w + 1, work.bottom() - h + 1);
    update();
}

void NotificationWindow::fadeIn()
{
    relayout();
    m_opacity = 0;
    setWindowOpacity(0.0);
    show();
    raise();
    m_fade.start();
}

void NotificationWindow::dismiss()
{
    m_fade.stop();
    hide();
}

void NotificationWindow::fadeTick()
{
    m_opacity = qMin(TargetOpacity, m_opacity + FadeStep);
    setWindowOpacity(m_opacity / 255.0);
    if (m_opacity >= TargetOpacity)
        m_fade.stop();
}

void NotificationWindow::changeEvent(QEvent *event)
{
    // Where the platform activates the window all the same (no window manager to honour
    // the hint, or one that ignores it), the keyboard goes straight back to the owner.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && parentWidget())
        parentWidget()->activateWindow();
    QWidget::changeEvent(event);
}

void NotificationWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect all = rect();
    QLinearGradient body(0, m_captionHeight, 0, all.height());
    body.setColorAt(0, WindowTop);
    body.setColorAt(1, WindowBottom);
    p.fillRect(all, body);
    QLinearGradient caption(0, 0, 0, m_captionHeight);
    caption.setColorAt(0, CaptionTop);
    caption.setColorAt(1, CaptionBottom);
    p.fillRect(QRect(0, 0, all.width(), m_captionHeight), caption);
    p.setPen(Border);
    p.drawRect(all.adjusted(0, 0, -1, -1));

    p.setFont(m_textFont);
    p.setPen(Qt::black);
    const QFontMetrics fm(m_textFont);
    const QStringList lines = displayLines();
    int x = m_margin + 1;
    for (qsizetype c = 0; c < m_columnWidths.size(); ++c) {
        int y = m_captionHeight + m_margin + 1;
        for (qsizetype i = c * m_linesPerColumn; i < qMin(lines.size(), (c + 1) * m_linesPerColumn); ++i) {
            p.drawText(QRect(x, y, m_columnWidths.at(c), fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines.at(i));
            y += fm.height();
        }
        x += m_columnWidths.at(c) + columnGap(fm);
    }
}
