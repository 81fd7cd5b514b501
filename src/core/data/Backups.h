#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

/// Copies of the database file in the folder "backup" beside it, named
/// `<name>-<yyyyMMdd-HHmmss-zzz>.<suffix>` (CJ-20240501-201503-045.mdb for CJ.mdb), and the way
/// back from them to a damaged file. Every function opens connections of its own, so a backup
/// runs on a worker thread while the program's connection keeps writing. Files in that folder
/// with other names are never touched.
namespace Backups {

/// How many backups are kept, and how many bytes they take up together. The newest backup is
/// kept whatever its size; the oldest ones go first.
struct Limits
{
    int count = 10;
    qint64 bytes = qint64(2) * 1024 * 1024 * 1024;
};

/// <folder of the database>/backup
QString folderOf(const QString &databaseFile);

/// The database's backups, newest first (by the time in their names).
QStringList list(const QString &databaseFile);

/// The time a backup was taken, read from its name; invalid for a name that is not a backup's.
QDateTime timeOf(const QString &backupFile);

/// Takes an online backup of the database (SQLite's backup API: a consistent copy of the last
/// commit, whatever other connections are writing) into a new file in folderOf(), then deletes
/// the oldest backups beyond @p limits. Returns the new backup's path. A half-written backup
/// never bears a backup's name. A copy that fails SQLite's quick check is deleted again, so that
/// a damaged database never pushes the sound backups out of the folder. Throws DatabaseError
/// when the database cannot be read or is damaged and WriteError when the backup cannot be
/// written, both naming the folder.
QString backUp(const QString &databaseFile, const Limits &limits = {});

/// The newest backup that opens, passes SQLite's integrity check and holds the participant
/// table; empty when there is none.
QString newestUsable(const QString &databaseFile);

/// A name beside the database that no file has yet, for moving a damaged file aside:
/// `CJ.mdb.damaged-<yyyyMMdd-HHmmss-zzz>`.
QString damagedName(const QString &databaseFile);

/// For a database that cannot be used (damaged, truncated, not a database): moves the damaged
/// file and its -wal and -shm aside to @p damagedFile (and its -wal, -shm), never overwriting
/// anything, and puts a copy of @p backup in its place. Every connection to the database must
/// be closed. Throws WriteError naming the folder when the files cannot be moved or copied; the
/// database's files are then as they were.
void restore(const QString &databaseFile, const QString &backup, const QString &damagedFile);

/// restore() with newestUsable() and a damagedName(). Returns the backup used; when none is
/// usable, nothing is moved and the result is empty.
QString restoreNewest(const QString &databaseFile);

} // namespace Backups
