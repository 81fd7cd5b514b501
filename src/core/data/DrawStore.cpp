#include "core/data/DrawStore.h"

#include "core/data/Database.h"
#include "core/data/Sql.h"
#include "core/draw/RollOrder.h"

#include <QSet>

DrawStore::DrawStore(Database &db)
    : m_db(db)
{
}

bool DrawStore::loadRollPass(RollPass *pass, const std::atomic<bool> *cancel)
{
    // The roll reads the whole table at every pass: the two columns go straight from the
    // statement into the pass's one buffer, with no text object per row.
    pass->clear();
    QSet<QByteArray> drawn;
    Statement rows(m_db, Sql::RollPass);
    while (rows.next()) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const QByteArrayView phone = rows.utf8(0);
        if (rows.isNull(1))
            pass->add(phone.data(), phone.size()); // ranked while reading, so that a stop can cut it short
        else
            drawn.insert(phone.toByteArray());
    }
    // A number has won when any of its rows is marked, even if another row of it is not
    // (one added after the win, say).
    if (!drawn.isEmpty())
        pass->removeAll(drawn);
    pass->putInOrder();
    return true;
}

QList<Participant> DrawStore::markDrawn(const QStringList &phones)
{
    QList<Participant> winners;
    for (const QString &phone : phones) {
        Statement first(m_db, Sql::ParticipantByPhone);
        first.bindAll(phone);
        winners.append(first.next() ? Participant{phone, first.text(0), first.text(1)} : Participant{phone, {}, {}});
        Statement(m_db, Sql::MarkDrawn).bindAll(phone).execute();
    }
    return winners;
}
