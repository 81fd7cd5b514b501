#include "core/spreadsheet/XlsWriter.h"

#include "core/spreadsheet/BiffRecords.h"
#include "core/spreadsheet/SheetIo.h"

#include <QtEndian>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

namespace {

using namespace Biff;

constexpr quint16 cellXf = 15;     // the one cell format, after the 15 style formats
constexpr quint16 textFormat = 49; // built-in number format "@"

class Stream
{
public:
    QByteArray bytes;

    qsizetype size() const { return bytes.size(); }
    void u8(quint8 v) { bytes.append(char(v)); }
    void u16(quint16 v)
    {
        const quint16 le = qToLittleEndian(v);
        bytes.append(reinterpret_cast<const char *>(&le), 2);
    }
    void u32(quint32 v)
    {
        const quint32 le = qToLittleEndian(v);
        bytes.append(reinterpret_cast<const char *>(&le), 4);
    }
    void utf16(QStringView text, qsizetype from, qsizetype count)
    {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        bytes.append(reinterpret_cast<const char *>(text.utf16() + from), count * 2);
#else
        for (qsizetype i = from; i < from + count; ++i)
            u16(text[i].unicode());
#endif
    }
    void patch32(qsizetype at, quint32 v)
    {
        qToLittleEndian(v, bytes.data() + at);
    }
    void patch16(qsizetype at, quint16 v)
    {
        qToLittleEndian(v, bytes.data() + at);
    }

    // Starts a record and returns the position of its length field, for endRecord().
    qsizetype beginRecord(quint16 type)
    {
        u16(type);
        u16(0);
        return size() - 2;
    }
    void endRecord(qsizetype lengthAt)
    {
        patch16(lengthAt, quint16(size() - lengthAt - 2));
    }

    void bof(quint16 kind)
    {
        const qsizetype at = beginRecord(RecBof);
        u16(0x0600);     // BIFF8
        u16(kind);       // 0x0005 workbook globals, 0x0010 worksheet
        u16(0x0DBB);     // build
        u16(0x07CC);     // year
        u32(0x00000000); // file history
        u32(0x00000006); // lowest version that can read the file
        endRecord(at);
    }
    void eof()
    {
        endRecord(beginRecord(RecEof));
    }
    // A short Unicode string: 8-bit length, option byte, UTF-16 characters.
    void shortString(const QString &text)
    {
        u8(quint8(text.size()));
        u8(0x01);
        utf16(text, 0, text.size());
    }
};

void writeGlobalsHead(Stream &s)
{
    s.bof(0x0005);
    qsizetype at = s.beginRecord(RecCodePage);
    s.u16(1200); // UTF-16
    s.endRecord(at);

    at = s.beginRecord(RecWindow1);
    for (quint16 v : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258})
        s.u16(v);
    s.endRecord(at);

    // Excel expects fonts 0 to 3 (index 4 is never used); all are the same plain font.
    for (int i = 0; i < 4; ++i) {
        at = s.beginRecord(RecFont);
        s.u16(220);    // 11 points
        s.u16(0);      // no attributes
        s.u16(0x7FFF); // automatic colour
        s.u16(400);    // normal weight
        s.u16(0);      // no super/subscript
        s.u8(0);       // no underline
        s.u8(0);       // family
        s.u8(134);     // GB2312 character set
        s.u8(0);
        s.shortString(QStringLiteral("宋体"));
        s.endRecord(at);
    }

    // 15 style formats, then the cell format: text ("@"), general alignment, bottom.
    for (int i = 0; i < 16; ++i) {
        const bool style = i < 15;
        at = s.beginRecord(RecXf);
        s.u16(0); // font
        s.u16(style ? 0 : textFormat);
        s.u16(style ? 0xFFF5 : 0x0001);              // style: parent none, locked; cell: parent 0, locked
        s.u8(0x20);                                  // bottom aligned
        s.u8(0);                                     // no rotation
        s.u8(0);                                     // no indent
        s.u8(style ? (i == 0 ? 0x00 : 0xF4) : 0x04); // attributes that differ from the parent
        s.u32(0);                                    // no borders
        s.u32(0);
        s.u16(0x20C0); // default pattern colours 64 and 65
        s.endRecord(at);
    }

    at = s.beginRecord(RecStyle);
    s.u16(0x8000); // built-in style on format 0
    s.u8(0);       // "Normal"
    s.u8(0xFF);
    s.endRecord(at);
}

// Writes SST and its CONTINUE records. A string that does not fit into the rest of the
// current record starts a new CONTINUE record rather than being split: FreeXL, our own
// reader, follows a string into one CONTINUE record only. A string too long for one record
// starts a record of its own and goes on in the next ones, each beginning with the option
// byte again; so texts up to 8,217 characters stay within two records. A record never ends
// up without string data (xlrd expects the first string in SST itself). EXTSST then points
// at every dsst-th string.
void writeStringTable(Stream &s, const std::vector<QString> &strings, quint32 totalCells)
{
    const quint32 count = quint32(strings.size());
    const quint32 perBucket = std::max<quint32>(8, (count + 127) / 128);
    std::vector<std::pair<quint32, quint16>> buckets; // stream offset, offset in its record

    qsizetype record = s.beginRecord(RecSst);
    s.u32(totalCells);
    s.u32(count);
    qsizetype firstString = s.size(); // where string data begins in the current record
    const auto room = [&] { return MaxRecordData - (s.size() - record - 2); };
    const auto nextRecord = [&] {
        s.endRecord(record);
        record = s.beginRecord(RecContinue);
        firstString = s.size();
    };
    for (quint32 i = 0; i < count; ++i) {
        const QString &text = strings[i];
        const qsizetype bytes = 3 + 2 * text.size();
        if (bytes > room() && s.size() > firstString)
            nextRecord();
        if (i % perBucket == 0)
            buckets.emplace_back(quint32(s.size()), quint16(s.size() - record + 2));
        s.u16(quint16(text.size()));
        s.u8(0x01); // UTF-16 characters
        qsizetype done = 0;
        for (;;) {
            const qsizetype n = std::min<qsizetype>(text.size() - done, room() / 2);
            s.utf16(text, done, n);
            done += n;
            if (done == text.size())
                break;
            nextRecord();
            s.u8(0x01);
        }
    }
    s.endRecord(record);

    record = s.beginRecord(RecExtSst);
    s.u16(quint16(perBucket));
    for (const auto &[offset, inRecord] : buckets) {
        s.u32(offset);
        s.u16(inRecord);
        s.u16(0);
    }
    s.endRecord(record);
}

} // namespace

XlsWriter::XlsWriter(const QString &path)
    : SheetWriter(SheetFormat::Xls, path)
    , m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        throwWriteError();
}

void XlsWriter::doWriteCell(int row, int column, const QString &text)
{
    if (text.isEmpty())
        return;
    quint32 &index = m_stringIndex[text];
    if (index == 0) {
        m_strings.push_back(text);
        index = quint32(m_strings.size()); // stored one higher: 0 is "not yet in the table"
    }
    m_cells.push_back(Cell{quint16(row - 1), quint16(column - 1), index - 1});
}

QByteArray XlsWriter::workbookStream() const
{
    Stream s;
    s.bytes.reserve(qsizetype(m_cells.size()) * 14 + qsizetype(m_strings.size()) * 24 + 4096);
    writeGlobalsHead(s);

    const qsizetype boundSheet = s.beginRecord(RecBoundSheet);
    s.u32(0); // position of the sheet's BOF, patched below
    s.u8(0);  // visible
    s.u8(0);  // worksheet
    s.shortString(QStringLiteral("Sheet1"));
    s.endRecord(boundSheet);

    writeStringTable(s, m_strings, quint32(m_cells.size()));
    s.eof();

    s.patch32(boundSheet + 2, quint32(s.size()));
    s.bof(0x0010);
    qsizetype at = s.beginRecord(RecDimensions);
    quint32 lastRow = 0;
    quint16 lastColumn = 0;
    for (const Cell &c : m_cells) {
        lastRow = std::max<quint32>(lastRow, c.row + 1u);
        lastColumn = std::max<quint16>(lastColumn, c.column + 1);
    }
    s.u32(0);
    s.u32(lastRow); // one past the last row
    s.u16(0);
    s.u16(lastColumn);
    s.u16(0);
    s.endRecord(at);
    for (const Cell &c : m_cells) {
        s.u16(RecLabelSst);
        s.u16(10);
        s.u16(c.row);
        s.u16(c.column);
        s.u16(cellXf);
        s.u32(c.sstIndex);
    }
    at = s.beginRecord(RecWindow2);
    s.u16(0x06B6); // grid lines, headers, zeros, default header colour, outline, selected
    s.u16(0);      // top row
    s.u16(0);      // left column
    s.u32(64);     // header colour
    s.u16(0);
    s.u16(0);
    s.u32(0);
    s.endRecord(at);
    s.eof();
    return s.bytes;
}

void XlsWriter::doSave()
{
    const QByteArray stream = workbookStream();
    SheetIo::ensureGsf();
    SheetIo::GPtr<GsfOutput> memory(gsf_output_memory_new());
    {
        SheetIo::GPtr<GsfOutfile> ole(gsf_outfile_msole_new(memory.get()));
        if (!ole)
            throwWriteError();
        SheetIo::GPtr<GsfOutput> workbook(gsf_outfile_new_child(ole.get(), "Workbook", FALSE));
        if (!workbook)
            throwWriteError();
        const bool written = gsf_output_write(workbook.get(), size_t(stream.size()),
                                              reinterpret_cast<const guint8 *>(stream.constData()));
        if (!gsf_output_close(workbook.get()) || !written || !gsf_output_close(GSF_OUTPUT(ole.get())))
            throwWriteError();
    }
    // Closing the container closes its sink too.
    if (!gsf_output_is_closed(memory.get()) && !gsf_output_close(memory.get()))
        throwWriteError();
    const qint64 size = gsf_output_size(memory.get());
    const guint8 *bytes = gsf_output_memory_get_bytes(reinterpret_cast<GsfOutputMemory *>(memory.get()));
    if (!bytes || m_file.write(reinterpret_cast<const char *>(bytes), size) != size || !m_file.commit())
        throwWriteError();
}
