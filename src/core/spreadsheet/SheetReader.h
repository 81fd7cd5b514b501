#pragma once

#include "SheetData.h"
#include "SheetFormat.h"

/// Reads the first worksheet of a spreadsheet file into cell texts. The reader is chosen by
/// the extension (.xls, .xlsx, .csv, in any case); a file without one of these extensions is
/// recognised by its content (OLE2 workbook, ZIP package, otherwise CSV text).
///
/// Cell texts are the cells' values: numbers as decimal digits (13800138000), booleans as
/// TRUE/FALSE, texts exactly as stored (blanks kept). Every failure throws CjError with a
/// message naming the file: missing or unreadable, empty, not a spreadsheet, damaged,
/// password-protected, or content that does not match the extension.
SheetData readSheet(const QString &path);

/// The format a file's content shows, or no format for an empty file. Anything that is
/// neither an OLE2 nor a ZIP file counts as CSV text. Throws CjError when it cannot be opened.
std::optional<SheetFormat> sheetFormatOfContent(const QString &path);
