#include "core/data/ParticipantImport.h"

#include "core/base/Text.h"
#include "core/spreadsheet/SheetData.h"

#include <QHash>

namespace ParticipantImport {

QList<Participant> rowsOf(const SheetData &sheet)
{
    constexpr int PhoneColumn = 2; // B
    constexpr int NameColumn = 3;
    constexpr int CommentColumn = 4;
    int last = 1;
    for (int r = sheet.rowCount(); r >= 2; --r) {
        if (!Text::isBlank(sheet.cell(r, PhoneColumn)) || !Text::isBlank(sheet.cell(r, NameColumn)) ||
            !Text::isBlank(sheet.cell(r, CommentColumn))) {
            last = r;
            break;
        }
    }
    QList<Participant> rows;
    rows.reserve(last - 1);
    for (int r = 2; r <= last; ++r)
        rows.append({sheet.cell(r, PhoneColumn), sheet.cell(r, NameColumn), sheet.cell(r, CommentColumn)});
    return rows;
}

int duplicatedNumbers(const QList<Participant> &rows)
{
    QHash<QString, int> seen;
    for (const Participant &row : rows) {
        const QString phone = Text::trimmed(row.phone);
        if (!phone.isEmpty())
            ++seen[phone];
    }
    int duplicated = 0;
    for (int count : std::as_const(seen))
        duplicated += count > 1 ? 1 : 0;
    return duplicated;
}

} // namespace ParticipantImport
