#pragma once

/// Every SQL text the program runs, in one place. Values are always bound ('?'), never pasted
/// into the text, so a quote inside a phone number or a name can never change a statement.
/// Names match without regard to case, as the database does. The tables and columns are
/// those of earlier versions and of files made by other programs; docs/data-contracts.md
/// says what each one means.
namespace Sql {

// --- Schema: one migration per version, each ending by recording its version ---------------
inline constexpr char SchemaVersion[] = "pragma user_version";
/// Version 1: the participant and prize tables. Files made before versions were recorded
/// have both tables already and keep them as they are.
inline constexpr char MigrateTo1[] = R"(
create table if not exists Tab_CJ (xh integer, Tel text, Name text, Comment text, ZT text);
create index if not exists Tab_CJ_xh on Tab_CJ(xh);
create index if not exists Tab_CJ_Tel on Tab_CJ(Tel);
create table if not exists Tab_Set (xh integer, name text, quantity text, rs text, jp text, comment text);
create index if not exists Tab_Set_xh on Tab_Set(xh);
pragma user_version = 1;
)";

// --- Connection settings ---------------------------------------------------------------------
/// The level at which commits reach the disk: 0 off, 1 normal, 2 full, 3 extra.
inline constexpr char SynchronousLevel[] = "pragma synchronous";
inline constexpr char SynchronousOff[] = "pragma synchronous = off";
inline constexpr char SynchronousNormal[] = "pragma synchronous = normal";
inline constexpr char SynchronousFull[] = "pragma synchronous = full";
inline constexpr char SynchronousExtra[] = "pragma synchronous = extra";
/// Backups are files on their own, without a write-ahead log.
inline constexpr char JournalModeDelete[] = "pragma journal_mode = delete";
/// One row "ok" for a sound file, otherwise a row per problem found.
inline constexpr char IntegrityCheck[] = "pragma integrity_check";
/// 1 for a database of this program (an empty file is a database too).
inline constexpr char HasParticipantTable[] =
    "select count(*) from sqlite_master where type = 'table' and name = 'Tab_CJ'";

// --- Participants (Tab_CJ) -------------------------------------------------------------------
inline constexpr char LoadParticipants[] = "select Tel, Name, Comment from Tab_CJ order by xh";
inline constexpr char ClearParticipants[] = "delete from Tab_CJ";
inline constexpr char InsertParticipant[] = "insert into Tab_CJ(xh) values(?)";
inline constexpr char SaveParticipant[] = "update Tab_CJ set Tel = ?, Name = ?, Comment = ? where xh = ?";
inline constexpr char DeleteParticipant[] = "delete from Tab_CJ where xh = ?";
/// Moves every participant below a deleted one up by one serial, in one statement.
inline constexpr char MoveParticipantsUp[] = "update Tab_CJ set xh = xh - 1 where xh > ?";
/// The import writes each row with its serial and texts at once.
inline constexpr char ImportParticipant[] = "insert into Tab_CJ(xh, Tel, Name, Comment) values(?, ?, ?, ?)";
inline constexpr char PurgeParticipantsWithoutPhone[] = "delete from Tab_CJ where (Tel is null) or (Tel = '')";
inline constexpr char ParticipantSerialShape[] =
    "select count(*), count(distinct xh), min(xh), max(xh) from Tab_CJ";
inline constexpr char RenumberParticipants[] =
    "update Tab_CJ set xh = r.n from (select rowid as id, row_number() over (order by xh, rowid) as n"
    " from Tab_CJ) as r where Tab_CJ.rowid = r.id and Tab_CJ.xh is not r.n";
/// The name of a phone number: the first of its rows by serial.
inline constexpr char ParticipantName[] = "select Name from Tab_CJ where Tel = ? order by xh limit 1";

// --- Prize levels (Tab_Set) ------------------------------------------------------------------
inline constexpr char LoadPrizes[] = "select name, quantity, rs, jp, comment from Tab_Set order by xh";
inline constexpr char InsertPrize[] = "insert into Tab_Set(xh) values(?)";
inline constexpr char SavePrize[] =
    "update Tab_Set set name = ?, quantity = ?, rs = ?, jp = ?, comment = ? where xh = ?";
inline constexpr char DeletePrize[] = "delete from Tab_Set where xh = ?";
inline constexpr char MovePrizesUp[] = "update Tab_Set set xh = xh - 1 where xh > ?";
inline constexpr char PurgePrizesWithoutName[] = "delete from Tab_Set where (name = '') or (name is null)";
inline constexpr char PrizeSerialShape[] = "select count(*), count(distinct xh), min(xh), max(xh) from Tab_Set";
inline constexpr char RenumberPrizes[] =
    "update Tab_Set set xh = r.n from (select rowid as id, row_number() over (order by xh, rowid) as n"
    " from Tab_Set) as r where Tab_Set.rowid = r.id and Tab_Set.xh is not r.n";

// --- The draw --------------------------------------------------------------------------------
/// One pass of the roll: every row's number and mark, read afresh at every pass. The roll
/// keeps the numbers that are not blank, sit on a row not drawn yet and on no drawn row, once
/// each, in its own order. A plain scan of the table reads 100,000 rows in a third of the
/// time that a "not in" or "group by" form needs.
inline constexpr char RollPass[] = "select Tel, ZT from Tab_CJ";
/// Marks every row of a winner's number as drawn.
inline constexpr char MarkDrawn[] = "update Tab_CJ set ZT = '1' where Tel = ?";

} // namespace Sql
