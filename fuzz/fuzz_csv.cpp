#include "core/base/Error.h"
#include "core/spreadsheet/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        const SheetData sheet = CsvReader::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                                                 QStringLiteral("fuzz.csv"));
        (void)sheet.cell(sheet.rowCount(), sheet.columnCount());
    } catch (const Error &) {
        // A clear message for a bad file is the expected outcome.
    }
    return 0;
}
