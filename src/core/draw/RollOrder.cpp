#include "core/draw/RollOrder.h"

#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <bit>
#include <numeric>
#include <vector>

namespace {

constexpr quint64 rotl(quint64 x, int b)
{
    return (x << b) | (x >> (64 - b));
}

inline void sipRound(quint64 &v0, quint64 &v1, quint64 &v2, quint64 &v3)
{
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
}

inline quint64 readLittleEndian64(const uchar *p)
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

RollKey RollKey::fromSystem()
{
    QRandomGenerator *source = QRandomGenerator::system();
    return RollKey{source->generate64(), source->generate64()};
}

quint64 sipHash24(const RollKey &key, const void *data, qsizetype size)
{
    quint64 v0 = 0x736f6d6570736575ULL ^ key.k0;
    quint64 v1 = 0x646f72616e646f6dULL ^ key.k1;
    quint64 v2 = 0x6c7967656e657261ULL ^ key.k0;
    quint64 v3 = 0x7465646279746573ULL ^ key.k1;

    const auto *p = static_cast<const uchar *>(data);
    const qsizetype whole = size - size % 8;
    for (qsizetype i = 0; i < whole; i += 8) {
        const quint64 m = readLittleEndian64(p + i);
        v3 ^= m;
        sipRound(v0, v1, v2, v3);
        sipRound(v0, v1, v2, v3);
        v0 ^= m;
    }

    quint64 last = quint64(size & 0xff) << 56;
    for (qsizetype i = size % 8; i > 0; --i)
        last |= quint64(p[whole + i - 1]) << (8 * (i - 1));
    v3 ^= last;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    v0 ^= last;

    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        sipRound(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

void RollPass::clear()
{
    m_text.resize(0); // keeps its room for the next pass
    m_entries.clear();
}

void RollPass::add(const char *utf8, qsizetype size)
{
    // Bytes of characters beyond U+007F are all 0x80 or above, so this is Text::isBlank.
    if (std::all_of(utf8, utf8 + size, [](char c) { return uchar(c) <= 32; }))
        return;
    m_entries.push_back({sipHash24(m_key, utf8, size), quint32(m_text.size()), quint32(size)});
    m_text.append(utf8, size);
}

void RollPass::removeAll(const QSet<QByteArray> &numbers)
{
    std::erase_if(m_entries,
                  [&](const Entry &e) { return numbers.contains(QByteArray::fromRawData(text(e), e.size)); });
}

void RollPass::putInOrder()
{
    const auto textOf = [this](const Entry &e) { return QByteArrayView(text(e), e.size); };
    const auto before = [&textOf](const Entry &a, const Entry &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        return textOf(a) < textOf(b);
    };
    const std::size_t n = m_entries.size();
    if (n < 1024) {
        std::sort(m_entries.begin(), m_entries.end(), before);
    } else {
        // Keyed hashes are spread evenly, so distributing the entries over about n buckets by
        // their leading bits leaves one or two per bucket to sort: a fraction of the time of
        // a comparison sort over a pass of 100,000.
        const int bits = std::min(16, int(std::bit_width(n)) - 1);
        const int shift = 64 - bits;
        m_bucketStarts.assign((std::size_t(1) << bits) + 1, 0);
        for (const Entry &e : m_entries)
            ++m_bucketStarts[(e.rank >> shift) + 1];
        std::partial_sum(m_bucketStarts.begin(), m_bucketStarts.end(), m_bucketStarts.begin());
        m_spare.resize(n);
        for (const Entry &e : m_entries)
            m_spare[m_bucketStarts[e.rank >> shift]++] = e;
        // Each start has moved on to the next bucket's start.
        std::size_t start = 0;
        for (std::size_t b = 0; b + 1 < m_bucketStarts.size(); ++b) {
            const std::size_t end = m_bucketStarts[b];
            if (end - start > 1)
                std::sort(m_spare.begin() + start, m_spare.begin() + end, before);
            start = end;
        }
        m_entries.swap(m_spare);
    }
    // Equal numbers have equal ranks and sort next to each other: keep the first.
    const auto repeats = std::unique(m_entries.begin(), m_entries.end(), [&textOf](const Entry &a, const Entry &b) {
        return a.rank == b.rank && textOf(a) == textOf(b);
    });
    m_entries.erase(repeats, m_entries.end());
}

QString RollPass::number(qsizetype i) const
{
    const Entry &e = m_entries[std::size_t(i)];
    return QString::fromUtf8(text(e), e.size);
}
