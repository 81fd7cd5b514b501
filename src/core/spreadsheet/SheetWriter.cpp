#include "core/spreadsheet/SheetWriter.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/spreadsheet/CsvWriter.h"
#include "core/spreadsheet/SheetIo.h"
#include "core/spreadsheet/XlsWriter.h"
#include "core/spreadsheet/XlsxWriter.h"

#include <QLocale>

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

void SheetWriter::writeCell(int row, int column, const QString &text)
{
    const QLocale c(QLocale::English, QLocale::UnitedStates); // digit groups: 65,536
    const QString name = SheetFormats::suffix(m_format);
    if (m_saved || row < 1 || column < 1 || row < m_lastRow || (row == m_lastRow && column <= m_lastColumn)) {
        throw Error(QStringLiteral("Cell (row %1, column %2) of %3 is written out of order.")
                        .arg(row)
                        .arg(column)
                        .arg(Files::displayPath(m_path)));
    }
    if (row > SheetFormats::maxRows(m_format)) {
        const QString advice =
            m_format == SheetFormat::Xls ? QStringLiteral(" Save the list as .xlsx instead.") : QString();
        throw Error(QStringLiteral("A %1 worksheet holds at most %2 rows, and %3 needs %4 or more.%5")
                        .arg(name, c.toString(SheetFormats::maxRows(m_format)), Files::displayPath(m_path),
                             c.toString(row), advice));
    }
    if (column > SheetFormats::maxColumns(m_format)) {
        throw Error(QStringLiteral("A %1 worksheet holds at most %2 columns, and %3 needs %4 or more.")
                        .arg(name, c.toString(SheetFormats::maxColumns(m_format)), Files::displayPath(m_path),
                             c.toString(column)));
    }
    if (m_format != SheetFormat::Csv && text.size() > SheetFormats::MaxCellTextLength) {
        throw Error(QStringLiteral("The text of row %1, column %2 has %3 characters; a cell of %4 holds at most %5.")
                        .arg(c.toString(row), c.toString(column), c.toString(text.size()), name,
                             c.toString(SheetFormats::MaxCellTextLength)));
    }
    m_lastRow = row;
    m_lastColumn = column;
    doWriteCell(row, column, text);
}

void SheetWriter::save()
{
    if (m_saved)
        throw Error(QStringLiteral("%1 has been saved already.").arg(Files::displayPath(m_path)));
    m_saved = true;
    doSave();
}

void SheetWriter::throwWriteError() const
{
    Files::throwCannotWrite(m_path);
}
