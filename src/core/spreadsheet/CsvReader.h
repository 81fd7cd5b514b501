#pragma once

#include "core/spreadsheet/SheetData.h"

#include <QByteArray>

namespace CsvReader {

/// Most bytes of a CSV file the import reads.
inline constexpr qint64 MaxFileSize = 512ll * 1024 * 1024;

/// Reads a comma-separated file: UTF-8 (with or without byte order mark), UTF-16 with a byte
/// order mark, otherwise GBK; quoted fields with "" for a quote and line breaks inside;
/// CR LF, LF or CR line ends. Throws Error naming the file when it cannot be read.
SheetData read(const QString &path);

/// The same for bytes already in memory; @p path only names the file in messages.
SheetData parse(const QByteArray &bytes, const QString &path);

/// Decodes the bytes of a text file as described for read().
QString decode(const QByteArray &bytes, const QString &path);

} // namespace CsvReader
