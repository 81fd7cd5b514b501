#include "core/spreadsheet/SheetWriter.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/spreadsheet/CsvWriter.h"
#include "core/spreadsheet/SheetIo.h"
#include "core/spreadsheet/XlsWriter.h"
#include "core/spreadsheet/XlsxWriter.h"

std::unique_ptr<SheetWriter> SheetWriter::create(SheetFormat format, const QString &path)
{
    switch (format) {
    case SheetFormat::Xls:
        return std::make_unique<XlsWriter>(path);
    case SheetFormat::Xlsx:
        return std::make_unique<XlsxWriter>(path);
    case SheetFormat::Csv:
        return std::make_unique<CsvWriter>(path);
    }
    return nullptr;
}

SheetWriter::SheetWriter(SheetFormat format, const QString &path)
    : m_format(format)
    , m_path(path)
{
    // Saving replaces the file by a new one; a file the operator made read-only stays.
    Files::checkWritable(path);
}

SheetWriter::~SheetWriter() = default;

namespace {

/// The format to choose instead when a sheet does not fit one of @p format.
QString largerFormat(SheetFormat format)
{
    return format == SheetFormat::Xls ? QStringLiteral("*.xlsx") : QStringLiteral("*.csv");
}

[[noreturn]] void throwTooLarge(SheetFormat format, const QString &unit, int most, int needed, const QString &path)
{
    throw Error(QStringLiteral("“%6”没有保存：%1 格式的工作表最多只能有 %2 %3，放不下这个表格（需要 %4 %3）。"
                               "请选择 %5 格式保存。")
                    .arg(SheetFormats::suffix(format), QString::number(most), unit, QString::number(needed),
                         largerFormat(format), Files::displayPath(path)));
}

} // namespace

void SheetWriter::checkRowCount(SheetFormat format, int rows, const QString &path)
{
    if (rows > SheetFormats::maxRows(format))
        throwTooLarge(format, QStringLiteral("行"), SheetFormats::maxRows(format), rows, path);
}

void SheetWriter::writeCell(int row, int column, const QString &text)
{
    if (m_saved || row < 1 || column < 1 || row < m_lastRow || (row == m_lastRow && column <= m_lastColumn)) {
        throw Error(QStringLiteral("“%3”没有保存：程序内部出错，第 %1 行第 %2 列的单元格写入的顺序不对。"
                                   "请把这条信息告诉软件的提供者。")
                        .arg(QString::number(row), QString::number(column), Files::displayPath(m_path)));
    }
    checkRowCount(m_format, row, m_path);
    if (column > SheetFormats::maxColumns(m_format))
        throwTooLarge(m_format, QStringLiteral("列"), SheetFormats::maxColumns(m_format), column, m_path);
    if (m_format != SheetFormat::Csv && text.size() > SheetFormats::MaxCellTextLength) {
        throw Error(QStringLiteral("“%6”没有保存：第 %1 行第 %2 列的文字有 %3 个字符，而 %4 格式的单元格最多只能有 "
                                   "%5 个字符。请缩短这段文字，或者选择 *.csv 格式保存。")
                        .arg(QString::number(row), QString::number(column), QString::number(text.size()),
                             SheetFormats::suffix(m_format), QString::number(SheetFormats::MaxCellTextLength),
                             Files::displayPath(m_path)));
    }
    m_lastRow = row;
    m_lastColumn = column;
    doWriteCell(row, column, text);
}

void SheetWriter::save()
{
    if (m_saved) {
        throw Error(QStringLiteral("“%1”已经保存过一次：程序内部出错。请把这条信息告诉软件的提供者。")
                        .arg(Files::displayPath(m_path)));
    }
    m_saved = true;
    doSave();
}

void SheetWriter::throwWriteError() const
{
    Files::throwCannotWrite(m_path);
}
