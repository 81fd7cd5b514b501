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
    using Error::Error;
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
