#include "FuzzFile.h"
#include "core/base/Error.h"
#include "core/spreadsheet/SheetReader.h"
#include "core/spreadsheet/XlsReader.h"

// Each input is tried twice: as an .xls file (OLE2 container, then the workbook stream) and
// as a bare workbook stream, so that mutations reach the BIFF records without having to keep
// the container intact.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = writeFuzzFile(data, size, "xls");
    try {
        const SheetData sheet = readSheet(path);
        (void)sheet.cell(sheet.rowCount(), sheet.columnCount());
    } catch (const Error &) {
        // A clear message for a bad file is the expected outcome.
    }
    try {
        const QByteArray stream(reinterpret_cast<const char *>(data), qsizetype(size));
        const SheetData sheet = XlsReader::parseWorkbookStream(stream, path);
        (void)sheet.cell(sheet.rowCount(), sheet.columnCount());
    } catch (const Error &) {
    }
    return 0;
}
