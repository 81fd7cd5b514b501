#pragma once

#include <QString>

/// What the program's files have in common, whatever their format.
namespace Files {

/// The path as the operator knows it, for messages (the platform's separators).
QString displayPath(const QString &path);

/// Throws WriteError "Unable to write to <absolute path>" unless a file may be written at
/// the path: one that does not exist yet, or an existing file the user may write. A file
/// the operator made read-only stays as it is.
void checkWritable(const QString &path);

/// Throws WriteError "Unable to write to <absolute path>".
[[noreturn]] void throwCannotWrite(const QString &path);

} // namespace Files
