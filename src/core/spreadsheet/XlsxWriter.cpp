#include "core/spreadsheet/XlsxWriter.h"

#include "core/base/Error.h"
#include "core/spreadsheet/SheetIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

namespace {

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

XlsxWriter::XlsxWriter(const QString &path)
    : SheetWriter(SheetFormat::Xlsx, path)
    , m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        throwWriteError();
    // libxlsxwriter writes a file by its name; it goes to a scratch file first and is copied
    // into place by the save, so the target never holds half a workbook.
    if (!m_temp.open())
        throwWriteError();
    m_temp.close();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(m_temp.fileName()).constData(), &options);
    if (!m_workbook)
        throwWriteError();
    m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    if (!m_sheet)
        throwWriteError();
}

XlsxWriter::~XlsxWriter()
{
    // libxlsxwriter frees a workbook only by closing it; the temporary file it writes then
    // goes away with m_temp.
    if (m_workbook)
        workbook_close(m_workbook);
}

QString XlsxWriter::encodeEscapes(const QString &text)
{
    qsizetype at = text.indexOf(u"_x");
    if (at < 0)
        return text;
    QString out;
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(u"_x", at + 1)) {
        if (at + 7 > text.size() || text[at + 6] != u'_' || !isHex(text[at + 2]) || !isHex(text[at + 3]) ||
            !isHex(text[at + 4]) || !isHex(text[at + 5]))
            continue;
        out += QStringView(text).mid(from, at - from);
        out += QStringLiteral("_x005F_");
        from = at + 1; // the rest, "x0041_", follows as it stands
    }
    out += QStringView(text).mid(from);
    return out;
}

void XlsxWriter::doWriteCell(int row, int column, const QString &text)
{
    if (text.isEmpty())
        return;
    const lxw_error rc = worksheet_write_string(m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1),
                                                encodeEscapes(text).toUtf8().constData(), nullptr);
    if (rc != LXW_NO_ERROR) {
        throw Error(SheetIo::withDetail(
            QStringLiteral("无法写入“%3”第 %1 行第 %2 列的单元格，文件没有保存。"
                           "请确认磁盘空间足够后重新导出。")
                .arg(QString::number(row), QString::number(column), QDir::toNativeSeparators(path())),
            QStringLiteral("详细信息"), QString::fromUtf8(lxw_strerror(rc))));
    }
}

void XlsxWriter::doSave()
{
    lxw_workbook *workbook = m_workbook;
    m_workbook = nullptr;
    if (workbook_close(workbook) != LXW_NO_ERROR || !m_temp.open())
        throwWriteError();
    const QByteArray bytes = m_temp.readAll();
    if (m_temp.error() != QFileDevice::NoError || m_file.write(bytes) != bytes.size() || !m_file.commit())
        throwWriteError();
}
