#include "core/spreadsheet/SheetFormat.h"

#include <QFileInfo>

#include <climits>

namespace SheetFormats {

std::optional<SheetFormat> fromFileName(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix();
    if (ext.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return SheetFormat::Xls;
    if (ext.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return SheetFormat::Xlsx;
    if (ext.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return SheetFormat::Csv;
    return std::nullopt;
}

QString suffix(SheetFormat format)
{
    switch (format) {
    case SheetFormat::Xls:
        return QStringLiteral(".xls");
    case SheetFormat::Xlsx:
        return QStringLiteral(".xlsx");
    case SheetFormat::Csv:
        return QStringLiteral(".csv");
    }
    return QString();
}

QStringList dialogFilters()
{
    return {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.csv"),
            QStringLiteral("*.xls *.xlsx *.csv")};
}

SheetFormat forExport(const QString &fileName, const QString &chosenFilter)
{
    if (const auto byName = fromFileName(fileName))
        return *byName;
    if (chosenFilter == QLatin1String("*.xlsx"))
        return SheetFormat::Xlsx;
    if (chosenFilter == QLatin1String("*.csv"))
        return SheetFormat::Csv;
    return SheetFormat::Xls;
}

int maxRows(SheetFormat format)
{
    switch (format) {
    case SheetFormat::Xls:
        return XlsMaxRows;
    case SheetFormat::Xlsx:
        return XlsxMaxRows;
    case SheetFormat::Csv:
        break;
    }
    return INT_MAX;
}

int maxColumns(SheetFormat format)
{
    switch (format) {
    case SheetFormat::Xls:
        return XlsMaxColumns;
    case SheetFormat::Xlsx:
        return XlsxMaxColumns;
    case SheetFormat::Csv:
        break;
    }
    return INT_MAX;
}

} // namespace SheetFormats
