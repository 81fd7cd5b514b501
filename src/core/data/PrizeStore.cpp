#include "core/data/PrizeStore.h"

#include "core/base/Text.h"
#include "core/data/Database.h"
#include "core/data/Serials.h"
#include "core/data/Sql.h"

PrizeStore::PrizeStore(Database &db)
    : m_db(db)
{
}

QList<Prize> PrizeStore::loadAll()
{
    renumberSerials(m_db, Sql::PrizeSerialShape, Sql::RenumberPrizes);
    QList<Prize> prizes;
    Statement load(m_db, Sql::LoadPrizes);
    while (load.next())
        prizes.append({load.text(0), load.text(1), load.text(2), load.text(3), load.text(4)});
    return prizes;
}

void PrizeStore::add(int serial)
{
    Statement(m_db, Sql::InsertPrize).bindAll(serial).execute();
}

void PrizeStore::save(int serial, const Prize &p)
{
    const auto write = [&] {
        return Statement(m_db, Sql::SavePrize)
            .bindAll(Text::trimmed(p.name), Text::trimmed(p.quantity), Text::trimmed(p.perRound), Text::trimmed(p.item),
                     Text::trimmed(p.comment), serial)
            .execute();
    };
    if (write() > 0)
        return;
    Transaction transaction(m_db);
    Statement(m_db, Sql::InsertPrize).bindAll(serial).execute();
    write();
    transaction.commit();
}

void PrizeStore::remove(int serial)
{
    Transaction transaction(m_db);
    Statement(m_db, Sql::DeletePrize).bindAll(serial).execute();
    Statement(m_db, Sql::MovePrizesUp).bindAll(serial).execute();
    transaction.commit();
}

void PrizeStore::purgeIncomplete()
{
    Statement(m_db, Sql::PurgePrizesWithoutName).execute();
    renumberSerials(m_db, Sql::PrizeSerialShape, Sql::RenumberPrizes);
}
