#pragma once

class Database;

/// The versions of the database's schema. Each file records its version (PRAGMA
/// user_version); opening a file brings it up to this program's version by running the
/// migrations between the two, in order and in one transaction. A file made before versions
/// were recorded reads as version 0.
namespace Schema {

/// The version this program reads and writes.
int currentVersion();

/// Runs the migrations from the file's version to currentVersion(). A file of a newer
/// version is refused with a DatabaseError and left exactly as it is; a failing migration
/// leaves the file as it was.
void migrate(Database &db);

} // namespace Schema
