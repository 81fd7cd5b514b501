#include "core/spreadsheet/SheetIo.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/spreadsheet/Ole2File.h"

#include <QDir>
#include <QFile>

#include <charconv>
#include <cmath>
#include <cstring>
#include <gsf/gsf-utils.h>
#include <mutex>

namespace SheetIo {

namespace {

// Writes the text of a number into buf (at least 400 bytes) and returns its length.
qsizetype formatNumber(double value, char *buf, qsizetype size)
{
    if (std::isnan(value) || std::isinf(value)) {
        // A sheet cannot hold these; a damaged file can. Excel shows the number error.
        static const char numError[] = "#NUM!";
        std::copy(numError, numError + 5, buf);
        return 5;
    }
    if (value == 0) {
        buf[0] = '0';
        return 1;
    }
    const std::to_chars_result r = value == std::trunc(value)
                                       ? std::to_chars(buf, buf + size, value, std::chars_format::fixed)
                                       : std::to_chars(buf, buf + size, value);
    return r.ec == std::errc() ? qsizetype(r.ptr - buf) : 0;
}

} // namespace

QString numberText(double value)
{
    char buf[400];
    const qsizetype n = formatNumber(value, buf, sizeof(buf));
    return QString::fromLatin1(buf, n);
}

Signature sniffBytes(const char *data, qsizetype size)
{
    static const char ole2[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (size == 0)
        return Signature::Empty;
    if (size >= 8 && memcmp(data, ole2, 8) == 0)
        return Signature::Ole2;
    if (size >= 4 && data[0] == 'P' && data[1] == 'K' &&
        ((data[2] == 3 && data[3] == 4) || (data[2] == 5 && data[3] == 6)))
        return Signature::Zip;
    return Signature::Other;
}

Signature sniff(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwCannotOpen(path, file.errorString());
    const QByteArray head = file.read(8);
    return sniffBytes(head.constData(), head.size());
}

QByteArray readFile(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwCannotOpen(path, file.errorString());
    if (file.size() > maxBytes) {
        throw Error(QStringLiteral("The file %1 is too large to import (more than %2 MB).")
                        .arg(Files::displayPath(path))
                        .arg(maxBytes / (1024 * 1024)));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwCannotOpen(path, file.errorString());
    return bytes;
}

void throwCannotOpen(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Unable to open %1: %2").arg(Files::displayPath(path), reason));
}

void throwCorrupt(const QString &path, const QString &formatName, const QString &detail)
{
    QString text =
        QStringLiteral("The file %1 is damaged or is not a valid %2 file").arg(Files::displayPath(path), formatName);
    if (!detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(detail);
    throw Error(text + QLatin1Char('.'));
}

void throwEmpty(const QString &path)
{
    throw Error(QStringLiteral("The file %1 is empty.").arg(Files::displayPath(path)));
}

void throwProtected(const QString &path)
{
    throw Error(QStringLiteral("The file %1 is password-protected. Open it in the spreadsheet program, remove the "
                               "password, save it and import it again.")
                    .arg(Files::displayPath(path)));
}

void ensureGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

void GObjectUnref::operator()(void *object) const
{
    if (object)
        g_object_unref(object);
}

GErrorHolder::~GErrorHolder()
{
    g_clear_error(&m_error);
}

QString GErrorHolder::message() const
{
    return m_error && m_error->message ? QString::fromUtf8(m_error->message) : QString();
}

Ole2Kind ole2Kind(const Ole2File &file)
{
    if (!file.isValid())
        return Ole2Kind::Unreadable;
    // Office keeps a password-protected .xlsx as EncryptionInfo and EncryptedPackage streams.
    if (file.hasStream(QStringLiteral("EncryptedPackage")) || file.hasStream(QStringLiteral("EncryptionInfo")))
        return Ole2Kind::EncryptedPackage;
    if (file.hasStream(QStringLiteral("Workbook")) || file.hasStream(QStringLiteral("Book")))
        return Ole2Kind::Workbook;
    return Ole2Kind::OtherDocument;
}

Ole2Kind ole2Kind(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Ole2Kind::Unreadable;
    return ole2Kind(Ole2File(file.readAll()));
}

} // namespace SheetIo
