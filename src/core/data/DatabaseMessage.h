#pragma once

#include <QString>

/// What the operator is told when the database fails: the file, what went wrong in words an
/// operator can act on, what to do, and SQLite's own text as a detail at the end.
namespace DatabaseMessage {

/// When the failure happened: while the program opens the file (at start-up, or a roll
/// worker's own connection), or later, while a command reads or writes it.
enum class Stage { Opening, Working };

/// The Chinese message for SQLite's result code (primary or extended) and its text, for the
/// database file @p file. The file name goes in last, so a name that holds "%1" stays as it is.
QString text(int resultCode, const QString &engineText, const QString &file, Stage stage);

} // namespace DatabaseMessage
