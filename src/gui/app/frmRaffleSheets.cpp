// The import of participants from a spreadsheet and the exports of the participant and
// result grids.
#include "frmRaffle.h"

#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"
#include "ui/StringGrid.h"
#include "ui/frm_spin.h"

#include "data/CjError.h"
#include "data/ParticipantImport.h"
#include "spreadsheet/SheetReader.h"
#include "spreadsheet/SheetWriter.h"

#include <QDir>
#include <QPushButton>

namespace {

const QString AllSheets = QStringLiteral("*.xls *.xlsx *.csv");

/// "*.xls" comes first, as operators know it; then the newer formats and all three at once.
QStringList sheetFilters()
{
    return {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.csv"), AllSheets};
}

/// The format of an export: the typed name's extension when it has a known one, else the
/// chosen filter; "all three" without an extension writes .xls.
SheetFormat exportFormat(const QString &file, const QString &filter)
{
    if (const auto byName = SheetFormats::fromFileName(file))
        return *byName;
    if (filter == QLatin1String("*.xlsx"))
        return SheetFormat::Xlsx;
    if (filter == QLatin1String("*.csv"))
        return SheetFormat::Csv;
    return SheetFormat::Xls;
}

QString nativePath(const QString &file)
{
    return QDir::toNativeSeparators(file);
}

} // namespace

void Tfmraffle::wireSheets()
{
    connectHandler(AdvGlowButton1, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton1Click);
    connectHandler(AdvGlowButton2, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton2Click);
    connectHandler(AdvGlowButton4, &QPushButton::clicked, this, &Tfmraffle::AdvGlowButton4Click);
}

void Tfmraffle::AdvGlowButton1Click()
{
    const QString file = Dialogs::instance().openFileName(this, sheetFilters());
    // Whatever happens, the grid ends centred with its header row fixed.
    struct Tidy
    {
        StringGrid *grid;
        ~Tidy()
        {
            grid->grid()->centreAll();
            grid->setFixedRows(1);
        }
    } tidy{Grid_CJ};
    if (!file.isEmpty())
        importParticipants(file);
}

void Tfmraffle::importParticipants(const QString &file)
{
    // The whole sheet is read and checked before anything is replaced.
    const QList<ParticipantImport::Row> rows = ParticipantImport::rowsOf(readSheet(file));
    if (rows.isEmpty()) {
        throw CjError(QStringLiteral("文件“%1”中没有参选人：第 1 行是标题，从第 2 行起 B 列为手机号码、C 列为姓名、"
                                     "D 列为备注。参选人名单没有改变。")
                          .arg(nativePath(file)));
    }
    const int c = int(rows.size());
    {
        Tform_spin spin(this);
        spin.show();
        try {
            ParticipantImport::replaceParticipants(rows, [&](int n) {
                if (ParticipantImport::progressStepAt(n, c))
                    spin.step();
            });
        } catch (const CjError &e) {
            throw CjError(QStringLiteral("导入文件“%1”失败，参选人名单没有改变：%2").arg(nativePath(file), e.text()));
        }
    }

    QList<QStringList> gridRows;
    gridRows.reserve(c);
    for (int n = 1; n <= c; ++n) {
        const ParticipantImport::Row &row = rows.at(n - 1);
        gridRows.append({QString::number(n), row.tel, row.name, row.comment});
    }
    Grid_CJ->grid()->setDataRows(std::move(gridRows));

    if (const int duplicated = ParticipantImport::duplicatedNumbers(rows)) {
        Dialogs::information(this,
                             QStringLiteral("已导入 %1 行。其中有 %2 个手机号码出现不止一次；"
                                            "抽奖时每个号码只能中奖一次。")
                                 .arg(c)
                                 .arg(duplicated),
                             QStringLiteral("提示!"));
    }
}

void Tfmraffle::AdvGlowButton2Click()
{
    exportGrid(Grid_CJ);
}

void Tfmraffle::AdvGlowButton4Click()
{
    exportGrid(GridResult);
}

void Tfmraffle::exportGrid(const StringGrid *grid)
{
    QString filter;
    const QString file = Dialogs::instance().saveFileName(this, sheetFilters(), &filter);
    if (file.isEmpty())
        return;
    const SheetFormat format = exportFormat(file, filter);
    const int rowCount = grid->RowCount();
    if (rowCount > SheetFormats::maxRows(format)) {
        throw CjError(QStringLiteral("“%1”未保存：%2 格式的工作表最多 %3 行，而表格有 %4 行。请选择 *.xlsx 格式保存。")
                          .arg(nativePath(file), SheetFormats::suffix(format))
                          .arg(SheetFormats::maxRows(format))
                          .arg(rowCount));
    }
    const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, file);
    {
        Tform_spin spin(this);
        spin.show();
        const int colCount = grid->ColCount();
        for (int r = 1; r <= grid->RowCount(); ++r) {
            if (grid->RowCount() < 100 || r % (grid->RowCount() / 100) == 0)
                spin.step();
            for (int col = 1; col <= colCount; ++col) {
                spin.step();
                writer->writeCell(r, col, grid->cell(col - 1, r - 1));
            }
        }
    }
    writer->save();
}
