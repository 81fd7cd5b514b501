#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// The spreadsheet file formats the import reads and the exports write.
enum class SheetFormat {
    Xls,  ///< Excel 97-2003 workbook (BIFF8 in an OLE2 container)
    Xlsx, ///< Office Open XML workbook
    Csv,  ///< comma-separated text
};

namespace SheetFormats {

/// Most rows and columns of one .xls worksheet: the export refuses a larger grid up front.
inline constexpr int XlsMaxRows = 65536;
inline constexpr int XlsMaxColumns = 256;
/// Most rows and columns of one .xlsx worksheet.
inline constexpr int XlsxMaxRows = 1048576;
inline constexpr int XlsxMaxColumns = 16384;
/// Most characters of one cell text in .xls and .xlsx (Excel's own limit).
inline constexpr int MaxCellTextLength = 32767;

/// The format named by a file name's extension, compared without regard to case
/// ("list.XLSX" gives Xlsx); no extension or an unknown one gives no format.
std::optional<SheetFormat> fromFileName(const QString &fileName);

/// The extension of a format with its dot: ".xls", ".xlsx", ".csv".
QString suffix(SheetFormat format);

/// The name filters the import and export dialogs offer: "*.xls" first, as operators know
/// it, then "*.xlsx", "*.csv" and all three at once.
QStringList dialogFilters();

/// The format an export writes: the file name's extension when it is a known one, else the
/// filter chosen in the dialog; "all three" (or no filter) writes .xls.
SheetFormat forExport(const QString &fileName, const QString &chosenFilter);

/// Most rows / columns a worksheet of the format holds (CSV: no limit, INT_MAX).
int maxRows(SheetFormat format);
int maxColumns(SheetFormat format);

} // namespace SheetFormats
