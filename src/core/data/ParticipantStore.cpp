#include "core/data/ParticipantStore.h"

#include "core/base/Text.h"
#include "core/data/Database.h"
#include "core/data/Serials.h"
#include "core/data/Sql.h"

ParticipantStore::ParticipantStore(Database &db)
    : m_db(db)
{
}

QList<Participant> ParticipantStore::loadAll()
{
    renumberSerials(m_db, Sql::ParticipantSerialShape, Sql::RenumberParticipants);
    QList<Participant> participants;
    Statement load(m_db, Sql::LoadParticipants);
    while (load.next())
        participants.append({load.text(0), load.text(1), load.text(2)});
    return participants;
}

void ParticipantStore::add(int serial)
{
    Statement(m_db, Sql::InsertParticipant).bindAll(serial).execute();
}

void ParticipantStore::save(int serial, const Participant &p)
{
    const QString phone = Text::trimmed(p.phone);
    const QString name = Text::trimmed(p.name);
    const QString comment = Text::trimmed(p.comment);
    if (Statement(m_db, Sql::SaveParticipant).bindAll(phone, name, comment, serial).execute() > 0)
        return;
    // No record behind this row yet: it gets its own now, written in the same breath, so a
    // failure leaves neither an empty record nor a half-written one.
    Transaction transaction(m_db);
    Statement(m_db, Sql::InsertParticipant).bindAll(serial).execute();
    Statement(m_db, Sql::SaveParticipant).bindAll(phone, name, comment, serial).execute();
    transaction.commit();
}

void ParticipantStore::remove(int serial)
{
    Transaction transaction(m_db);
    Statement(m_db, Sql::DeleteParticipant).bindAll(serial).execute();
    Statement(m_db, Sql::MoveParticipantsUp).bindAll(serial).execute();
    transaction.commit();
}

void ParticipantStore::clear()
{
    Statement(m_db, Sql::ClearParticipants).execute();
}

void ParticipantStore::replaceAll(const QList<Participant> &rows, const std::function<void(int)> &onRow)
{
    Transaction transaction(m_db);
    Statement(m_db, Sql::ClearParticipants).execute();
    for (int n = 1; n <= rows.size(); ++n) {
        if (onRow)
            onRow(n);
        const Participant &row = rows.at(n - 1);
        Statement(m_db, Sql::ImportParticipant)
            .bindAll(n, Text::trimmed(row.phone), Text::trimmed(row.name), Text::trimmed(row.comment))
            .execute();
    }
    Statement(m_db, Sql::PurgeParticipantsWithoutPhone).execute();
    transaction.commit();
}

void ParticipantStore::purgeIncomplete()
{
    Statement(m_db, Sql::PurgeParticipantsWithoutPhone).execute();
    renumberSerials(m_db, Sql::ParticipantSerialShape, Sql::RenumberParticipants);
}
