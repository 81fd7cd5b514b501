#pragma once

#include <QString>

/// Tiles in one row of the draw screen: one character of a phone number each.
inline constexpr int TilesPerRow = 11;

/// The masked form of a phone number as it rolls on a tile row: the characters at 1-based
/// positions 5, 6 and 7 become "*", then blanks and control characters at both ends are
/// removed. Positions count in the text as stored, so a leading blank shifts the mask.
QString maskedPhone(const QString &number);

/// A winner's number as the tiles show it when the numbers are kept from the audience: the
/// characters at 1-based positions 4 to 7 become "*" ("138****5678"), nothing else changes.
QString hiddenMiddle(const QString &number);

/// The caption of tile column @p column (0 to TilesPerRow - 1) of a row that shows @p text:
/// the text's (column + 1)-th character, or the empty text past its end. Characters after
/// the eleventh are never shown.
QString tileCaption(const QString &text, int column);
