#include "core/base/Text.h"

#include "core/base/Error.h"

namespace Text {

QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

bool tryToInteger(const QString &text, int *value)
{
    const QString t = trimmed(text);
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    qsizetype i = 0;
    bool negative = false;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-')) {
        negative = t.at(0) == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size())
        return false;
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > qint64(2147483648))
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647 || v < -qint64(2147483648))
        return false;
    *value = int(v);
    return true;
}

int toInteger(const QString &text)
{
    int v = 0;
    if (!tryToInteger(text, &v))
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}

} // namespace Text
