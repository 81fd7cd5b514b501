#include "XlsReader.h"

#include "SheetIo.h"

#include <QFile>

#include <freexl.h>

namespace {

const QString formatName = QStringLiteral("Excel 97-2003 (.xls)");

// Closes the FreeXL handle on every path; FreeXL wants a close even after a failed open.
class FreeXlHandle final
{
public:
    FreeXlHandle() = default;
    ~FreeXlHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    FreeXlHandle(const FreeXlHandle &) = delete;
    FreeXlHandle &operator=(const FreeXlHandle &) = delete;
    const void **out() { return &m_handle; }
    const void *get() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

QString freeXlReason(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("not enough memory");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("invalid container header");
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return QStringLiteral("the file ends too early");
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QStringLiteral("broken container structure");
    case FREEXL_BIFF_INVALID_BOF:
        return QStringLiteral("invalid workbook record");
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return QStringLiteral("broken string table");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("no workbook inside");
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
        return QStringLiteral("no worksheet inside");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("text in an unsupported character set");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("severely damaged");
    default:
        return QStringLiteral("FreeXL error %1").arg(code);
    }
}

} // namespace

namespace XlsReader {

SheetData read(const QString &path)
{
    FreeXlHandle handle;
    int rc = freexl_open(QFile::encodeName(path).constData(), handle.out());
    if (rc == FREEXL_FILE_NOT_FOUND)
        SheetIo::throwCannotOpen(path, QStringLiteral("file not found"));
    if (rc != FREEXL_OK)
        SheetIo::throwCorrupt(path, formatName, freeXlReason(rc));

    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        SheetIo::throwProtected(path);
    if (freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0)
        SheetIo::throwCorrupt(path, formatName, freeXlReason(FREEXL_BIFF_ILLEGAL_SHEET_INDEX));
    rc = freexl_select_active_worksheet(handle.get(), 0);
    if (rc != FREEXL_OK)
        SheetIo::throwCorrupt(path, formatName, freeXlReason(rc));
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(handle.get(), &rows, &columns);
    if (rc != FREEXL_OK)
        SheetIo::throwCorrupt(path, formatName, freeXlReason(rc));

    SheetData data(path);
    FreeXL_CellValue value;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            rc = freexl_get_cell_value(handle.get(), r, c, &value);
            if (rc != FREEXL_OK)
                SheetIo::throwCorrupt(path, formatName, freeXlReason(rc));
            const int row = int(r) + 1;
            const int column = int(c) + 1;
            switch (value.type) {
            case FREEXL_CELL_INT:
                data.setCell(row, column, QString::number(value.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                data.setCell(row, column, SheetIo::numberText(value.value.double_value));
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (value.value.text_value)
                    data.setCell(row, column, QString::fromUtf8(value.value.text_value));
                break;
            default:
                break;
            }
        }
    }
    data.finish();
    return data;
}

} // namespace XlsReader
