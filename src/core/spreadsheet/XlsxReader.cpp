#include "core/spreadsheet/XlsxReader.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/spreadsheet/XlsxPackage.h"

#include <charconv>
#include <vector>

namespace {

const QString formatName = QStringLiteral("Excel 工作簿（.xlsx）");
constexpr int maxRow = 1048576;
constexpr int maxColumn = 16384;

struct Relationship
{
    QString id;
    QString type;
    QString target; // resolved part name
};

std::vector<Relationship> readRelationships(const XlsxPackage &package, const QString &sourcePart)
{
    std::vector<Relationship> result;
    const QString relsPart = XlsxPackage::relsPartOf(sourcePart);
    SheetIo::GPtr<GsfInput> input = package.part(relsPart);
    if (!input)
        return result;
    XmlPartReader reader(package, std::move(input), relsPart);
    while (reader.readNext() != QXmlStreamReader::EndDocument) {
        if (reader.xml().tokenType() != QXmlStreamReader::StartElement || reader.xml().name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = reader.xml().attributes();
        if (attributes.value(QLatin1String("TargetMode")) == u"External")
            continue;
        result.push_back(Relationship{
            attributes.value(QLatin1String("Id")).toString(), attributes.value(QLatin1String("Type")).toString(),
            XlsxPackage::resolve(sourcePart, attributes.value(QLatin1String("Target")).toString())});
    }
    return result;
}

const Relationship *findByType(const std::vector<Relationship> &relationships, QStringView typeSuffix)
{
    for (const Relationship &r : relationships) {
        if (r.type.endsWith(typeSuffix))
            return &r;
    }
    return nullptr;
}

// The relationship id of the first <sheet> of the workbook (the r:id attribute).
QString firstSheetId(const XlsxPackage &package, const QString &workbookPart)
{
    XmlPartReader reader(package, package.part(workbookPart), workbookPart);
    while (reader.readNext() != QXmlStreamReader::EndDocument) {
        if (reader.xml().tokenType() != QXmlStreamReader::StartElement || reader.xml().name() != u"sheet")
            continue;
        for (const QXmlStreamAttribute &a : reader.xml().attributes()) {
            if (a.name() == u"id" && !a.namespaceUri().isEmpty())
                return a.value().toString();
        }
        reader.fail(QStringLiteral("第一个工作表缺少关系编号"));
    }
    reader.fail(QStringLiteral("工作簿中没有工作表"));
}

// The text of an <si> or <is> element: plain <t>, or the <t> of every rich run; phonetic
// runs (<rPh>) are readings, not part of the text.
QString readStringItem(XmlPartReader &reader)
{
    QString text;
    int depth = 0;
    for (;;) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (reader.xml().name() == u"t") {
                text += reader.readText();
            } else if (reader.xml().name() == u"rPh") {
                reader.skipElement();
            } else {
                ++depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (depth-- == 0)
                return XlsxReader::decodeEscapes(text);
            break;
        case QXmlStreamReader::EndDocument:
            reader.fail(QStringLiteral("字符串不完整，提前结束了"));
        default:
            break;
        }
    }
}

std::vector<QString> readSharedStrings(const XlsxPackage &package, const QString &part)
{
    std::vector<QString> strings;
    SheetIo::GPtr<GsfInput> input = package.part(part);
    if (!input)
        return strings;
    XmlPartReader reader(package, std::move(input), part);
    while (reader.readNext() != QXmlStreamReader::EndDocument) {
        if (reader.xml().tokenType() == QXmlStreamReader::StartElement && reader.xml().name() == u"si") {
            if (qsizetype(strings.size()) >= SheetData::MaxCells)
                reader.fail(QStringLiteral("共享字符串太多"));
            strings.push_back(readStringItem(reader));
        }
    }
    return strings;
}

// Parses "C12" (column letters, then the row) or "C" (row 0: the current row).
bool parseCellRef(QStringView ref, int *row, int *column)
{
    qsizetype i = 0;
    int col = 0;
    while (i < ref.size() && i < 4) {
        const char16_t c = ref[i].unicode() & ~0x20; // upper case for letters
        if (c < u'A' || c > u'Z')
            break;
        col = col * 26 + (c - u'A' + 1);
        ++i;
    }
    if (i == 0 || col > maxColumn)
        return false;
    int r = 0;
    const qsizetype digitsStart = i;
    while (i < ref.size() && i - digitsStart < 8) {
        const char16_t c = ref[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        r = r * 10 + (c - u'0');
        ++i;
    }
    if (i != ref.size() || r > maxRow || (i > digitsStart && r == 0))
        return false;
    *column = col;
    *row = i > digitsStart ? r : 0;
    return true;
}

// The text of a number cell: the writer's digits when they are already plain, otherwise the
// value formatted like every other number of the import.
QString numberValue(const QString &v)
{
    bool plain = !v.isEmpty() && v.size() <= 15 && (v.size() == 1 || v.front() != u'0');
    for (qsizetype i = 0; plain && i < v.size(); ++i)
        plain = v[i] >= u'0' && v[i] <= u'9';
    if (plain || v.isEmpty() || v.size() >= 64)
        return v;
    char buf[64];
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i].unicode() > 127)
            return v;
        buf[i] = char(v[i].unicode());
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(buf, buf + v.size(), value);
    if (ec != std::errc() || end != buf + v.size())
        return v;
    return SheetIo::numberText(value);
}

void readWorksheet(const XlsxPackage &package, const QString &part, const std::vector<QString> &sharedStrings,
                   SheetData *data)
{
    SheetIo::GPtr<GsfInput> input = package.part(part);
    if (!input)
        SheetIo::throwCorrupt(package.path(), formatName, QStringLiteral("缺少工作表 %1").arg(part));
    XmlPartReader reader(package, std::move(input), part);
    QXmlStreamReader &xml = reader.xml();
    int row = 0;
    int column = 0;
    QString value;
    while (reader.readNext() != QXmlStreamReader::EndDocument) {
        if (xml.tokenType() == QXmlStreamReader::EndElement && xml.name() == u"sheetData")
            break; // nothing after the cells matters here
        if (xml.tokenType() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row") {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            int number = row + 1;
            if (!r.isEmpty()) {
                bool ok = r.size() <= 7;
                number = ok ? r.toInt(&ok) : 0;
                if (!ok || number < 1)
                    reader.fail(QStringLiteral("行号 %1 无效").arg(r));
            }
            if (number > maxRow)
                reader.fail(QStringLiteral("行数太多"));
            row = number;
            column = 0;
            continue;
        }
        if (xml.name() != u"c")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView ref = attributes.value(QLatin1String("r"));
        int cellRow = 0;
        int cellColumn = column + 1;
        if (!ref.isEmpty() && !parseCellRef(ref, &cellRow, &cellColumn))
            reader.fail(QStringLiteral("单元格位置 %1 无效").arg(ref));
        if (cellRow == 0)
            cellRow = std::max(row, 1);
        if (cellColumn > maxColumn)
            reader.fail(QStringLiteral("列数太多"));
        row = cellRow;
        column = cellColumn;
        const QStringView type = attributes.value(QLatin1String("t")); // attributes outlive its use
        bool hasValue = false;
        value.clear();
        for (;;) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::EndElement)
                break; // the end of <c>
            if (token == QXmlStreamReader::EndDocument)
                reader.fail(QStringLiteral("单元格不完整，提前结束了"));
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"v") {
                value = reader.readText();
                hasValue = true;
            } else if (xml.name() == u"is") {
                value = readStringItem(reader);
                hasValue = true;
            } else {
                reader.skipElement(); // formula, extensions
            }
        }
        if (!hasValue)
            continue;
        if (type == u"s") {
            bool ok = false;
            const qulonglong index = value.trimmed().toULongLong(&ok);
            if (!ok || index >= sharedStrings.size())
                reader.fail(QStringLiteral("单元格 %1 引用的共享字符串不存在").arg(ref));
            data->setCell(cellRow, cellColumn, sharedStrings[index]);
        } else if (type == u"inlineStr") {
            data->setCell(cellRow, cellColumn, value);
        } else if (type == u"str") {
            data->setCell(cellRow, cellColumn, XlsxReader::decodeEscapes(value));
        } else if (type == u"b") {
            data->setCell(cellRow, cellColumn,
                          value == u"1"   ? QStringLiteral("TRUE")
                          : value == u"0" ? QStringLiteral("FALSE")
                                          : value);
        } else if (type.isEmpty() || type == u"n") {
            data->setCell(cellRow, cellColumn, numberValue(value));
        } else {
            data->setCell(cellRow, cellColumn, value); // "e" (error text), "d" (ISO date)
        }
    }
}

} // namespace

namespace XlsxReader {

QString decodeEscapes(const QString &text)
{
    qsizetype at = text.indexOf(u"_x");
    if (at < 0)
        return text;
    QString out;
    qsizetype from = 0;
    while (at >= 0) {
        bool ok = false;
        const ushort code = at + 7 <= text.size() && text[at + 6] == u'_' ? text.mid(at + 2, 4).toUShort(&ok, 16) : 0;
        if (ok) {
            out += QStringView(text).mid(from, at - from);
            out += QChar(code);
            from = at + 7;
        }
        at = text.indexOf(u"_x", ok ? at + 7 : at + 1);
    }
    out += QStringView(text).mid(from);
    return out;
}

SheetData read(const QString &path)
{
    XlsxPackage package(path);

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    const std::vector<Relationship> packageRelationships = readRelationships(package, QString());
    if (const Relationship *r = findByType(packageRelationships, u"/officeDocument"))
        workbookPart = r->target;
    if (!package.hasPart(workbookPart)) {
        if (package.hasPart(QStringLiteral("content.xml")) && package.hasPart(QStringLiteral("mimetype"))) {
            throw Error(QStringLiteral("文件“%1”是 OpenDocument 表格（.ods），不是 .xlsx 工作簿。"
                                       "请用 WPS 表格或 LibreOffice 打开它，另存为 .xlsx 格式后重新导入。")
                            .arg(Files::displayPath(path)));
        }
        SheetIo::throwCorrupt(path, formatName, QStringLiteral("文件中没有工作簿"));
    }

    const QString sheetId = firstSheetId(package, workbookPart);
    const std::vector<Relationship> relationships = readRelationships(package, workbookPart);
    QString sheetPart;
    for (const Relationship &r : relationships) {
        if (r.id == sheetId)
            sheetPart = r.target;
    }
    if (sheetPart.isEmpty())
        SheetIo::throwCorrupt(path, formatName, QStringLiteral("找不到第一个工作表"));
    const Relationship *strings = findByType(relationships, u"/sharedStrings");
    const std::vector<QString> sharedStrings = readSharedStrings(
        package, strings ? strings->target : XlsxPackage::resolve(workbookPart, QStringLiteral("sharedStrings.xml")));

    SheetData data(path);
    readWorksheet(package, sheetPart, sharedStrings, &data);
    data.finish();
    return data;
}

} // namespace XlsxReader
