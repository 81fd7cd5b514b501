#pragma once

// Helpers shared by the spreadsheet readers and writers (not part of the public interface).

#include <QByteArray>
#include <QString>

#include <memory>

typedef struct _GError GError;
class Ole2File;

namespace SheetIo {

/// The decimal text of a number as a sheet shows its value: whole numbers without exponent or
/// fraction (13800138000), others in the shortest form that reads back to the same double.
QString numberText(double value);

/// What the first bytes of a file say it is.
enum class Signature { Empty, Ole2, Zip, Other };
/// Reads the first bytes of the file; throws Error naming the file when it cannot be opened.
Signature sniff(const QString &path);
Signature sniffBytes(const char *data, qsizetype size);

/// The whole file, refused with an Error naming it when it cannot be read or is larger than
/// @p maxBytes.
QByteArray readFile(const QString &path, qint64 maxBytes);

/// The text with "（<label>：<detail>）" appended when @p detail is not empty.
QString withDetail(const QString &text, const QString &label, const QString &detail);

// The messages below are Chinese, name the file and say what to do. The file name is put in
// last, so that a name holding "%1" stays as it is.

/// Throws Error saying the file cannot be opened, the system's @p reason as its detail.
[[noreturn]] void throwCannotOpen(const QString &path, const QString &reason);
/// Throws Error saying the file is damaged or not a valid file of the format @p formatName;
/// @p detail, the technical reason, follows in brackets when not empty.
[[noreturn]] void throwCorrupt(const QString &path, const QString &formatName, const QString &detail);
/// Throws Error saying the file is empty.
[[noreturn]] void throwEmpty(const QString &path);
/// Throws Error saying the file is password-protected.
[[noreturn]] void throwProtected(const QString &path);

/// Makes sure libgsf is set up once per process.
void ensureGsf();

/// Owns a GObject (libgsf inputs, outputs, infiles) and unreferences it.
struct GObjectUnref
{
    void operator()(void *object) const;
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

/// Owns the GError a libgsf call may set; message() gives its text.
class GErrorHolder final
{
public:
    GErrorHolder() = default;
    ~GErrorHolder();
    GErrorHolder(const GErrorHolder &) = delete;
    GErrorHolder &operator=(const GErrorHolder &) = delete;
    GError **out() { return &m_error; }
    QString message() const;

private:
    GError *m_error = nullptr;
};

/// What an OLE2 file holds, from its stream names.
enum class Ole2Kind { Workbook, EncryptedPackage, OtherDocument, Unreadable };
Ole2Kind ole2Kind(const QString &path);
Ole2Kind ole2Kind(const Ole2File &file);

} // namespace SheetIo
