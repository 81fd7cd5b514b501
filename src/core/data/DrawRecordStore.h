#pragma once

#include "core/draw/RecordChain.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class Database;
class Statement;

/// A winner of a stop, as the draw screen hands it to the record.
struct NewWin
{
    int prizeNumber = 0; ///< the prize's serial in the prize table (draw order), from 1
    QString prizeName;
    QString prizeItem;
    int round = 0; ///< the round of that prize that drew the winner, from 1
    QString phone;
    QString name;
    QString comment;
};

/// One draw: one opening of the draw screen. `finished` is empty while it is open, and stays
/// so for a draw the program did not close (a crash, a power cut).
struct DrawInfo
{
    qint64 id = 0;
    QString started;
    QString finished;
};

/// A record table that DrawRecordStore::repairTables() moved aside, and the name it has now.
struct MovedTable
{
    QString table;   ///< "draws" or "draw_entries"
    QString movedTo; ///< "draws_damaged_20240501_201503"
};

/// What DrawRecordStore::repairTables() did.
struct RecordRepair
{
    bool repaired = false;   ///< false when the record was sound and nothing was changed
    QList<MovedTable> moved; ///< the tables kept under new names, none when both were missing
};

/// The draw record (tables draws and draw_entries): who won which prize, kept in the database
/// as the draw goes, so that it survives a crash. The record is append-only: a win whose winner
/// is absent is voided by a void entry appended after it, and the win's own row only gets its
/// voided mark and reason. Each draw's entries form a hash chain (RecordChain), so an edit,
/// a deleted or an inserted row is found by check(); docs/draw-record.md describes the format.
///
/// When the record tables are missing or damaged (a file marked version 2 without them),
/// every function throws DatabaseError saying so; the participants and prizes stay usable, and
/// repairTables() makes the record usable again.
/// Other database failures throw DatabaseError naming the file. Refusals (a draw that does not
/// exist or is finished, a seq that is no win) throw Error.
class DrawRecordStore final
{
public:
    explicit DrawRecordStore(Database &db);

    /// Makes the record usable again when a table of it is missing or damaged: absent, without a
    /// column the record writes, with a column of its own that must hold a value the record does
    /// not write, or failing SQLite's quick check (a file from elsewhere, or edited by hand). Both
    /// tables go together, as a draw means nothing without its entries: each one there is
    /// renamed to "<table>_damaged_<yyyyMMdd_HHmmss of now>" (a suffix _2, _3 … when that name is
    /// taken) with its rows, without its triggers, so that anyone can still read it; then both
    /// are created afresh, in the same transaction. The participants and prizes are not touched.
    /// A sound record is left as it is. Throws DatabaseError naming the file when the repair
    /// fails; the file is then as it was.
    RecordRepair repairTables(const QDateTime &now);

    /// Opens a new draw and returns its id.
    qint64 startDraw(const QDateTime &now);
    /// The most recently started draw, finished or not; none before the first draw.
    std::optional<DrawInfo> latestDraw();
    /// Closes the draw: nothing more can be appended to it. Finishing it again keeps the first time.
    void finishDraw(qint64 drawId, const QDateTime &now);

    /// Appends the wins, in order, to the open draw's chain and returns the entries written.
    /// Runs inside the caller's transaction, if one is open, so that a stop's drawn marks and
    /// its record commit together or not at all; otherwise in a transaction of its own that
    /// reaches the disk (Durability::Full).
    QList<RecordEntry> appendWins(qint64 drawId, const QList<NewWin> &wins, const QDateTime &now);

    /// Voids the win with the seq: appends a void entry (with the win's prize and winner, the
    /// seq it voids and the reason, "未到场" when blank) and marks the win voided with that
    /// reason, in one transaction that reaches the disk. A finished draw is opened again, for
    /// its place is to be drawn again. Returns the void entry. Refuses a seq that is no win of
    /// that draw, or one voided already.
    RecordEntry voidWin(qint64 drawId, int seq, const QString &reason, const QDateTime &now);

    /// The draw's entries in seq order.
    QList<RecordEntry> entries(qint64 drawId);
    /// Recomputes the draw's chain and compares the voided marks (RecordChain::verify()).
    RecordCheck check(qint64 drawId);

    /// Writes the draw's entries as CSV (UTF-8 with a byte order mark, CR LF, quoted as RFC
    /// 4180): a header row of the column names of draw_entries, then one line per entry with
    /// every column. Throws WriteError naming the file when it cannot be written.
    void exportCsv(qint64 drawId, const QString &path);

    /// A time as the record writes it: ISO 8601 with milliseconds and the offset from UTC,
    /// "2024-05-01T20:15:03.045+08:00".
    static QString timeText(const QDateTime &time);

    /// The default reason of a void.
    static QString defaultVoidReason();

private:
    template <typename Work> auto guarded(Work &&work) -> decltype(work());
    bool recordTablesPresent();
    bool tableExists(const QString &table);
    template <typename Columns> bool tableSound(const QString &table, const Columns &wanted);
    QString unusedName(const QString &wanted);
    DrawInfo requireDraw(qint64 drawId);
    DrawInfo requireOpenDraw(qint64 drawId);
    void insert(const RecordEntry &entry);
    QList<RecordEntry> readEntries(qint64 drawId);
    static RecordEntry readEntry(const Statement &row);

    Database &m_db;
};
