#pragma once

#include <QString>
#include <stdexcept>

/// An error that carries the text the operator is shown. The core throws it; the
/// application's default error handler displays it (the core never shows anything).
class CjError : public std::runtime_error
{
public:
    explicit CjError(const QString &text)
        : std::runtime_error(text.toStdString())
        , m_text(text)
    {
    }
    /// The user-facing text, exactly as it is to be shown.
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

/// A failure of the store: opening the database or running a statement.
class DbError final : public CjError
{
public:
    using CjError::CjError;
};

/// A value that cannot be converted (a text that is not an integer).
class ConvertError final : public CjError
{
public:
    using CjError::CjError;
};

/// A file that cannot be written (settings file, spreadsheet export).
class WriteError final : public CjError
{
public:
    using CjError::CjError;
};
