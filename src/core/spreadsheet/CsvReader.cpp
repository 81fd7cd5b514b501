#include "core/spreadsheet/CsvReader.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/base/Gbk.h"
#include "core/spreadsheet/SheetIo.h"

#include <QFile>
#include <QStringDecoder>

namespace CsvReader {

QString decode(const QByteArray &bytes, const QString &path)
{
    const auto startsWith = [&bytes](const char *bom, int n) {
        return bytes.size() >= n && memcmp(bytes.constData(), bom, n) == 0;
    };
    if (startsWith("\xEF\xBB\xBF", 3)) {
        QStringDecoder utf8(QStringConverter::Utf8);
        return utf8(QByteArrayView(bytes).sliced(3));
    }
    if (startsWith("\xFF\xFE", 2)) {
        QStringDecoder utf16(QStringConverter::Utf16LE);
        return utf16(QByteArrayView(bytes).sliced(2));
    }
    if (startsWith("\xFE\xFF", 2)) {
        QStringDecoder utf16(QStringConverter::Utf16BE);
        return utf16(QByteArrayView(bytes).sliced(2));
    }
    // Text files have no NUL bytes; a picture or an archive renamed to .csv has many.
    if (bytes.contains('\0'))
        SheetIo::throwCorrupt(path, QStringLiteral("CSV 文本文件"), QStringLiteral("其中有文本文件不会有的二进制数据"));
    // Anything not UTF-8 comes from a Chinese Windows program and is GBK.
    return Gbk::decodeUtf8OrGbk(bytes);
}

SheetData parse(const QByteArray &bytes, const QString &path)
{
    const QString text = decode(bytes, path);
    SheetData data(path);
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    const auto atFieldEnd = [&p, end] {
        return p == end || *p == QLatin1Char(',') || *p == QLatin1Char('\n') || *p == QLatin1Char('\r');
    };
    int row = 1;
    int column = 1;
    QString field;
    while (p < end) {
        if (*p == QLatin1Char('"')) {
            ++p;
            field.resize(0);
            const QChar *start = p;
            while (p < end) {
                if (*p == QLatin1Char('"')) {
                    field.append(start, p - start);
                    if (p + 1 < end && p[1] == QLatin1Char('"')) {
                        field.append(QLatin1Char('"'));
                        p += 2;
                        start = p;
                        continue;
                    }
                    start = ++p;
                    break;
                }
                ++p;
            }
            if (p == end && start < end) // an unterminated quote takes the rest of the file
                field.append(start, end - start);
            // Characters after the closing quote belong to the field as they stand.
            start = p;
            while (!atFieldEnd())
                ++p;
            field.append(start, p - start);
            data.setCell(row, column, field);
        } else {
            const QChar *start = p;
            while (!atFieldEnd())
                ++p;
            if (p > start)
                data.setCell(row, column, QString(start, p - start));
        }
        if (p == end)
            break;
        if (*p == QLatin1Char(',')) {
            ++p;
            ++column;
            continue;
        }
        if (*p == QLatin1Char('\r') && p + 1 < end && p[1] == QLatin1Char('\n'))
            ++p;
        ++p;
        ++row;
        column = 1;
    }
    data.finish();
    return data;
}

SheetData read(const QString &path)
{
    const QByteArray bytes = SheetIo::readFile(path, MaxFileSize);
    if (bytes.isEmpty())
        SheetIo::throwEmpty(path);
    return parse(bytes, path);
}

} // namespace CsvReader
