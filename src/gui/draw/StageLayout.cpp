#include "gui/draw/StageLayout.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

// The 1024 × 768 screen, in its own pixels.
constexpr int BaseTile = 41;
constexpr int BasePitch = 42;
constexpr int BaseMargin = 20; // left of the first column, and kept free right of the last
constexpr int BaseTop = 100;   // room for the title of the background picture
constexpr int BaseCaption = 32;
constexpr int BaseNameGap = 10;   // between a row's last tile and its name
constexpr int BaseColumnGap = 20; // between a column's names and the next column's tiles

constexpr int NameCharacters = 6;

int scaled(int base, double scale)
{
    return std::max(1, qRound(base * scale));
}

/// The width six CJK characters take in @p font. Ideographs share one advance in the usual
/// fonts; a few are measured so that a font that draws some of them wider still has room.
int nameWidthIn(const QFont &font)
{
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QChar c : QStringLiteral("国鑫龘嬴曦")) {
        const QString name(NameCharacters, c);
        width = std::max({width, metrics.horizontalAdvance(name), metrics.boundingRect(name).right() + 1});
    }
    return width;
}

} // namespace

StageLayout::StageLayout(QSize screen, int rows, const QString &fontFamily)
    : m_screen(screen)
    , m_rows(std::max(0, rows))
    , m_fontFamily(fontFamily)
{
    m_scale = std::min(double(screen.width()) / BaseWidth, double(screen.height()) / BaseHeight);
    m_margin = qRound(BaseMargin * m_scale);
    m_top = qRound(BaseTop * m_scale);
    m_notification = {scaled(11, m_scale), scaled(4, m_scale), scaled(18, m_scale), scaled(180, m_scale),
                      scaled(12, m_scale)};

    // The largest tiles, at most the screen's scale, with which every column and its names fit.
    const int fullTile = scaled(BaseTile, m_scale);
    Sizes sizes = sizesFor(fullTile, m_scale);
    for (int tile = fullTile - 1; tile > 0 && !fits(sizes); --tile)
        sizes = sizesFor(tile, m_scale * tile / fullTile);
    m_shrunk = sizes.tile < fullTile;

    m_tileSize = sizes.tile;
    m_pitch = sizes.pitch;
    m_captionPixelSize = sizes.captionPixelSize;
    m_namePixelSize = sizes.captionPixelSize;
    m_nameGap = sizes.nameGap;
    m_nameWidth = sizes.nameWidth;
    m_columnGap = sizes.columnGap;
}

StageLayout::Sizes StageLayout::sizesFor(int tile, double scale) const
{
    Sizes sizes;
    sizes.tile = tile;
    // At least a pixel between tiles, however small they get.
    sizes.pitch = std::max(tile + 1, qRound(BasePitch * scale));
    sizes.captionPixelSize = scaled(BaseCaption, scale);
    sizes.nameGap = qRound(BaseNameGap * scale);
    sizes.columnGap = qRound(BaseColumnGap * scale);
    // Names are as large as the captions.
    sizes.nameWidth = nameWidthIn(boldFont(sizes.captionPixelSize));
    return sizes;
}

bool StageLayout::fits(const Sizes &sizes) const
{
    const int columns = columnCount();
    if (columns == 0)
        return true;
    const int columnWidth = (TilesPerRow - 1) * sizes.pitch + sizes.tile + sizes.nameGap + sizes.nameWidth;
    const int width = m_margin + columns * columnWidth + (columns - 1) * sizes.columnGap + m_margin;
    const int lines = std::min(m_rows, RowsPerColumn);
    const int height = m_top + (lines - 1) * sizes.pitch + sizes.tile + m_margin;
    return width <= m_screen.width() && height <= m_screen.height();
}

QFont StageLayout::boldFont(int pixelSize) const
{
    QFont font;
    if (!m_fontFamily.isEmpty())
        font.setFamily(m_fontFamily);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

QFont StageLayout::captionFont() const
{
    return boldFont(m_captionPixelSize);
}

QFont StageLayout::nameFont() const
{
    return boldFont(m_namePixelSize);
}

QRect StageLayout::rowRect(int row) const
{
    if (row < 0 || row >= m_rows)
        return {};
    const int columnWidth = (TilesPerRow - 1) * m_pitch + m_tileSize + m_nameGap + m_nameWidth;
    const int x = m_margin + columnOf(row) * (columnWidth + m_columnGap);
    const int y = m_top + row % RowsPerColumn * m_pitch;
    return {x, y, (TilesPerRow - 1) * m_pitch + m_tileSize, m_tileSize};
}

QRect StageLayout::tileRect(int row, int column) const
{
    if (column < 0 || column >= TilesPerRow)
        return {};
    const QRect tiles = rowRect(row);
    if (tiles.isNull())
        return {};
    return {tiles.x() + column * m_pitch, tiles.y(), m_tileSize, m_tileSize};
}

QRect StageLayout::tileRect(int index) const
{
    if (index < 0 || index >= tileCount())
        return {};
    return tileRect(index / TilesPerRow, index % TilesPerRow);
}

QRect StageLayout::nameRect(int row) const
{
    const QRect tiles = rowRect(row);
    if (tiles.isNull())
        return {};
    return {tiles.x() + tiles.width() + m_nameGap, tiles.y(), m_nameWidth, m_tileSize};
}
