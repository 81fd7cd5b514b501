#include "gui/ui/DigitTile.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

/// Screen readers and UI automation find a tile by the character it shows. The caption is
/// read when asked, so the roll pays nothing for it.
class DigitTileAccessible final : public QAccessibleWidget
{
public:
    explicit DigitTileAccessible(DigitTile *tile)
        : QAccessibleWidget(tile, QAccessible::Button)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const DigitTile *>(widget())->caption();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *tileAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("DigitTile") && object && object->isWidgetType())
        return new DigitTileAccessible(static_cast<DigitTile *>(object));
    return nullptr;
}

} // namespace

DigitTile::DigitTile(int index, const QPixmap *face, const QFont *font, QWidget *parent)
    : QAbstractButton(parent)
    , m_index(index)
    , m_face(face)
    , m_font(font)
{
    static const bool factoryInstalled = (QAccessible::installFactory(tileAccessible), true);
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    // The face covers the whole tile: nothing beneath needs painting first.
    const bool covered =
        face && !face->isNull() && face->width() >= Size && face->height() >= Size && !face->hasAlphaChannel();
    setAttribute(Qt::WA_OpaquePaintEvent, covered);
    setAttribute(Qt::WA_NoSystemBackground, covered);
    resize(0, Size);
}

void DigitTile::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (isShown())
        update();
}

void DigitTile::setShown(bool shown)
{
    resize(shown ? Size : 0, Size);
}

void DigitTile::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_face && !m_face->isNull())
        p.drawPixmap(0, 0, *m_face);
    else
        p.fillRect(rect(), QColor(0xf6, 0xf1, 0xe1));
    if (m_caption.isEmpty())
        return;
    p.setFont(*m_font);
    p.setPen(Qt::black); // the face is light whatever the desktop theme
    // Pressed by mouse or key: the caption sinks by a pixel.
    const QRect box = isDown() ? rect().translated(1, 1) : rect();
    p.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
}

void DigitTile::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            setDown(true);
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event); // Space: pressed now, clicked on release
}

void DigitTile::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        // Only a press that began on this tile clicks it: the release of an Enter whose
        // press started a round while the screen had the focus must not stop that round.
        if (!event->isAutoRepeat() && isDown()) {
            setDown(false);
            click();
        }
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}

void DigitTile::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click does not press the tile again: one double-click
    // is one click, whatever it lands on.
    event->accept();
}
