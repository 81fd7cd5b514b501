#pragma once

#include "core/spreadsheet/SheetWriter.h"

#include <QSaveFile>
#include <QTemporaryFile>

struct lxw_workbook;
struct lxw_worksheet;

/// .xlsx through libxlsxwriter in its constant-memory mode: each row goes to disk when the
/// next one starts, so a long list costs no more memory than a short one.
class XlsxWriter final : public SheetWriter
{
public:
    explicit XlsxWriter(const QString &path);
    ~XlsxWriter() override;

    /// Protects texts that look like the _xHHHH_ escapes of OOXML, so that they read back as
    /// written ("_x0041_" stays "_x0041_" instead of turning into "A").
    static QString encodeEscapes(const QString &text);

private:
    void doWriteCell(int row, int column, const QString &text) override;
    void doSave() override;

    QSaveFile m_file;
    QTemporaryFile m_temp;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
};
