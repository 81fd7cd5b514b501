#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

/// The settings file (System.INI), read and written by the rules of Windows profile files:
/// section and key names match without regard to case; a value is read without the blanks
/// around it and without one pair of matching quotes, at most 2047 characters; every other
/// line of the file is kept as it was. The file is GBK with CRLF line ends, so a file from
/// the Windows program reads correctly; a value GBK cannot hold makes the file UTF-8 with a
/// byte-order mark, and both forms are read.
class TAdvInit final
{
public:
    /// An accessor for the file at that full path; the file need not exist.
    explicit TAdvInit(const QString &path);

    /// The value as text; the empty text when the file, section or key is absent. Never fails.
    QVariant ReadValue(const QString &section, const QString &key) const;
    /// Writes the value's text (an integer as its decimal digits), creating the file,
    /// the section and the key as needed. Throws WriteError "Unable to write to <path>".
    void WriteValue(const QString &section, const QString &key, const QVariant &value);

private:
    struct Content
    {
        QStringList lines;
        bool utf8 = false;
    };
    Content load() const;

    QString m_path;
};
