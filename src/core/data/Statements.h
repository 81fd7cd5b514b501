#pragma once

/// Every SQL text the program runs, in one place, in the order the program first uses them.
/// Values are always bound ('?'), never pasted into the text, so a quote inside a phone
/// number or a name can never change a statement. Names match without regard to case, as
/// the store does.
struct Statement
{
    const char *sql;
    /// The table whose rows a select returns, for selects whose rows are changed with
    /// Edit/Post; such selects return the row identity as their first column "cj_rowid".
    const char *editTable = nullptr;
};

namespace Sql {

// --- Main window: loading and the exit purges -------------------------------------------
inline constexpr Statement LoadParticipants{"select * from Tab_CJ order by xh"};
inline constexpr Statement PurgeParticipants{"delete from Tab_CJ where (tel is null) or (tel = '')"};
inline constexpr Statement ClearParticipants{"delete from Tab_CJ"};

// --- Participant editing ----------------------------------------------------------------
inline constexpr Statement InsertParticipant{"insert into Tab_CJ(xh) values(?)"};
inline constexpr Statement SaveParticipant{"update Tab_CJ set Tel = ?,\r\n name = ?,\r\n Comment = ? where xh = ?"};
inline constexpr Statement DeleteParticipant{"delete from Tab_CJ where xh = ?"};
/// Moves every participant below a deleted one up by one serial, in one statement.
inline constexpr Statement RenumberParticipantsAfter{"update Tab_CJ set xh = xh - 1 where XH > ?"};
inline constexpr Statement ParticipantExists{"select count(*) as cnt from Tab_CJ where xh = ?"};

// --- Import -------------------------------------------------------------------------------
inline constexpr Statement ImportClear{"delete from Tab_CJ"};
inline constexpr Statement ImportPurge{"delete from Tab_CJ where tel = ''"};

// --- Draw: roll and stop -----------------------------------------------------------------
/// One pass of the roll: every row's number and mark, read afresh at every pass. The roll
/// keeps the numbers that are not blank, sit on a row not drawn yet and on no drawn row, once
/// each, in its own order. A plain scan of the table reads 100,000 rows in a third of the
/// time that a "not in" or "group by" form needs.
inline constexpr Statement RollPass{"select Tel, ZT from Tab_CJ"};
/// Every row holding a winner's number; the first gives the name, each is marked.
inline constexpr Statement FindWinner{"select rowid as cj_rowid, * from Tab_CJ where tel = ? order by xh", "Tab_CJ"};
inline constexpr Statement ResultName{"select name from tab_cj where tel = ? order by xh"};

// --- Prize table --------------------------------------------------------------------------
inline constexpr Statement LoadPrizes{"select * from Tab_set order by xh"};
inline constexpr Statement PurgePrizes{"delete from Tab_Set where (name = '') or (name is null)"};
inline constexpr Statement InsertPrize{"insert into Tab_SET(xh) values(?)"};
inline constexpr Statement SavePrize{
    "update Tab_set set name = ?,\r\n quantity = ?,\r\n rs = ?,\r\n jp = ?,\r\n comment = ? where xh = ?"};
inline constexpr Statement DeletePrize{"delete from Tab_set where xh = ?"};
inline constexpr Statement RenumberPrizesAfter{"update Tab_set set xh = xh - 1 where XH > ?"};
inline constexpr Statement PrizeExists{"select count(*) as cnt from Tab_set where xh = ?"};

// --- Draw schedule ------------------------------------------------------------------------
inline constexpr Statement CountPrizes{"select Count(*) as cnt from Tab_Set"};
inline constexpr Statement LoadPrizePlan{"select * from Tab_Set order by xh"};
inline constexpr Statement PrizeName{"select name from Tab_Set where xh = ?"};

// --- Keeping serials 1..n -----------------------------------------------------------------
inline constexpr Statement ParticipantSerialShape{
    "select count(*) as cnt, count(distinct xh) as d, min(xh) as lo, max(xh) as hi from Tab_CJ"};
inline constexpr Statement RenumberParticipantsInOrder{
    "update Tab_CJ set xh = r.n from (select rowid as id, row_number() over (order by xh, rowid) as n"
    " from Tab_CJ) as r where Tab_CJ.rowid = r.id and Tab_CJ.xh is not r.n"};
inline constexpr Statement PrizeSerialShape{
    "select count(*) as cnt, count(distinct xh) as d, min(xh) as lo, max(xh) as hi from Tab_Set"};
inline constexpr Statement RenumberPrizesInOrder{
    "update Tab_Set set xh = r.n from (select rowid as id, row_number() over (order by xh, rowid) as n"
    " from Tab_Set) as r where Tab_Set.rowid = r.id and Tab_Set.xh is not r.n"};

} // namespace Sql
