#pragma once

#include <QByteArray>
#include <QString>

/// The simplified-Chinese ANSI code page (GBK, code page 936) of files from the Windows world.
namespace Gbk {

/// Decodes GBK bytes; bytes that are not GBK become U+FFFD.
QString decode(const QByteArray &bytes);
/// Decodes a text file without a byte-order mark: bytes that are valid UTF-8 as UTF-8 (a file
/// saved by a Linux editor; plain ASCII is both), anything else as GBK.
QString decodeUtf8OrGbk(const QByteArray &bytes);
/// Encodes to GBK; returns false (and an empty array) when a character has no GBK form.
bool encode(const QString &text, QByteArray *out);

} // namespace Gbk
