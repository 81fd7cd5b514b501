#pragma once

#include <QString>
#include <QStringList>

class Database;
class DatabaseError;

/// Telling a damaged database file from one that is merely missing, locked or refused, at start.
namespace DatabaseCheck {

/// Whether the failure to open or read a database says that the file itself is damaged: SQLite
/// found it corrupt (a damaged or truncated file) or no database at all. A missing file, a lock
/// another program holds or a file of a newer version is no damage.
bool isDamage(const DatabaseError &error);

/// What the damage is, in the operator's words, for a failure isDamage() accepts.
QString damageText(const DatabaseError &error);

/// An existing file of 0 bytes whose write-ahead log holds nothing either: SQLite would open it
/// as a new, empty database, and the participants would silently be gone.
bool isEmptyFile(const QString &databaseFile);

/// SQLite's quick check of every table and index: empty when the file is sound, otherwise what
/// was found, one line each, as SQLite words them (it stops after three problems). A file that cannot even be checked
/// because it is damaged gives SQLite's message; other failures throw DatabaseError.
QStringList problems(Database &db);

} // namespace DatabaseCheck
