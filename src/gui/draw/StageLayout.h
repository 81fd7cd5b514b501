#pragma once

#include "core/draw/PhoneMask.h"
#include "core/draw/RevealOrder.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

/// Where everything of the draw screen stands for one screen size and one round.
///
/// The screen was drawn for 1024 × 768: tiles of 41 px on a pitch of 42 px from (20, 100),
/// eleven to a row, captions 32 px high, a corner notification with an 11 px font. All of it
/// is scaled by one factor, min(width / 1024, height / 768), so that the picture keeps its
/// proportions on any screen and 1024 × 768 looks as it always did.
///
/// A round shows its rows in columns of up to RowsPerColumn rows, side by side from the left
/// margin; beside each row there is room for the winner's name (six CJK characters in the
/// name font). When the columns and their names are wider than the screen, the tiles (with
/// their pitch, captions, names and the gaps between them) are made smaller, as little as
/// needed; the margins and the notification keep the screen's scale.
///
/// Rows are the draw engine's rows 0..rows - 1; tile index i is column i mod TilesPerRow of
/// row i / TilesPerRow, as DrawSurface::showTileRow() numbers them.
///
/// Needs a QGuiApplication (it measures fonts); no widgets.
class StageLayout final
{
public:
    /// The screen the layout was drawn for.
    static constexpr int BaseWidth = 1024;
    static constexpr int BaseHeight = 768;
    /// The most rows a round may show.
    static constexpr int MaxRows = 50;

    /// The corner notification at the screen's scale.
    struct Notification
    {
        int fontPixelSize = 11;
        int margin = 4;
        int captionHeight = 18;
        int minimumWidth = 180;
        int closeFontPixelSize = 12;
    };

    /// @param screen the size of the screen the draw is shown on, in device-independent pixels.
    /// @param rows the rows of the round (0 or fewer: none).
    /// @param fontFamily the family of the tile captions and the names; empty for the
    ///        application's font.
    StageLayout(QSize screen, int rows, const QString &fontFamily);

    QSize screenSize() const { return m_screen; }
    int rows() const { return m_rows; }
    int columnCount() const { return columnCountOf(m_rows); }
    int tileCount() const { return m_rows * TilesPerRow; }

    /// min(width / 1024, height / 768): the factor every size of the 1024 × 768 screen is
    /// multiplied by before any shrinking for wide rounds.
    double scale() const { return m_scale; }
    /// True when the round's columns needed smaller tiles than a single column would have.
    bool isShrunk() const { return m_shrunk; }

    int tileSize() const { return m_tileSize; }
    /// From one tile's left (top) edge to the next one's.
    int tilePitch() const { return m_pitch; }
    int captionPixelSize() const { return m_captionPixelSize; }
    int namePixelSize() const { return m_namePixelSize; }
    /// The room kept beside each row for its winner's name.
    int nameWidth() const { return m_nameWidth; }
    /// Bold, in the family given, at captionPixelSize().
    QFont captionFont() const;
    /// Bold, in the family given, at namePixelSize().
    QFont nameFont() const;

    /// The column (0 = leftmost) row @p row stands in.
    int columnOf(int row) const { return row >= 0 && row < m_rows ? row / RowsPerColumn : -1; }
    /// The eleven tiles of @p row; a null rectangle for a row outside the round.
    QRect rowRect(int row) const;
    /// Tile @p column (0..TilesPerRow - 1) of @p row; null outside the round.
    QRect tileRect(int row, int column) const;
    /// Tile @p index (0..tileCount() - 1); null outside the round.
    QRect tileRect(int index) const;
    /// The winner's name beside @p row's tiles; null outside the round.
    QRect nameRect(int row) const;

    /// The row on which the winner rolled on @p rolledRow comes out: mirrored within its
    /// column (see ::revealRowOf()); -1 outside the round.
    int revealRowOf(int rolledRow) const { return ::revealRowOf(rolledRow, m_rows); }

    Notification notification() const { return m_notification; }

private:
    struct Sizes
    {
        int tile = 0;
        int pitch = 0;
        int captionPixelSize = 0;
        int nameGap = 0;
        int nameWidth = 0;
        int columnGap = 0;
    };

    Sizes sizesFor(int tile, double scale) const;
    bool fits(const Sizes &sizes) const;
    QFont boldFont(int pixelSize) const;

    QSize m_screen;
    int m_rows = 0;
    QString m_fontFamily;
    double m_scale = 1.0;
    bool m_shrunk = false;
    int m_margin = 0;
    int m_top = 0;
    int m_tileSize = 0;
    int m_pitch = 0;
    int m_captionPixelSize = 0;
    int m_namePixelSize = 0;
    int m_nameGap = 0;
    int m_nameWidth = 0;
    int m_columnGap = 0;
    Notification m_notification;
};
