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

const QString renameToXls = QStringLiteral("请把文件的扩展名改为 .xls 后重新导入。");
const QString renameToXlsx = QStringLiteral("请把文件的扩展名改为 .xlsx 后重新导入。");

[[noreturn]] void throwMismatch(const QString &path, const QString &what, const QString &advice)
{
    throw Error(QStringLiteral("文件“%4”的扩展名是 .%1，但它其实是%2。%3")
                    .arg(QFileInfo(path).suffix(), what, advice, Files::displayPath(path)));
}

[[noreturn]] void throwNotSpreadsheet(const QString &path)
{
    throw Error(QStringLiteral("文件“%1”不是表格文件：它既不是 Excel 工作簿（.xls、.xlsx），也不是 CSV 文本文件。"
                               "请选择保存了参选人名单的表格文件。")
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
            throwMismatch(path, QStringLiteral("一个新格式（.xlsx）的 Excel 工作簿（或者别的 ZIP 压缩文件）"),
                          renameToXlsx);
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
                throwMismatch(path, QStringLiteral("一个 Excel 97-2003 工作簿（.xls）"), renameToXls);
            default:
                throwMismatch(path, QStringLiteral("一个旧的二进制格式的 Office 文档，不是有效的 .xlsx 工作簿"),
                              QStringLiteral("请确认选择的是参选人名单；如果是，请用 Excel 或 WPS 表格打开它，"
                                             "另存为 .xlsx 格式后重新导入。"));
            }
        }
        throwNotSpreadsheet(path);
    case SheetFormat::Csv:
        if (signature == SheetIo::Signature::Ole2) {
            throwMismatch(path, QStringLiteral("一个 Excel 97-2003 工作簿（.xls），不是 CSV 文本"), renameToXls);
        }
        if (signature == SheetIo::Signature::Zip) {
            throwMismatch(path, QStringLiteral("一个 Excel 工作簿（.xlsx，或者别的 ZIP 压缩文件），不是 CSV 文本"),
                          renameToXlsx);
        }
        return CsvReader::read(path);
    }
    throwNotSpreadsheet(path);
}
