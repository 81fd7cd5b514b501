#pragma once

#include "core/spreadsheet/SheetData.h"

namespace XlsxReader {

/// Reads the first worksheet of an Office Open XML workbook (.xlsx): the workbook's first
/// sheet, found through its relationships, with shared strings, inline strings, formula
/// results, booleans and numbers turned into texts. Throws Error naming the file.
SheetData read(const QString &path);

/// Turns the _xHHHH_ escapes of OOXML strings back into their characters.
QString decodeEscapes(const QString &text);

} // namespace XlsxReader
