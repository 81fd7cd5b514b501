#pragma once

#include "SheetData.h"

namespace XlsReader {

/// Reads the first worksheet of an Excel 97-2003 workbook (.xls) through FreeXL.
/// Throws CjError naming the file when it cannot be read.
SheetData read(const QString &path);

} // namespace XlsReader
