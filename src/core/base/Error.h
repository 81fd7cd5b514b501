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

/// A failure of the database: opening it or running a statement.
class DatabaseError final : public Error
{
public:
    /// @p code is SQLite's primary result code (SQLITE_CORRUPT, SQLITE_BUSY …) when SQLite
    /// reported the failure, 0 otherwise.
    explicit DatabaseError(const QString &text, int code = 0)
        : Error(text)
        , m_code(code)
    {
    }
    /// SQLite's primary result code, or 0: tells a damaged file from a missing or locked one.
    int code() const noexcept { return m_code; }

private:
    int m_code = 0;
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
