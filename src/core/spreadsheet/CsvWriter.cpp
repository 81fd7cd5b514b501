#include "core/spreadsheet/CsvWriter.h"

namespace {

constexpr qsizetype flushSize = 1 << 20;

bool needsQuotes(const QString &text)
{
    for (QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r')
            return true;
    }
    return false;
}

} // namespace

CsvWriter::CsvWriter(const QString &path)
    : SheetWriter(SheetFormat::Csv, path)
    , m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        throwWriteError();
    m_buffer.reserve(flushSize + 4096);
    m_buffer.append("\xEF\xBB\xBF");
}

void CsvWriter::doWriteCell(int row, int column, const QString &text)
{
    if (row > m_row) {
        for (; m_row < row; ++m_row)
            m_buffer.append("\r\n");
        m_column = 0;
    }
    // Field k follows k - 1 commas on its line.
    for (int commas = (column - 1) - std::max(m_column - 1, 0); commas > 0; --commas)
        m_buffer.append(',');
    m_column = column;
    if (needsQuotes(text)) {
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        m_buffer.append('"').append(quoted.toUtf8()).append('"');
    } else {
        m_buffer.append(text.toUtf8());
    }
    if (m_buffer.size() >= flushSize)
        flush();
}

void CsvWriter::flush()
{
    if (m_file.write(m_buffer) != m_buffer.size())
        throwWriteError();
    m_buffer.resize(0);
}

void CsvWriter::doSave()
{
    if (m_column > 0)
        m_buffer.append("\r\n");
    flush();
    if (!m_file.commit())
        throwWriteError();
}
