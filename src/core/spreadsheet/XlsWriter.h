#pragma once

#include "core/spreadsheet/SheetWriter.h"

#include <QHash>
#include <QSaveFile>

#include <vector>

/// Excel 97-2003 (.xls): a BIFF8 workbook stream in an OLE2 container made with libgsf. Texts
/// go into the shared string table once each and the cells refer to them (LABELSST), so
/// the workbook is put together by save(); writeCell() only collects.
class XlsWriter final : public SheetWriter
{
public:
    explicit XlsWriter(const QString &path);

    /// The BIFF8 workbook stream of the cells written so far (what save() puts into the file).
    QByteArray workbookStream() const;

private:
    void doWriteCell(int row, int column, const QString &text) override;
    void doSave() override;

    struct Cell
    {
        quint16 row; // 0-based
        quint16 column;
        quint32 sstIndex;
    };
    QSaveFile m_file;
    std::vector<Cell> m_cells;
    std::vector<QString> m_strings;
    QHash<QString, quint32> m_stringIndex;
};
