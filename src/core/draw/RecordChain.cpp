#include "core/draw/RecordChain.h"

#include <QCryptographicHash>
#include <QHash>

#include <algorithm>

namespace {

constexpr int HashLength = 64;

void appendField(QByteArray &out, const QByteArray &utf8)
{
    out.append(QByteArray::number(utf8.size())).append(':').append(utf8).append(',');
}

void appendField(QByteArray &out, qint64 value)
{
    appendField(out, QByteArray::number(value));
}

} // namespace

namespace RecordChain {

QString genesisHash()
{
    return QString(HashLength, QLatin1Char('0'));
}

QByteArray message(const QString &previousHash, const RecordEntry &entry)
{
    QByteArray out = previousHash.toUtf8();
    appendField(out, entry.drawId);
    appendField(out, entry.seq);
    appendField(out, entry.kind.toUtf8());
    appendField(out, entry.prizeNumber);
    appendField(out, entry.prizeName.toUtf8());
    appendField(out, entry.prizeItem.toUtf8());
    appendField(out, entry.round);
    appendField(out, entry.phone.toUtf8());
    appendField(out, entry.name.toUtf8());
    appendField(out, entry.comment.toUtf8());
    appendField(out, entry.time.toUtf8());
    appendField(out, entry.voidsSeq ? QByteArray::number(*entry.voidsSeq) : QByteArray());
    appendField(out, entry.reason.toUtf8());
    return out;
}

QString hash(const QString &previousHash, const RecordEntry &entry)
{
    const QByteArray digest = QCryptographicHash::hash(message(previousHash, entry), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

RecordCheck verify(const QList<RecordEntry> &entries)
{
    RecordCheck result;
    QList<int> altered;
    QString previous = genesisHash();
    int expectedSeq = 1;
    for (const RecordEntry &entry : entries) {
        // A seq missing from the run is a deleted entry (the next one then fails to match).
        for (; expectedSeq < entry.seq; ++expectedSeq)
            altered.append(expectedSeq);
        expectedSeq = std::max(expectedSeq, entry.seq + 1);
        // Hashed on the recomputed hash of the entry before, not its stored one: an edit then
        // breaks every entry after it, even when whoever made it rewrote that entry's hash.
        const QString recomputed = hash(previous, entry);
        if (recomputed != entry.hash)
            altered.append(entry.seq);
        previous = recomputed;
    }

    // Each win's voided mark must be what the void entries say: voided by exactly one of them,
    // with that one's reason, or not at all.
    QHash<int, const RecordEntry *> wins;
    QHash<int, const RecordEntry *> voidOf;
    for (const RecordEntry &entry : entries) {
        if (!entry.isVoid())
            wins.insert(entry.seq, &entry);
    }
    for (const RecordEntry &entry : entries) {
        if (!entry.isVoid())
            continue;
        const int target = entry.voidsSeq.value_or(0);
        if (!wins.contains(target) || target >= entry.seq || voidOf.contains(target))
            altered.append(entry.seq);
        else
            voidOf.insert(target, &entry);
    }
    for (const RecordEntry *win : std::as_const(wins)) {
        const RecordEntry *voiding = voidOf.value(win->seq);
        const bool agrees =
            voiding ? win->voided && win->voidReason == voiding->reason : !win->voided && win->voidReason.isEmpty();
        if (!agrees)
            altered.append(win->seq);
    }

    std::sort(altered.begin(), altered.end());
    altered.erase(std::unique(altered.begin(), altered.end()), altered.end());
    result.alteredSeqs = altered;
    result.intact = altered.isEmpty();
    result.headHash = entries.isEmpty() ? genesisHash() : entries.constLast().hash;
    return result;
}

} // namespace RecordChain
