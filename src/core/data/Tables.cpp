#include "Tables.h"

#include "Statements.h"
#include "Unit_DBLink.h"

namespace {

QList<QStringList> loadRows(TDBLink &link, const Statement &statement, const QStringList &columns)
{
    QList<QStringList> rows;
    TQuery &q = link.Query();
    q.SQL(statement);
    q.Open();
    QList<int> indexes;
    for (const QString &column : columns)
        indexes.append(q.FieldIndex(column));
    while (!q.Eof()) {
        QStringList row;
        row.reserve(columns.size());
        for (int index : std::as_const(indexes))
            row.append(q.AsStringAt(index));
        rows.append(std::move(row));
        q.Next();
    }
    q.Close();
    return rows;
}

} // namespace

namespace ParticipantTable {

QList<QStringList> load(TDBLink &link)
{
    static const QStringList columns{QStringLiteral("xh"), QStringLiteral("Tel"), QStringLiteral("Name"),
                                     QStringLiteral("Comment")};
    return loadRows(link, Sql::LoadParticipants, columns);
}

void clear()
{
    TDBLink link;
    link.Query().SQL(Sql::ClearParticipants);
    link.Query().ExecSQL();
}

} // namespace ParticipantTable

namespace PrizeTable {

QList<QStringList> load(TDBLink &link)
{
    static const QStringList columns{QStringLiteral("xh"), QStringLiteral("name"), QStringLiteral("quantity"),
                                     QStringLiteral("rs"), QStringLiteral("jp"), QStringLiteral("comment")};
    return loadRows(link, Sql::LoadPrizes, columns);
}

} // namespace PrizeTable

namespace Tables {

void loadAll(QList<QStringList> *participants, QList<QStringList> *prizes)
{
    TDBLink link;
    link.renumberSerials();
    *participants = ParticipantTable::load(link);
    *prizes = PrizeTable::load(link);
}

void purgeIncomplete()
{
    TDBLink link;
    link.Query().SQL(Sql::PurgeParticipants);
    link.Query().ExecSQL();
    link.Query().SQL(Sql::PurgePrizes);
    link.Query().ExecSQL();
    link.renumberSerials();
}

} // namespace Tables

