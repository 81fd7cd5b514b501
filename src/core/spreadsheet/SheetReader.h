#pragma once

#include "core/spreadsheet/SheetData.h"
#include "core/spreadsheet/SheetFormat.h"

/// Reads the first worksheet of a spreadsheet file into cell texts. The reader is chosen by
/// the extension (.xls, .xlsx, .csv, in any case); a file without one of these extensions is
/// recognised by its content (OLE2 workbook, ZIP package, otherwise CSV text).
///
/// Cell texts are the cells' values: numbers as decimal digits (13800138000), booleans as
/// TRUE/FALSE, texts exactly as stored (blanks kept). Every failure throws Error with a
/// message naming the file: missing or unreadable, empty, not a spreadsheet, damaged,
/// password-protected, or content that does not match the extension.
SheetData readSheet(const QString &path);
