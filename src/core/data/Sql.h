#pragma once

#include <array>
#include <cstddef>

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
/// The draw record, one row per draw and one per entry of a draw's chain (docs/draw-record.md).
/// The triggers keep the record append-only: an entry's fields never change, and only a win not
/// voided yet may be marked voided. Migration 2 creates them, and so does the repair of a record
/// found missing or damaged (DrawRecordStore::repairTables()).
inline constexpr char DrawRecordTables[] = R"(
create table draws (id integer primary key, started text not null, finished text);
create table draw_entries (
  draw_id integer not null references draws(id),
  seq integer not null,
  kind text not null check (kind in ('win', 'void')),
  prize_number integer not null,
  prize_name text not null,
  prize_item text not null,
  round integer not null,
  phone text not null,
  name text not null,
  comment text not null,
  time text not null,
  voids_seq integer,
  reason text,
  voided integer not null default 0,
  void_reason text,
  hash text not null,
  primary key (draw_id, seq));
create trigger draw_entries_fixed before update of draw_id, seq, kind, prize_number, prize_name, prize_item, round,
  phone, name, comment, time, voids_seq, reason, hash on draw_entries
  begin select raise(abort, '抽奖记录只能追加，已记下的内容不能修改'); end;
create trigger draw_entries_voided_once before update of voided, void_reason on draw_entries when old.voided <> 0
  begin select raise(abort, '已作废的中奖记录不能再改动'); end;
create trigger draw_entries_kept before delete on draw_entries
  begin select raise(abort, '抽奖记录不能删除'); end;
create trigger draws_fixed before update of id, started on draws
  begin select raise(abort, '抽奖记录的场次不能修改'); end;
create trigger draws_kept before delete on draws
  begin select raise(abort, '抽奖记录不能删除'); end;
)";

namespace Detail {
/// Two texts as one, at compile time, so that a migration and a repair share one DDL text.
template <std::size_t N, std::size_t M>
constexpr std::array<char, N + M - 1> joined(const char (&a)[N], const char (&b)[M])
{
    std::array<char, N + M - 1> out{};
    for (std::size_t i = 0; i + 1 < N; ++i)
        out[i] = a[i];
    for (std::size_t i = 0; i < M; ++i)
        out[N - 1 + i] = b[i];
    return out;
}
inline constexpr auto MigrateTo2Text = joined(DrawRecordTables, "pragma user_version = 2;\n");
} // namespace Detail

/// Version 2: the draw record.
inline constexpr const char *MigrateTo2 = Detail::MigrateTo2Text.data();

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
/// The quicker form of the integrity check (no index contents compared with their tables), for
/// every start: one row "ok", otherwise what is wrong (it stops after three problems).
inline constexpr char QuickCheck[] = "pragma quick_check(3)";

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
inline constexpr char ParticipantSerialShape[] = "select count(*), count(distinct xh), min(xh), max(xh) from Tab_CJ";
inline constexpr char RenumberParticipants[] =
    "update Tab_CJ set xh = r.n from (select rowid as id, row_number() over (order by xh, rowid) as n"
    " from Tab_CJ) as r where Tab_CJ.rowid = r.id and Tab_CJ.xh is not r.n";

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
/// A winner as entered: the first row of the number by serial.
inline constexpr char ParticipantByPhone[] = "select Name, Comment from Tab_CJ where Tel = ? order by xh limit 1";
/// Marks every row of a winner's number as drawn.
inline constexpr char MarkDrawn[] = "update Tab_CJ set ZT = '1' where Tel = ?";

// --- The draw record (draws, draw_entries) ---------------------------------------------------
/// The names of a table's columns, to tell a record table that is missing or damaged.
inline constexpr char TableColumns[] = "select name from pragma_table_info(?)";
/// Whether the table exists, for the repair of the record's tables.
inline constexpr char TableExists[] =
    "select count(*) from sqlite_master where type = 'table' and name = ? collate nocase";
/// A table's columns with whether they must hold a value that the program would not write.
inline constexpr char TableColumnRules[] = "select name, \"notnull\" and dflt_value is null from pragma_table_info(?)";
/// The quick check of one table and its indexes: one row "ok" when sound.
inline constexpr char TableQuickCheck[] = "select * from pragma_quick_check(?)";
/// Whether any schema object (table, index, trigger, view) already has the name.
inline constexpr char SchemaNameTaken[] = "select count(*) from sqlite_master where name = ? collate nocase";
inline constexpr char TableTriggers[] =
    "select name from sqlite_master where type = 'trigger' and tbl_name = ? collate nocase";
/// Names cannot be bound: %1 and %2 are quoted identifiers, the record's own table names and
/// names the program makes from the time or reads from the schema (DrawRecordStore::repairTables()).
inline constexpr char DropTrigger[] = "drop trigger %1";
inline constexpr char RenameTable[] = "alter table %1 rename to %2";
inline constexpr char StartDraw[] = "insert into draws(started) values(?) returning id";
inline constexpr char LatestDraw[] = "select id, started, finished from draws order by id desc limit 1";
inline constexpr char DrawById[] = "select id, started, finished from draws where id = ?";
/// A draw is finished once; finishing it again keeps the first time.
inline constexpr char ReopenDraw[] = "update draws set finished = null where id = ?";
inline constexpr char FinishDraw[] = "update draws set finished = ? where id = ? and finished is null";
inline constexpr char LastDrawEntry[] =
    "select seq, hash from draw_entries where draw_id = ? order by seq desc limit 1";
inline constexpr char InsertDrawEntry[] =
    "insert into draw_entries(draw_id, seq, kind, prize_number, prize_name, prize_item, round, phone, name, comment,"
    " time, voids_seq, reason, hash) values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
/// A draw's entries in chain order; DrawRecordStore reads the columns in this order.
inline constexpr char DrawEntries[] =
    "select draw_id, seq, kind, prize_number, prize_name, prize_item, round, phone, name, comment, time, voids_seq,"
    " reason, voided, void_reason, hash from draw_entries where draw_id = ? order by seq";
inline constexpr char DrawEntry[] =
    "select draw_id, seq, kind, prize_number, prize_name, prize_item, round, phone, name, comment, time, voids_seq,"
    " reason, voided, void_reason, hash from draw_entries where draw_id = ? and seq = ?";
inline constexpr char MarkWinVoided[] = "update draw_entries set voided = 1, void_reason = ?"
                                        " where draw_id = ? and seq = ? and kind = 'win' and voided = 0";

} // namespace Sql
