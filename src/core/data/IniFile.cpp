#include "core/data/IniFile.h"

#include "core/base/Files.h"
#include "core/base/Gbk.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr qsizetype MaxValueLength = 2047;
const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool isProfileBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString stripBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isProfileBlank(s.at(b)))
        ++b;
    while (e > b && isProfileBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

/// The section name of a "[name]" line, or a null string for any other line.
QString sectionName(const QString &line)
{
    const QString t = stripBlanks(line);
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    return stripBlanks(t.mid(1, close < 0 ? -1 : close - 1)) + QStringLiteral(""); // never null
}

/// Splits a "key=value" line; false for lines without an equals sign.
bool splitEntry(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = stripBlanks(line.left(eq));
    *value = line.mid(eq + 1);
    return true;
}

} // namespace

IniFile::IniFile(const QString &path)
    : m_path(path)
{
}

IniFile::Content IniFile::load() const
{
    Content content;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return content;
    QByteArray bytes = file.readAll();
    QString text;
    if (bytes.startsWith(Utf8Bom)) {
        content.utf8 = true;
        text = QString::fromUtf8(bytes.mid(Utf8Bom.size()));
    } else {
        // The Windows program writes GBK; an editor on Linux saves UTF-8 without a mark.
        text = Gbk::decodeUtf8OrGbk(bytes);
    }
    if (text.isEmpty())
        return content;
    content.lines = text.split(QLatin1Char('\n'));
    if (content.lines.last().isEmpty())
        content.lines.removeLast(); // the line end of the last line
    for (QString &line : content.lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return content;
}

QString IniFile::value(const QString &section, const QString &key) const
{
    const Content content = load();
    bool inSection = false;
    for (const QString &line : content.lines) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            if (inSection)
                break; // only the first section of that name is read
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString k, v;
        if (!inSection || !splitEntry(line, &k, &v) || k.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        v = stripBlanks(v);
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return v.left(MaxValueLength);
    }
    return QStringLiteral("");
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString entry = key + QLatin1Char('=') + value;

    Content content = load();
    QStringList &lines = content.lines;
    qsizetype sectionLine = -1;
    qsizetype insertAt = -1;
    bool written = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines.at(i));
        if (!name.isNull()) {
            if (sectionLine >= 0)
                break;
            if (name.compare(section, Qt::CaseInsensitive) == 0) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        QString k, v;
        if (splitEntry(lines.at(i), &k, &v)) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                written = true;
                break;
            }
        }
        if (!stripBlanks(lines.at(i)).isEmpty())
            insertAt = i + 1; // after the last non-blank line of the section
    }
    if (!written) {
        if (sectionLine >= 0) {
            lines.insert(insertAt, entry);
        } else {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }

    const QString joined = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QByteArray bytes;
    if (content.utf8 || !Gbk::encode(joined, &bytes))
        bytes = Utf8Bom + joined.toUtf8();

    Files::checkWritable(m_path);
    QSaveFile file(m_path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        Files::throwCannotWrite(m_path);
}
