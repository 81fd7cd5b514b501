#pragma once

// Access to the parts of an .xlsx (ZIP) package through libgsf, with the size of every part
// capped so that a small hostile file cannot make the import inflate gigabytes.

#include "core/spreadsheet/SheetIo.h"

#include <QString>
#include <QXmlStreamReader>

#include <gsf/gsf-infile.h>

class XlsxPackage final
{
public:
    /// Most uncompressed bytes of one part.
    static constexpr qint64 MaxPartSize = 256ll * 1024 * 1024;

    /// Opens the package; throws Error naming the file when it is no ZIP archive.
    explicit XlsxPackage(const QString &path);

    /// The part of that name ("xl/workbook.xml"), or null when there is none.
    SheetIo::GPtr<GsfInput> part(const QString &name) const;
    bool hasPart(const QString &name) const { return part(name) != nullptr; }
    const QString &path() const { return m_path; }

    /// Resolves a relationship target against the folder of the part that refers to it.
    static QString resolve(const QString &sourcePart, const QString &target);
    /// The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
    static QString relsPartOf(const QString &part);

private:
    QString m_path;
    SheetIo::GPtr<GsfInput> m_input;
    SheetIo::GPtr<GsfInfile> m_zip;
};

/// Streams the XML of one part into a QXmlStreamReader chunk by chunk, so that the biggest
/// part, the worksheet, is never held in memory whole. Every failure throws Error.
class XmlPartReader final
{
public:
    XmlPartReader(const XlsxPackage &package, SheetIo::GPtr<GsfInput> input, const QString &partName);

    /// The next token; feeds more data when the reader runs dry. Returns EndDocument at the end.
    QXmlStreamReader::TokenType readNext();
    /// Reads the text up to the end of the current element (nested elements skipped).
    QString readText();
    /// Skips the rest of the current element, its children included.
    void skipElement();
    QXmlStreamReader &xml() { return m_xml; }
    /// Throws the damaged-file Error with @p detail.
    [[noreturn]] void fail(const QString &detail) const;

private:
    bool feed();

    const XlsxPackage &m_package;
    SheetIo::GPtr<GsfInput> m_input;
    QString m_partName;
    QXmlStreamReader m_xml;
    qint64 m_remaining = 0;
    int m_depth = 0;
    bool m_rootSeen = false;
};
