#include "ParticipantImport.h"

#include "Statements.h"
#include "TextUtil.h"
#include "Unit_DBLink.h"
#include "spreadsheet/SheetData.h"

#include <QHash>

namespace ParticipantImport {

QList<Row> rowsOf(const SheetData &sheet)
{
    int last = 1;
    for (int r = sheet.rowCount(); r >= 2; --r) {
        if (!cj::isBlank(sheet.cell(r, 2)) || !cj::isBlank(sheet.cell(r, 3)) || !cj::isBlank(sheet.cell(r, 4))) {
            last = r;
            break;
        }
    }
    QList<Row> rows;
    rows.reserve(last - 1);
    for (int r = 2; r <= last; ++r)
        rows.append(Row{sheet.cell(r, 2), sheet.cell(r, 3), sheet.cell(r, 4)});
    return rows;
}

void replaceParticipants(const QList<Row> &rows, const std::function<void(int)> &onRow)
{
    TDBLink link;
    TDBTransaction transaction(link);
    TQuery &q = link.Query();
    q.SQL(Sql::ImportClear);
    q.ExecSQL();
    for (int n = 1; n <= rows.size(); ++n) {
        if (onRow)
            onRow(n);
        const Row &row = rows.at(n - 1);
        q.SQL(Sql::InsertParticipant);
        q.ExecSQL({n});
        q.SQL(Sql::SaveParticipant);
        q.ExecSQL({cj::trimmed(row.tel), cj::trimmed(row.name), cj::trimmed(row.comment), n});
    }
    q.SQL(Sql::ImportPurge);
    q.ExecSQL();
    transaction.commit();
}

int duplicatedNumbers(const QList<Row> &rows)
{
    QHash<QString, int> seen;
    for (const Row &row : rows) {
        const QString tel = cj::trimmed(row.tel);
        if (!tel.isEmpty())
            ++seen[tel];
    }
    int duplicated = 0;
    for (int count : std::as_const(seen))
        duplicated += count > 1 ? 1 : 0;
    return duplicated;
}

bool progressStepAt(int n, int c)
{
    return c < 100 || n % (c / 100) == 0;
}

} // namespace ParticipantImport
