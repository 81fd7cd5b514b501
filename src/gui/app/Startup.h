#pragma once

#include <QString>

#include <memory>

class Database;

/// What the program does before its main window: open the database, and bring back what can
/// be brought back.
namespace Startup {

/// Opens the program's database for the run.
///
/// A file that is damaged, truncated or no database at all (and an empty file of 0 bytes, when
/// there is a usable backup to return to) is offered to be replaced by the newest backup that opens,
/// after moving it aside under a new name (Backups::restore()); it is never overwritten or
/// deleted. The operator may decline: a file that cannot be opened then ends the program, one
/// that opens but fails SQLite's quick check is used as it is. Without a usable backup the
/// operator is told so, with the same outcome.
///
/// Then a draw record whose tables are missing or damaged is repaired
/// (DrawRecordStore::repairTables()) and the operator told once what was renamed.
///
/// Returns nullptr when the program is to end, after saying why. Other failures (a missing
/// file, a lock another program holds, a file of a newer version, a restore that cannot write)
/// throw, for main()'s error box, as before.
std::unique_ptr<Database> openDatabase(const QString &file);

} // namespace Startup
