#pragma once

#include "core/spreadsheet/SheetData.h"

namespace XlsReader {

/// Most bytes of the workbook stream of an .xls file the import reads.
inline constexpr qint64 MaxStreamSize = 256ll * 1024 * 1024;

/// Reads the first worksheet of an Excel 97-2003 workbook (BIFF8), or of an Excel 5.0/95 one
/// (BIFF5), from its OLE2 container: shared strings (also across CONTINUE records), labels,
/// numbers, RK and MULRK numbers, booleans, errors and the values of formula cells.
/// Throws Error naming the file when it cannot be read.
SheetData read(const QString &path);

/// The same for a workbook stream already in memory; @p path only names the file in messages.
SheetData parseWorkbookStream(const QByteArray &stream, const QString &path);

} // namespace XlsReader
