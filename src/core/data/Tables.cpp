#include "Tables.h"

#include "Statements.h"
#include "TextUtil.h"
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

void addRecord(const Statement &insert, int n)
{
    TDBLink link;
    link.Query().SQL(insert);
    link.Query().ExecSQL({n});
}

/// The save statement binds the row's texts first and the serial last.
void saveRecord(const Statement &insert, const Statement &save, int xh, const QStringList &texts)
{
    QVariantList values;
    values.reserve(texts.size() + 1);
    for (const QString &text : texts)
        values.append(cj::trimmed(text));
    values.append(xh);

    TDBLink link;
    TQuery &q = link.Query();
    q.SQL(save);
    q.ExecSQL(values);
    if (q.RowsAffected() > 0)
        return;
    // No record behind this row yet: it gets its own now, written in the same breath, so a
    // failure leaves neither an empty record nor a half-written one.
    TDBTransaction transaction(link);
    q.SQL(insert);
    q.ExecSQL({xh});
    q.SQL(save);
    q.ExecSQL(values);
    transaction.commit();
}

void removeRecord(const Statement &remove, const Statement &renumber, int xh)
{
    TDBLink link;
    TDBTransaction transaction(link);
    TQuery &q = link.Query();
    q.SQL(remove);
    q.ExecSQL({xh});
    q.SQL(renumber);
    q.ExecSQL({xh});
    transaction.commit();
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

void add(int n)
{
    addRecord(Sql::InsertParticipant, n);
}

void save(int xh, const QString &tel, const QString &name, const QString &comment)
{
    saveRecord(Sql::InsertParticipant, Sql::SaveParticipant, xh, {tel, name, comment});
}

void remove(int xh)
{
    removeRecord(Sql::DeleteParticipant, Sql::RenumberParticipantsAfter, xh);
}

} // namespace ParticipantTable

namespace PrizeTable {

QList<QStringList> load(TDBLink &link)
{
    static const QStringList columns{QStringLiteral("xh"), QStringLiteral("name"), QStringLiteral("quantity"),
                                     QStringLiteral("rs"), QStringLiteral("jp"), QStringLiteral("comment")};
    return loadRows(link, Sql::LoadPrizes, columns);
}

void add(int n)
{
    addRecord(Sql::InsertPrize, n);
}

void save(int xh, const QString &name, const QString &quantity, const QString &rs, const QString &jp,
          const QString &comment)
{
    saveRecord(Sql::InsertPrize, Sql::SavePrize, xh, {name, quantity, rs, jp, comment});
}

void remove(int xh)
{
    removeRecord(Sql::DeletePrize, Sql::RenumberPrizesAfter, xh);
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

