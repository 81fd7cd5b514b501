#include "core/spreadsheet/SheetReader.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/spreadsheet/CsvReader.h"
#include "core/spreadsheet/SheetIo.h"
#include "core/spreadsheet/XlsReader.h"
#include "core/spreadsheet/XlsxPackage.h"
#include "core/spreadsheet/XlsxReader.h"

#include <QFileInfo>

namespace {

[[noreturn]] void throwMismatch(const QString &path, const QString &what, const QString &advice)
{
    throw Error(QStringLiteral("The file %1 is %2, although its name ends in .%3. %4")
                    .arg(Files::displayPath(path), what, QFileInfo(path).suffix(), advice));
}

[[noreturn]] void throwNotSpreadsheet(const QString &path)
{
    throw Error(QStringLiteral("The file %1 is not a spreadsheet: it is neither an Excel workbook (.xls, .xlsx) "
                               "nor a CSV text file.")
                    .arg(Files::displayPath(path)));
}

SheetData readOle2(const QString &path)
{
    return XlsReader::read(path); // it tells protected files and other Office documents apart
}

} // namespace

SheetData readSheet(const QString &path)
{
    const SheetIo::Signature signature = SheetIo::sniff(path);
    if (signature == SheetIo::Signature::Empty)
        SheetIo::throwEmpty(path);
    const std::optional<SheetFormat> format = SheetFormats::fromFileName(path);
    if (!format) {
        switch (signature) {
        case SheetIo::Signature::Ole2:
            return readOle2(path);
        case SheetIo::Signature::Zip:
            return XlsxReader::read(path);
        default:
            return CsvReader::read(path);
        }
    }
    switch (*format) {
    case SheetFormat::Xls:
        if (signature == SheetIo::Signature::Ole2)
            return readOle2(path);
        if (signature == SheetIo::Signature::Zip) {
            throwMismatch(path, QStringLiteral("an Excel workbook in the newer .xlsx format (or another ZIP archive)"),
                          QStringLiteral("Rename it to .xlsx and import it again."));
        }
        throwNotSpreadsheet(path);
    case SheetFormat::Xlsx:
        if (signature == SheetIo::Signature::Zip)
            return XlsxReader::read(path);
        if (signature == SheetIo::Signature::Ole2) {
            switch (SheetIo::ole2Kind(path)) {
            case SheetIo::Ole2Kind::EncryptedPackage:
                SheetIo::throwProtected(path);
            case SheetIo::Ole2Kind::Workbook:
                throwMismatch(path, QStringLiteral("an Excel 97-2003 workbook (.xls)"),
                              QStringLiteral("Rename it to .xls and import it again."));
            default:
                throwMismatch(path, QStringLiteral("an Office document in the older binary format, not a valid .xlsx"),
                              QString());
            }
        }
        throwNotSpreadsheet(path);
    case SheetFormat::Csv:
        if (signature == SheetIo::Signature::Ole2) {
            throwMismatch(path, QStringLiteral("an Excel 97-2003 workbook (.xls), not CSV text"),
                          QStringLiteral("Rename it to .xls and import it again."));
        }
        if (signature == SheetIo::Signature::Zip) {
            throwMismatch(path, QStringLiteral("an Excel .xlsx workbook (or another ZIP archive), not CSV text"),
                          QStringLiteral("Rename it to .xlsx and import it again."));
        }
        return CsvReader::read(path);
    }
    throwNotSpreadsheet(path);
}
