#include "core/draw/PhoneMask.h"

#include "core/base/Text.h"

QString maskedPhone(const QString &number)
{
    QString masked = number;
    for (qsizetype i = 4; i < 7 && i < masked.size(); ++i)
        masked[i] = QLatin1Char('*');
    return Text::trimmed(masked);
}

QString hiddenMiddle(const QString &number)
{
    QString hidden = number;
    for (qsizetype i = 3; i < 7 && i < hidden.size(); ++i)
        hidden[i] = QLatin1Char('*');
    return hidden;
}

QString tileCaption(const QString &text, int column)
{
    if (column < 0 || column >= TilesPerRow || column >= text.size())
        return QString();
    return text.at(column);
}
