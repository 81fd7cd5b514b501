#pragma once

#include "core/spreadsheet/SheetWriter.h"

#include <QSaveFile>

/// CSV for spreadsheet programs: UTF-8 with a byte order mark (so that Chinese text is read
/// as such), CR LF line ends, fields quoted when they hold a comma, a quote or a line break.
class CsvWriter final : public SheetWriter
{
public:
    explicit CsvWriter(const QString &path);

private:
    void doWriteCell(int row, int column, const QString &text) override;
    void doSave() override;
    void flush();

    QSaveFile m_file;
    QByteArray m_buffer;
    int m_row = 1;
    int m_column = 0;
};
