#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

/// One entry of a draw's record (a row of draw_entries): a win, or the voiding of a win whose
/// winner was not there. Texts are exactly as stored; docs/draw-record.md describes each field.
struct RecordEntry
{
    static constexpr QStringView Win = u"win";
    static constexpr QStringView Void = u"void";

    qint64 drawId = 0;
    int seq = 0;  ///< position in the draw's chain, from 1
    QString kind; ///< Win or Void
    int prizeNumber = 0;
    QString prizeName;
    QString prizeItem;
    int round = 0; ///< round of that prize, from 1
    QString phone;
    QString name;
    QString comment;
    QString time;                ///< ISO 8601 local time with offset and milliseconds
    std::optional<int> voidsSeq; ///< a void entry: the seq of the win it voids
    QString reason;              ///< a void entry: why the win was voided
    bool voided = false;         ///< a win: voided since (outside the chain)
    QString voidReason;          ///< a win: the reason it was voided with (outside the chain)
    QString hash;                ///< lowercase hex SHA-256 of the entry's message

    bool isVoid() const { return kind == Void; }
};

/// The result of checking a draw's record.
struct RecordCheck
{
    bool intact = true;
    /// Every seq that is altered, missing or no longer in the chain, ascending: each entry whose
    /// stored hash differs from the one recomputed on the chain before it (so an edit names
    /// every entry after it too), each seq missing from the run 1..n, each void entry that voids
    /// no earlier win or one voided already, and each win whose voided mark or reason disagrees
    /// with the void entries.
    QList<int> alteredSeqs;
    /// The last entry's stored hash: what an operator notes down at the end of a draw. The
    /// genesis hash for a draw without entries.
    QString headHash;
};

/// The hash chain of a draw's record: pure functions, no database.
///
/// An entry's message is the previous entry's hash (64 lowercase hex characters, 64 '0' for a
/// draw's first entry) followed by its fields as netstrings, `<decimal byte length>:<UTF-8
/// bytes>,`, in this order: draw_id, seq, kind, prize_number, prize_name, prize_item, round,
/// phone, name, comment, time, voids_seq, reason. Integers are written in decimal ASCII, an
/// absent value as the empty text. voided, void_reason and hash are outside the message. The
/// entry's hash is the lowercase hex SHA-256 of its message.
namespace RecordChain {

/// The previous hash of a draw's first entry: 64 '0'.
QString genesisHash();

/// The bytes that are hashed for the entry that follows @p previousHash.
QByteArray message(const QString &previousHash, const RecordEntry &entry);

/// The lowercase hex SHA-256 of message(previousHash, entry).
QString hash(const QString &previousHash, const RecordEntry &entry);

/// Recomputes the chain of one draw's entries, given in seq order. Each entry is hashed on
/// the recomputed hash of the one before it, so an edited, deleted or inserted entry breaks
/// the chain from there on. Also compares each win's voided mark and reason with the void
/// entries.
RecordCheck verify(const QList<RecordEntry> &entries);

} // namespace RecordChain
