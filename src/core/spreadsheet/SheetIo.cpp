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
        throw Error(QStringLiteral("文件“%2”太大（超过 %1 MB），无法导入。请删除表格中不需要的内容，"
                                   "或者另存为 .csv 格式后重新导入。")
                        .arg(QString::number(maxBytes / (1024 * 1024)), Files::displayPath(path)));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwCannotOpen(path, file.errorString());
    return bytes;
}

QString withDetail(const QString &text, const QString &label, const QString &detail)
{
    // Appended, not substituted, so that a "%1" in the detail stays as it is.
    if (detail.isEmpty())
        return text;
    return text + QStringLiteral("（") + label + QStringLiteral("：") + detail + QStringLiteral("）");
}

void throwCannotOpen(const QString &path, const QString &reason)
{
    throw Error(withDetail(QStringLiteral("无法打开文件“%1”。请确认文件存在、没有被其他程序独占，"
                                          "并且当前用户可以读取它，然后重试。")
                               .arg(Files::displayPath(path)),
                           QStringLiteral("系统报告"), reason));
}

void throwCorrupt(const QString &path, const QString &formatName, const QString &detail)
{
    throw Error(withDetail(QStringLiteral("文件“%2”已损坏，或者不是有效的 %1。请确认选择的是参选人名单；"
                                          "如果是，请用 Excel 或 WPS 表格打开它，另存为 .xlsx 格式后重新导入。")
                               .arg(formatName, Files::displayPath(path)),
                           QStringLiteral("详细信息"), detail));
}

void throwEmpty(const QString &path)
{
    throw Error(QStringLiteral("文件“%1”是空的，里面没有任何内容。请选择保存了参选人名单的表格文件。")
                    .arg(Files::displayPath(path)));
}

void throwProtected(const QString &path)
{
    throw Error(QStringLiteral("文件“%1”设有密码，无法读取。请在 Excel 或 WPS 表格中打开它，取消密码后保存，"
                               "再重新导入。")
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
