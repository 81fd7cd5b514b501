#pragma once

#include "core/spreadsheet/SheetFormat.h"

#include <QString>

#include <memory>

/// Writes the first worksheet of a new spreadsheet file cell by cell, so that an export can
/// advance its progress bar per cell. Every cell is a text cell holding the text exactly
/// (blanks kept, digits never turned into numbers). Nothing is on disk before save(): the file
/// appears complete or not at all, and an existing file is replaced only by a successful save.
class SheetWriter
{
public:
    /// A writer for a new file of that format at @p path (the extension is not looked at).
    /// Throws WriteError "Unable to write to <path>" when the file cannot be created there.
    static std::unique_ptr<SheetWriter> create(SheetFormat format, const QString &path);

    /// Throws Error, naming the file and the format to choose instead, when a worksheet of the
    /// format cannot hold @p rows rows. An export asks before it writes anything; writeCell()
    /// asks again for every row.
    static void checkRowCount(SheetFormat format, int rows, const QString &path);

    virtual ~SheetWriter();
    SheetWriter(const SheetWriter &) = delete;
    SheetWriter &operator=(const SheetWriter &) = delete;

    /// Writes one cell; rows and columns count from 1 and cells come row by row, left to right.
    /// An empty text leaves the cell empty. Throws Error past the format's limits
    /// (checkRowCount(), SheetFormats::maxColumns(), MaxCellTextLength for .xls and .xlsx).
    void writeCell(int row, int column, const QString &text);
    /// Writes the file. Throws WriteError "Unable to write to <path>" when it cannot.
    void save();

    SheetFormat format() const { return m_format; }
    const QString &path() const { return m_path; }

protected:
    SheetWriter(SheetFormat format, const QString &path);
    virtual void doWriteCell(int row, int column, const QString &text) = 0;
    virtual void doSave() = 0;
    /// Throws WriteError "Unable to write to <path>".
    [[noreturn]] void throwWriteError() const;

private:
    SheetFormat m_format;
    QString m_path;
    int m_lastRow = 0;
    int m_lastColumn = 0;
    bool m_saved = false;
};
