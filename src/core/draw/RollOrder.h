#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

/// The secret of one round: a 128-bit SipHash key. Every pass of the round visits the
/// eligible numbers in the order of their keyed hash, so the order is the same in every pass,
/// cannot be foreseen from the table, and is new in every round.
struct RollKey
{
    quint64 k0 = 0;
    quint64 k1 = 0;

    /// A fresh key from the operating system's secure random source.
    static RollKey fromSystem();
};

/// Where a round takes its key from. The program uses RollKey::fromSystem; tests pass a
/// seeded source so that an order can be repeated.
using RollKeySource = std::function<RollKey()>;

/// SipHash-2-4 of @p size bytes at @p data under @p key.
quint64 sipHash24(const RollKey &key, const void *data, qsizetype size);

/// The phone numbers of one pass of the roll, in the round's order: ascending rank, equal
/// ranks by text, each number once, no blank number. The texts sit in one buffer, so a pass
/// over 100,000 participants costs no allocation per number, and clear() keeps the room for
/// the next pass.
class RollPass final
{
public:
    explicit RollPass(const RollKey &key = {})
        : m_key(key)
    {
    }

    void clear();
    /// Adds a number given as UTF-8; a blank one (nothing above a blank) is left out.
    void add(const char *utf8, qsizetype size);
    /// Leaves out every number found in @p numbers (UTF-8 texts).
    void removeAll(const QSet<QByteArray> &numbers);
    /// Puts the numbers added since clear() into the round's order and drops repeats.
    void putInOrder();

    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    /// The i-th number (after putInOrder(), in the round's order).
    QString number(qsizetype i) const;

private:
    struct Entry
    {
        quint64 rank;
        quint32 offset; // into m_text
        quint32 size;
    };
    const char *text(const Entry &e) const { return m_text.constData() + e.offset; }

    RollKey m_key;
    QByteArray m_text;
    std::vector<Entry> m_entries;
    std::vector<Entry> m_spare;          // room for ordering, kept from pass to pass
    std::vector<quint32> m_bucketStarts; // likewise
};
