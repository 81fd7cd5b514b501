#include "core/base/Gbk.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace {

struct Iconv
{
    iconv_t cd;
    Iconv(const char *to, const char *from)
        : cd(iconv_open(to, from))
    {
    }
    ~Iconv()
    {
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

} // namespace

namespace Gbk {

QString decode(const QByteArray &bytes)
{
    Iconv conv("UTF-16LE", "GBK");
    if (conv.cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char16_t buffer[1024];
    while (inLeft > 0) {
        char *o = reinterpret_cast<char *>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(conv.cd, &in, &inLeft, &o, &outLeft);
        out.append(QStringView(buffer, qsizetype((sizeof(buffer) - outLeft) / 2)));
        if (rc == size_t(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: keep going past one byte.
            out.append(QChar(0xFFFD));
            ++in;
            --inLeft;
        }
    }
    return out;
}

QString decodeUtf8OrGbk(const QByteArray &bytes)
{
    // GBK text is hardly ever valid UTF-8: its trail bytes rarely follow UTF-8's rules.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return decode(bytes);
}

bool encode(const QString &text, QByteArray *out)
{
    out->clear();
    Iconv conv("GBK", "UTF-16LE");
    if (conv.cd == iconv_t(-1))
        return false;
    char *in = const_cast<char *>(reinterpret_cast<const char *>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    QByteArray result(text.size() * 2 + 16, Qt::Uninitialized);
    char *o = result.data();
    size_t outLeft = size_t(result.size());
    if (iconv(conv.cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) {
        return false;
    }
    result.resize(result.size() - qsizetype(outLeft));
    *out = result;
    return true;
}

} // namespace Gbk
