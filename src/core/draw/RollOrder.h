#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class TDBLink;

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

/// The place of a phone number in the round's order: its keyed hash (over the UTF-16 text).
quint64 rollRank(const RollKey &key, const QString &number);

/// Puts @p numbers into the round's order: ascending rank, equal ranks by text. Blank
/// numbers are dropped and a number that occurs more than once is kept once.
void putInRollOrder(QStringList &numbers, const RollKey &key);

/// One pass's participants: reads the participant table afresh through @p link and gives, in
/// the round's order, every phone number that may still win: not blank, on a row whose mark
/// is Null, and on no marked row; each number once.
///
/// When @p cancel is given and becomes true while the rows are read, the pass is abandoned
/// and false is returned; otherwise true with @p numbers filled. Throws DbError.
bool loadRollCandidates(TDBLink &link, const RollKey &key, QStringList *numbers,
                        const std::atomic<bool> *cancel = nullptr);
