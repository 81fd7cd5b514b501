#pragma once

#include <QString>

#include <stdexcept>

/// An error that carries the text the operator is shown. The core throws it; the GUI's error
/// boundary displays it (the core never shows anything).
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &text)
        : std::runtime_error(text.toStdString())
        , m_text(text)
    {
    }
    /// The user-facing text, exactly as it is to be shown.
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

/// A failure of the database: opening it or running a statement. Besides the text shown it
/// keeps what SQLite said, for the stores and tests that tell failures apart.
class DatabaseError final : public Error
{
public:
    explicit DatabaseError(const QString &text, int resultCode = 0, const QString &engineText = QString())
        : Error(text)
        , m_resultCode(resultCode)
        , m_engineText(engineText)
    {
    }
    /// SQLite's result code (SQLITE_BUSY …), 0 for a failure the program itself found.
    int resultCode() const noexcept { return m_resultCode; }
    /// SQLite's primary result code (SQLITE_CORRUPT for any kind of corruption), or 0: tells a
    /// damaged file from a missing or locked one.
    int primaryCode() const noexcept { return m_resultCode & 0xff; }
    /// SQLite's own English text ("database is locked"); empty when there is none.
    const QString &engineText() const noexcept { return m_engineText; }

private:
    int m_resultCode;
    QString m_engineText;
};

/// A value that cannot be converted (a text that is not an integer).
class ConversionError final : public Error
{
public:
    using Error::Error;
};

/// A file that cannot be written (settings file, spreadsheet export).
class WriteError final : public Error
{
public:
    using Error::Error;
};
