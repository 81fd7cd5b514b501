#include "core/spreadsheet/Ole2File.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 endOfChain = 0xFFFFFFFE;
constexpr quint32 freeSector = 0xFFFFFFFF;
constexpr quint32 noEntry = 0xFFFFFFFF;
constexpr int headerDifatEntries = 109;

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

} // namespace

Ole2File::Ole2File(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    if (!readHeader())
        return;
    // The directory, then the mini stream that small streams live in (the root entry's data).
    QByteArray directory;
    if (!readChain(m_fat, u32(m_bytes.constData() + 0x30), m_sectorSize, false, 0, &directory))
        return;
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        const char *d = directory.constData() + at;
        Entry e;
        const int nameBytes = std::min<int>(qFromLittleEndian<quint16>(d + 0x40), 64);
        e.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(d), std::max(nameBytes / 2 - 1, 0));
        e.type = quint8(d[0x42]);
        e.left = u32(d + 0x44);
        e.right = u32(d + 0x48);
        e.child = u32(d + 0x4C);
        e.start = u32(d + 0x74);
        e.size = qFromLittleEndian<quint64>(d + 0x78);
        if (m_sectorSize == 512)
            e.size &= 0xFFFFFFFFu; // version 3 files leave the high half undefined
        m_entries.push_back(e);
    }
    if (m_entries.empty() || m_entries[0].type != 5) {
        fail(QStringLiteral("缺少根目录项"));
        return;
    }
    const quint32 miniFatStart = u32(m_bytes.constData() + 0x3C);
    QByteArray miniFat;
    if (miniFatStart != endOfChain && !readChain(m_fat, miniFatStart, m_sectorSize, false, 0, &miniFat))
        return;
    for (qsizetype at = 0; at + 4 <= miniFat.size(); at += 4)
        m_miniFat.push_back(u32(miniFat.constData() + at));
    const Entry &root = m_entries[0];
    if (root.size > 0 && !readChain(m_fat, root.start, m_sectorSize, false, root.size, &m_miniStream))
        return;
}

bool Ole2File::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
    return false;
}

const char *Ole2File::sector(quint32 index) const
{
    return index < m_sectorCount ? m_bytes.constData() + (qint64(index) + 1) * m_sectorSize : nullptr;
}

bool Ole2File::readHeader()
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (m_bytes.size() < 512 || memcmp(m_bytes.constData(), signature, 8) != 0)
        return fail(QStringLiteral("缺少 OLE2 文件头"));
    const char *h = m_bytes.constData();
    const quint16 sectorShift = qFromLittleEndian<quint16>(h + 0x1E);
    const quint16 miniShift = qFromLittleEndian<quint16>(h + 0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6)
        return fail(QStringLiteral("扇区大小无效"));
    m_sectorSize = qint64(1) << sectorShift;
    m_miniSectorSize = qint64(1) << miniShift;
    m_miniCutoff = u32(h + 0x38);
    m_sectorCount = quint32(std::max<qint64>(0, (m_bytes.size() - m_sectorSize) / m_sectorSize));

    // The sectors of the allocation table: 109 listed in the header, the rest in DIFAT sectors.
    const quint32 fatSectors = u32(h + 0x2C);
    if (fatSectors > m_sectorCount)
        return fail(QStringLiteral("分配表大小无效"));
    std::vector<quint32> fatList;
    for (int i = 0; i < headerDifatEntries && fatList.size() < fatSectors; ++i)
        fatList.push_back(u32(h + 0x4C + 4 * i));
    quint32 difat = u32(h + 0x44);
    const qint64 perDifat = m_sectorSize / 4 - 1;
    for (quint32 hops = 0; fatList.size() < fatSectors; ++hops) {
        const char *s = sector(difat);
        if (!s || hops > m_sectorCount)
            return fail(QStringLiteral("分配表列表已损坏"));
        for (qint64 i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32(s + 4 * i));
        difat = u32(s + 4 * perDifat);
    }
    m_fat.reserve(size_t(fatSectors * (m_sectorSize / 4)));
    for (quint32 index : fatList) {
        const char *s = sector(index);
        if (!s)
            return fail(QStringLiteral("分配表超出了文件范围"));
        for (qint64 i = 0; i < m_sectorSize / 4; ++i)
            m_fat.push_back(u32(s + 4 * i));
    }
    return true;
}

// Follows a chain of (mini) sectors and appends their data; size 0 reads the whole chain.
bool Ole2File::readChain(const std::vector<quint32> &table, quint32 start, qint64 unitSize, bool mini, quint64 size,
                         QByteArray *out)
{
    out->clear();
    const quint64 limit = quint64(m_bytes.size()) + quint64(m_miniStream.size());
    if (size > limit)
        return fail(QStringLiteral("数据流比文件本身还大"));
    if (size > 0)
        out->reserve(qsizetype(size));
    quint32 current = start;
    for (quint64 steps = 0; current != endOfChain; ++steps) {
        if (size > 0 && quint64(out->size()) >= size)
            break;
        if (current >= table.size() || steps > table.size())
            return fail(QStringLiteral("扇区链已损坏"));
        if (mini) {
            const qint64 at = qint64(current) * unitSize;
            if (at + unitSize > m_miniStream.size())
                return fail(QStringLiteral("扇区链已损坏"));
            out->append(m_miniStream.constData() + at, unitSize);
        } else {
            const char *s = sector(current);
            if (!s)
                return fail(QStringLiteral("扇区超出了文件范围"));
            out->append(s, unitSize);
        }
        current = table[current];
        if (current == freeSector)
            return fail(QStringLiteral("扇区链已损坏"));
    }
    if (size > 0) {
        if (quint64(out->size()) < size)
            return fail(QStringLiteral("数据流不完整，提前结束了"));
        out->truncate(qsizetype(size));
    }
    return true;
}

// The entries of the root storage: its child and, through the left and right links of the
// directory's tree, the child's siblings. Each entry is visited once, so a loop ends.
std::vector<quint32> Ole2File::rootChildren() const
{
    std::vector<quint32> result;
    if (m_entries.empty())
        return result;
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<quint32> pending{m_entries[0].child};
    while (!pending.empty()) {
        const quint32 id = pending.back();
        pending.pop_back();
        if (id == noEntry || id >= m_entries.size() || seen[id])
            continue;
        seen[id] = true;
        result.push_back(id);
        pending.push_back(m_entries[id].left);
        pending.push_back(m_entries[id].right);
    }
    return result;
}

qsizetype Ole2File::findStream(const QString &name) const
{
    for (quint32 id : rootChildren()) {
        if (m_entries[id].type == 2 && m_entries[id].name.compare(name, Qt::CaseInsensitive) == 0)
            return id;
    }
    return -1;
}

bool Ole2File::readStream(const QString &name, QByteArray *out)
{
    if (!isValid())
        return false;
    const qsizetype id = findStream(name);
    if (id < 0)
        return fail(QStringLiteral("缺少数据流 %1").arg(name));
    const Entry &e = m_entries[size_t(id)];
    if (e.size == 0) {
        out->clear();
        return true;
    }
    if (e.size < m_miniCutoff)
        return readChain(m_miniFat, e.start, m_miniSectorSize, true, e.size, out);
    return readChain(m_fat, e.start, m_sectorSize, false, e.size, out);
}
