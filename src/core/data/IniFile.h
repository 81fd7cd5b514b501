#pragma once

#include <QString>
#include <QStringList>

/// The settings file (System.INI), read and written by the rules of Windows profile files:
/// section and key names match without regard to case; a value is read without the blanks
/// around it and without one pair of matching quotes, at most 2047 characters; every other
/// line of the file is kept as it was. The file is GBK with CRLF line ends, so a file from
/// the Windows program reads correctly; a value GBK cannot hold makes the file UTF-8 with a
/// byte-order mark. Both forms are read, and so is UTF-8 without a mark (a file saved by an
/// editor on Linux); writing such a file makes it GBK again.
class IniFile final
{
public:
    /// An accessor for the file at that full path; the file need not exist.
    explicit IniFile(const QString &path);

    /// The value; the empty text when the file, section or key is absent. Never fails.
    QString value(const QString &section, const QString &key) const;
    /// Writes the value, creating the file, the section and the key as needed. Throws
    /// WriteError "Unable to write to <path>".
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    struct Content
    {
        QStringList lines;
        bool utf8 = false;
    };
    Content load() const;

    QString m_path;
};
