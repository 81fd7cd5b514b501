#include "FuzzFile.h"
#include "core/base/Error.h"
#include "core/spreadsheet/SheetReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = writeFuzzFile(data, size, "xlsx");
    try {
        const SheetData sheet = readSheet(path);
        (void)sheet.cell(sheet.rowCount(), sheet.columnCount());
    } catch (const Error &) {
        // A clear message for a bad file is the expected outcome.
    }
    return 0;
}
