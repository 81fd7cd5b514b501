#include "gui/ui/DigitTile.h"

#include <QAccessibleWidget>
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
    // The face, scaled to the tile by the screen, covers it: nothing beneath needs painting.
    const bool covered = face && !face->isNull() && !face->hasAlphaChannel();
    setAttribute(Qt::WA_OpaquePaintEvent, covered);
    setAttribute(Qt::WA_NoSystemBackground, covered);
    setShown(false);
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
    setGeometry(m_place.x(), m_place.y(), shown ? m_place.width() : 0, m_place.height());
}

void DigitTile::setPlace(const QRect &place)
{
    const bool shown = isShown();
    m_place = place;
    setShown(shown);
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

void DigitTile::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click does not press the tile again: one double-click
    // is one click, whatever it lands on.
    event->accept();
}
