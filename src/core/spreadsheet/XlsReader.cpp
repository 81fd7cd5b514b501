#include "core/spreadsheet/XlsReader.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/base/Gbk.h"
#include "core/spreadsheet/BiffRecords.h"
#include "core/spreadsheet/Ole2File.h"
#include "core/spreadsheet/SheetIo.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <vector>

// Why not FreeXL: FreeXL 1.0.6 follows a shared string into one CONTINUE record only and reads
// past its record buffer (and crashes) on longer ones, which Excel writes for cells of a few
// thousand characters; it also leaves the values of formula cells out and leaks on some
// damaged files. libgsf's OLE2 reader leaks on some damaged directories too. The container
// and the records this import needs are few and simple, so they are read here.

namespace {

const QString formatName = QStringLiteral("Excel 97-2003 工作簿（.xls）");

using namespace Biff;

struct Record
{
    quint16 type = 0;
    quint16 size = 0;
    const uchar *data = nullptr;
};

// Walks the records of the workbook stream; every read is checked against the stream's end.
class RecordStream
{
public:
    RecordStream(const QByteArray &bytes, const QString &path)
        : m_bytes(bytes)
        , m_path(path)
    {
    }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    void seek(qint64 pos)
    {
        if (pos < 0 || pos >= m_bytes.size())
            fail(QStringLiteral("工作表的位置超出了工作簿"));
        m_pos = pos;
    }
    Record next()
    {
        if (m_pos + 4 > m_bytes.size())
            fail(QStringLiteral("工作簿不完整，提前结束了"));
        const uchar *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + m_pos;
        Record r{qFromLittleEndian<quint16>(p), qFromLittleEndian<quint16>(p + 2), p + 4};
        if (m_pos + 4 + r.size > m_bytes.size())
            fail(QStringLiteral("工作簿不完整，提前结束了"));
        m_pos += 4 + r.size;
        return r;
    }
    quint16 peekType() const
    {
        return m_pos + 2 <= m_bytes.size() ? qFromLittleEndian<quint16>(m_bytes.constData() + m_pos) : 0;
    }
    [[noreturn]] void fail(const QString &detail) const { SheetIo::throwCorrupt(m_path, formatName, detail); }

private:
    const QByteArray &m_bytes;
    QString m_path;
    qint64 m_pos = 0;
};

// Reads strings that may run from a record into the CONTINUE records after it. Where the
// characters of a string go on in the next record, that record starts with an option byte
// telling whether they are 8-bit or UTF-16; headers and trailing data go on without one.
class FragmentReader
{
public:
    void add(const uchar *data, qsizetype size) { m_fragments.push_back({data, size}); }
    bool empty() const { return m_fragments.empty(); }

    bool atEnd() const { return m_index + 1 >= m_fragments.size() && fragmentLeft() == 0; }
    // Moves to the next fragment when the current one is used up (a string starts there).
    void skipEmptyFragment()
    {
        if (fragmentLeft() == 0 && m_index + 1 < m_fragments.size()) {
            ++m_index;
            m_offset = 0;
        }
    }
    bool readBytes(uchar *out, qsizetype n)
    {
        while (n > 0) {
            if (fragmentLeft() == 0 && !nextFragment())
                return false;
            const qsizetype k = std::min(n, fragmentLeft());
            if (out) {
                memcpy(out, current() + m_offset, size_t(k));
                out += k;
            }
            m_offset += k;
            n -= k;
        }
        return true;
    }
    bool skip(qint64 n)
    {
        while (n > 0) {
            if (fragmentLeft() == 0 && !nextFragment())
                return false;
            const qsizetype k = qsizetype(std::min<qint64>(n, fragmentLeft()));
            m_offset += k;
            n -= k;
        }
        return true;
    }
    bool readChars(qsizetype count, bool utf16, QString *out)
    {
        out->resize(count);
        char16_t *dst = reinterpret_cast<char16_t *>(out->data());
        qsizetype done = 0;
        while (done < count) {
            if (fragmentLeft() == 0) {
                if (!nextFragment() || fragmentLeft() == 0)
                    return false;
                utf16 = (current()[m_offset++] & 0x01) != 0;
            }
            const uchar *p = current() + m_offset;
            if (utf16) {
                const qsizetype n = std::min(count - done, fragmentLeft() / 2);
                if (n == 0)
                    return false; // half a character before the record ends
                for (qsizetype i = 0; i < n; ++i)
                    dst[done + i] = qFromLittleEndian<quint16>(p + 2 * i);
                m_offset += 2 * n;
                done += n;
            } else {
                const qsizetype n = std::min(count - done, fragmentLeft());
                for (qsizetype i = 0; i < n; ++i)
                    dst[done + i] = p[i];
                m_offset += n;
                done += n;
            }
        }
        return true;
    }

private:
    qsizetype fragmentLeft() const { return m_index < m_fragments.size() ? m_fragments[m_index].second - m_offset : 0; }
    const uchar *current() const { return m_fragments[m_index].first; }
    bool nextFragment()
    {
        if (m_index + 1 >= m_fragments.size())
            return false;
        ++m_index;
        m_offset = 0;
        return true;
    }

    std::vector<std::pair<const uchar *, qsizetype>> m_fragments;
    size_t m_index = 0;
    qsizetype m_offset = 0;
};

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#N/A");
    }
}

double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        memcpy(&value, &bits, sizeof(value));
    }
    return (rk & 0x01) ? value / 100 : value;
}

class WorkbookParser
{
public:
    WorkbookParser(const QByteArray &stream, const QString &path)
        : m_records(stream, path)
        , m_path(path)
        , m_data(path)
    {
    }

    SheetData parse()
    {
        const qint64 sheetOffset = readGlobals();
        m_records.seek(sheetOffset);
        readSheet();
        m_data.finish();
        return std::move(m_data);
    }

private:
    // The workbook globals: protection, code page, the first worksheet, the string table.
    qint64 readGlobals()
    {
        Record bof = m_records.next();
        if (bof.type != RecBof || bof.size < 4)
            m_records.fail(QStringLiteral("文件中没有工作簿"));
        const quint16 version = qFromLittleEndian<quint16>(bof.data);
        if (version != 0x0600 && version != 0x0500) {
            throw Error(QStringLiteral("文件“%1”是 Excel 5.0 以前的旧格式，本程序读不了。请用 Excel 或 WPS 表格打开它，"
                                       "另存为 .xlsx 或 .xls（97-2003）格式后重新导入。")
                            .arg(Files::displayPath(m_path)));
        }
        m_biff8 = version == 0x0600;
        qint64 sheetOffset = -1;
        for (;;) {
            const Record r = m_records.next();
            switch (r.type) {
            case RecEof:
                if (sheetOffset < 0)
                    m_records.fail(QStringLiteral("工作簿中没有工作表"));
                return sheetOffset;
            case RecFilePass:
                SheetIo::throwProtected(m_path);
            case RecCodePage:
                if (r.size >= 2)
                    m_codePage = qFromLittleEndian<quint16>(r.data);
                break;
            case RecBoundSheet:
                // The first sheet of type worksheet (not a chart or macro sheet).
                if (sheetOffset < 0 && r.size >= 6 && r.data[5] == 0)
                    sheetOffset = qFromLittleEndian<quint32>(r.data);
                break;
            case RecSst:
                if (m_biff8)
                    readSharedStrings(r);
                break;
            default:
                break;
            }
        }
    }

    void readSharedStrings(const Record &sst)
    {
        if (sst.size < 8)
            m_records.fail(QStringLiteral("共享字符串表已损坏"));
        FragmentReader reader;
        reader.add(sst.data + 8, sst.size - 8);
        while (m_records.peekType() == RecContinue) {
            const Record c = m_records.next();
            reader.add(c.data, c.size);
        }
        const quint32 count = qFromLittleEndian<quint32>(sst.data + 4);
        for (quint32 i = 0; i < count; ++i) {
            reader.skipEmptyFragment();
            if (reader.atEnd())
                break; // fewer strings than announced: a cell that needs a missing one fails
            if (m_strings.size() >= size_t(SheetData::MaxCells))
                m_records.fail(QStringLiteral("共享字符串太多"));
            m_strings.push_back(readUnicodeString(reader));
        }
    }

    // A BIFF8 string: 16-bit length, option byte, then run and phonetic counts if flagged,
    // the characters, then the run and phonetic data, which are not part of the text.
    QString readUnicodeString(FragmentReader &reader)
    {
        uchar header[3];
        if (!reader.readBytes(header, 3))
            m_records.fail(QStringLiteral("字符串已损坏"));
        const quint16 length = qFromLittleEndian<quint16>(header);
        const quint8 flags = header[2];
        quint16 runs = 0;
        quint32 phonetic = 0;
        uchar extra[4];
        if (flags & 0x08) {
            if (!reader.readBytes(extra, 2))
                m_records.fail(QStringLiteral("字符串已损坏"));
            runs = qFromLittleEndian<quint16>(extra);
        }
        if (flags & 0x04) {
            if (!reader.readBytes(extra, 4))
                m_records.fail(QStringLiteral("字符串已损坏"));
            phonetic = qFromLittleEndian<quint32>(extra);
        }
        QString text;
        if (!reader.readChars(length, flags & 0x01, &text) || !reader.skip(qint64(runs) * 4 + phonetic))
            m_records.fail(QStringLiteral("字符串已损坏"));
        return text;
    }

    // An 8-bit string of a BIFF5 workbook in its code page.
    QString codePageText(const uchar *data, qsizetype size) const
    {
        const QByteArray bytes(reinterpret_cast<const char *>(data), size);
        if (m_codePage == 936)
            return Gbk::decode(bytes);
        return QString::fromLatin1(bytes);
    }

    // The text of a LABEL, RSTRING or STRING record (and CONTINUE records after a STRING).
    QString recordText(const Record &r, qsizetype offset, bool withContinue)
    {
        if (r.size < offset + 2)
            m_records.fail(QStringLiteral("单元格已损坏"));
        if (!m_biff8) {
            const quint16 length = qFromLittleEndian<quint16>(r.data + offset);
            if (r.size < offset + 2 + length)
                m_records.fail(QStringLiteral("单元格已损坏"));
            return codePageText(r.data + offset + 2, length);
        }
        FragmentReader reader;
        reader.add(r.data + offset, r.size - offset);
        while (withContinue && m_records.peekType() == RecContinue) {
            const Record c = m_records.next();
            reader.add(c.data, c.size);
        }
        return readUnicodeString(reader);
    }

    void setCell(const uchar *data, const QString &text)
    {
        m_data.setCell(qFromLittleEndian<quint16>(data) + 1, qFromLittleEndian<quint16>(data + 2) + 1, text);
    }

    void readSheet()
    {
        const Record bof = m_records.next();
        if (bof.type != RecBof)
            m_records.fail(QStringLiteral("找不到工作表"));
        int depth = 1;                         // charts embedded in the sheet come as nested BOF ... EOF blocks
        const uchar *pendingFormula = nullptr; // a formula whose text result follows in STRING
        while (depth > 0) {
            const Record r = m_records.next();
            if (r.type == RecBof) {
                ++depth;
                continue;
            }
            if (r.type == RecEof) {
                --depth;
                continue;
            }
            if (depth > 1)
                continue;
            if (r.type == RecString) {
                if (pendingFormula)
                    setCell(pendingFormula, recordText(r, 0, true));
                pendingFormula = nullptr;
                continue;
            }
            readCell(r, &pendingFormula);
        }
    }

    void readCell(const Record &r, const uchar **pendingFormula)
    {
        switch (r.type) {
        case RecLabelSst: {
            if (r.size < 10)
                m_records.fail(QStringLiteral("单元格已损坏"));
            const quint32 index = qFromLittleEndian<quint32>(r.data + 6);
            if (index >= m_strings.size())
                m_records.fail(QStringLiteral("单元格引用的共享字符串不存在"));
            setCell(r.data, m_strings[index]);
            break;
        }
        case RecLabel:
        case RecRString:
            setCell(r.data, recordText(r, 6, false));
            break;
        case RecNumber:
            if (r.size < 14)
                m_records.fail(QStringLiteral("单元格已损坏"));
            setCell(r.data, SheetIo::numberText(qFromLittleEndian<double>(r.data + 6)));
            break;
        case RecRk:
            if (r.size < 10)
                m_records.fail(QStringLiteral("单元格已损坏"));
            setCell(r.data, SheetIo::numberText(rkValue(qFromLittleEndian<quint32>(r.data + 6))));
            break;
        case RecMulRk: {
            if (r.size < 6)
                m_records.fail(QStringLiteral("单元格已损坏"));
            const int row = qFromLittleEndian<quint16>(r.data) + 1;
            const int firstColumn = qFromLittleEndian<quint16>(r.data + 2) + 1;
            const int count = (r.size - 6) / 6;
            for (int i = 0; i < count; ++i) {
                const quint32 rk = qFromLittleEndian<quint32>(r.data + 4 + 6 * i + 2);
                m_data.setCell(row, firstColumn + i, SheetIo::numberText(rkValue(rk)));
            }
            break;
        }
        case RecBoolErr:
            if (r.size < 8)
                m_records.fail(QStringLiteral("单元格已损坏"));
            if (r.data[7])
                setCell(r.data, errorText(r.data[6]));
            else
                setCell(r.data, r.data[6] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            break;
        case RecFormula: {
            if (r.size < 14)
                m_records.fail(QStringLiteral("单元格已损坏"));
            const uchar *value = r.data + 6;
            if (value[6] != 0xFF || value[7] != 0xFF) {
                setCell(r.data, SheetIo::numberText(qFromLittleEndian<double>(value)));
            } else if (value[0] == 0x00) {
                *pendingFormula = r.data; // the text follows in a STRING record
                return;
            } else if (value[0] == 0x01) {
                setCell(r.data, value[2] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            } else if (value[0] == 0x02) {
                setCell(r.data, errorText(value[2]));
            }
            break;
        }
        default:
            return; // formatting, blanks, shared formulas: the pending formula keeps waiting
        }
        *pendingFormula = nullptr;
    }

    RecordStream m_records;
    QString m_path;
    SheetData m_data;
    std::vector<QString> m_strings;
    quint16 m_codePage = 1252;
    bool m_biff8 = true;
};

} // namespace

namespace XlsReader {

SheetData parseWorkbookStream(const QByteArray &stream, const QString &path)
{
    return WorkbookParser(stream, path).parse();
}

SheetData read(const QString &path)
{
    Ole2File ole(SheetIo::readFile(path, MaxStreamSize));
    if (!ole.isValid())
        SheetIo::throwCorrupt(path, formatName, ole.error());
    switch (SheetIo::ole2Kind(ole)) {
    case SheetIo::Ole2Kind::EncryptedPackage:
        SheetIo::throwProtected(path);
    case SheetIo::Ole2Kind::OtherDocument:
        throw Error(QStringLiteral("文件“%1”是 Office 文档，但不是 Excel 工作簿。请选择保存了参选人名单的表格文件。")
                        .arg(Files::displayPath(path)));
    default:
        break;
    }
    QByteArray stream;
    if (!ole.readStream(QStringLiteral("Workbook"), &stream) && !ole.readStream(QStringLiteral("Book"), &stream))
        SheetIo::throwCorrupt(path, formatName, ole.error());
    return parseWorkbookStream(stream, path);
}

} // namespace XlsReader
