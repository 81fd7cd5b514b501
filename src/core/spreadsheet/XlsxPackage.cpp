#include "core/spreadsheet/XlsxPackage.h"

#include "core/base/Error.h"
#include "core/base/Files.h"

#include <QFile>

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>

namespace {

const QString formatName = QStringLiteral("Excel 工作簿（.xlsx）");
constexpr qint64 chunkSize = 64 * 1024;

} // namespace

XlsxPackage::XlsxPackage(const QString &path)
    : m_path(path)
{
    SheetIo::ensureGsf();
    SheetIo::GErrorHolder inputError;
    m_input.reset(gsf_input_stdio_new(QFile::encodeName(path).constData(), inputError.out()));
    if (!m_input)
        SheetIo::throwCannotOpen(path, inputError.message());
    SheetIo::GErrorHolder zipError;
    m_zip.reset(gsf_infile_zip_new(m_input.get(), zipError.out()));
    if (!m_zip)
        SheetIo::throwCorrupt(path, formatName, zipError.message());
}

SheetIo::GPtr<GsfInput> XlsxPackage::part(const QString &name) const
{
    const QList<QByteArray> pieces = name.toUtf8().split('/');
    std::vector<const char *> names;
    for (const QByteArray &piece : pieces) {
        if (piece.isEmpty())
            return nullptr;
        names.push_back(piece.constData());
    }
    names.push_back(nullptr);
    return SheetIo::GPtr<GsfInput>(gsf_infile_child_by_aname(m_zip.get(), names.data()));
}

QString XlsxPackage::resolve(const QString &sourcePart, const QString &target)
{
    QStringList parts;
    if (!target.startsWith(QLatin1Char('/'))) {
        parts = sourcePart.split(QLatin1Char('/'));
        parts.removeLast();
    }
    for (const QString &piece : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (piece != QLatin1String("."))
            parts.append(piece);
    }
    return parts.join(QLatin1Char('/'));
}

QString XlsxPackage::relsPartOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

XmlPartReader::XmlPartReader(const XlsxPackage &package, SheetIo::GPtr<GsfInput> input, const QString &partName)
    : m_package(package)
    , m_input(std::move(input))
    , m_partName(partName)
{
    if (!m_input)
        fail(QStringLiteral("缺少 %1").arg(partName));
    m_remaining = gsf_input_size(m_input.get());
    if (m_remaining > XlsxPackage::MaxPartSize) {
        throw Error(QStringLiteral("文件“%3”太大，无法导入：其中的 %1 解压后超过 %2 MB。"
                                   "请删除表格中不需要的内容，或者另存为 .csv 格式后重新导入。")
                        .arg(partName, QString::number(XlsxPackage::MaxPartSize / (1024 * 1024)),
                             Files::displayPath(package.path())));
    }
}

bool XmlPartReader::feed()
{
    if (m_remaining <= 0)
        return false;
    const qint64 n = std::min(m_remaining, chunkSize);
    const guint8 *bytes = gsf_input_read(m_input.get(), size_t(n), nullptr);
    if (!bytes)
        fail(QStringLiteral("%1 无法解压").arg(m_partName));
    m_xml.addData(QByteArray(reinterpret_cast<const char *>(bytes), n));
    m_remaining -= n;
    return true;
}

QXmlStreamReader::TokenType XmlPartReader::readNext()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++m_depth;
            m_rootSeen = true;
        } else if (token == QXmlStreamReader::EndElement) {
            --m_depth;
        }
        if (token != QXmlStreamReader::Invalid)
            return token;
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            fail(QStringLiteral("%1：%2").arg(m_partName, m_xml.errorString()));
        if (!feed()) {
            // The reader waits for what may follow the root element; with no more data and
            // the root closed, the document is complete.
            if (m_rootSeen && m_depth == 0)
                return QXmlStreamReader::EndDocument;
            fail(QStringLiteral("%1 不完整，提前结束了").arg(m_partName));
        }
    }
}

QString XmlPartReader::readText()
{
    QString text;
    int depth = 0;
    for (;;) {
        switch (readNext()) {
        case QXmlStreamReader::Characters:
            if (depth == 0)
                text += m_xml.text();
            break;
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            if (depth-- == 0)
                return text;
            break;
        case QXmlStreamReader::EndDocument:
            fail(QStringLiteral("%1 不完整，提前结束了").arg(m_partName));
        default:
            break;
        }
    }
}

void XmlPartReader::skipElement()
{
    int depth = 0;
    for (;;) {
        switch (readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            if (depth-- == 0)
                return;
            break;
        case QXmlStreamReader::EndDocument:
            fail(QStringLiteral("%1 不完整，提前结束了").arg(m_partName));
        default:
            break;
        }
    }
}

void XmlPartReader::fail(const QString &detail) const
{
    SheetIo::throwCorrupt(m_package.path(), formatName, detail);
}
