#include "gui/app/SheetTransfer.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/base/ProgressSteps.h"
#include "core/data/ParticipantImport.h"
#include "core/spreadsheet/SheetReader.h"
#include "core/spreadsheet/SheetWriter.h"
#include "gui/ui/BackgroundWork.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/ProgressPopup.h"

namespace SheetTransfer {

std::optional<QList<Participant>> importParticipants(QWidget *parent, ParticipantStore &store)
{
    const QString file = Dialogs::openFileIn(parent, Dialogs::Folder::Sheets, SheetFormats::dialogFilters());
    if (file.isEmpty())
        return std::nullopt;
    // The window shows from the start: reading a large sheet takes a second or more.
    ProgressPopup progress(parent);
    progress.setBusy(true);
    progress.show();
    // The whole sheet is read and checked before anything is replaced, on a thread of its own
    // so that the window goes on painting meanwhile.
    const QList<Participant> rows =
        BackgroundWork::compute<QList<Participant>>([&file] { return ParticipantImport::rowsOf(readSheet(file)); });
    if (rows.isEmpty()) {
        throw Error(QStringLiteral("文件“%1”中没有参选人：第 1 行是标题，从第 2 行起 B 列为手机号码、C 列为姓名、"
                                   "D 列为备注。参选人名单没有改变。")
                        .arg(Files::displayPath(file)));
    }
    const int count = int(rows.size());
    progress.setBusy(false);
    try {
        store.replaceAll(rows, [&](int n) {
            if (progressStepAt(n, count))
                progress.step();
        });
    } catch (const Error &e) {
        throw Error(QStringLiteral("导入文件“%1”失败，参选人名单没有改变：%2").arg(Files::displayPath(file), e.text()));
    }
    return rows;
}

void exportGrid(QWidget *parent, const GridModel &grid)
{
    QString filter;
    const QString file = Dialogs::saveFileIn(parent, Dialogs::Folder::Sheets, SheetFormats::dialogFilters(), &filter);
    if (file.isEmpty())
        return;
    const SheetFormat format = SheetFormats::forExport(file, filter);
    const int rowCount = grid.rowCount() + 1;           // the header row too
    SheetWriter::checkRowCount(format, rowCount, file); // before the progress window, nothing written
    const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, file);
    {
        ProgressPopup progress(parent);
        progress.show();
        const int columns = grid.columnCount();
        for (int r = 1; r <= rowCount; ++r) {
            if (progressStepAt(r, rowCount))
                progress.step();
            for (int column = 1; column <= columns; ++column) {
                progress.step();
                const QString text = r == 1 ? grid.headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString()
                                            : grid.text(r - 2, column - 1);
                writer->writeCell(r, column, text);
            }
        }
    }
    writer->save();
}

} // namespace SheetTransfer
