#pragma once

#include <QString>

/// The rules by which the program reads the texts it stores and is given.
namespace Text {

/// Removes leading and trailing characters whose code is 32 or less (blanks and control
/// characters); every other character, the ideographic space included, stays.
QString trimmed(const QString &text);

/// True when the text is empty after trimmed().
bool isBlank(const QString &text);

/// Reads a whole decimal integer the way the program's stores read numbers: blanks around it
/// are allowed, then an optional sign and decimal digits, nothing else, within 32 bits.
/// The empty (or blank) text reads as 0. Throws ConversionError naming the text otherwise.
int toInteger(const QString &text);

/// Like toInteger() but returns false instead of throwing.
bool tryToInteger(const QString &text, int *value);

} // namespace Text
