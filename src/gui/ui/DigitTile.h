#pragma once

#include <QAbstractButton>
#include <QPixmap>

/// One digit tile of the draw screen: a square face picture with one character over it.
/// Light on purpose, as the roll changes eleven captions per participant shown: it paints
/// itself, a caption change repaints only the tile and never asks for a relayout. Hidden
/// tiles have width 0, as the screen's tiles always had; they keep their caption and their
/// place in the tab order.
class DigitTile final : public QAbstractButton
{
    Q_OBJECT
public:
    /// `face` and `font` are the screen's, shared by every tile and scaled to the tiles'
    /// size; `face` may be null.
    DigitTile(int index, const QPixmap *face, const QFont *font, QWidget *parent);

    int index() const { return m_index; }
    /// The character shown (empty, or one character).
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    const QFont &captionFont() const { return *m_font; }
    bool isShown() const { return width() > 0; }
    void setShown(bool shown);
    /// Where the tile stands when shown.
    void setPlace(const QRect &place);

    QSize sizeHint() const override { return m_place.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    const int m_index;
    const QPixmap *m_face;
    const QFont *m_font;
    QString m_caption;
    QRect m_place{0, 0, 41, 41};
};
