#include "core/draw/DrawEngine.h"

#include "core/data/Database.h"
#include "core/data/DrawStore.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/RollWorker.h"

#include <QSet>

DrawEngine::DrawEngine(DrawSurface *surface, Database &db, QObject *parent)
    : QObject(parent)
    , m_surface(surface)
    , m_db(db)
    , m_keySource(&RollKey::fromSystem)
{
    Q_ASSERT(surface);
}

DrawEngine::~DrawEngine()
{
    halt();
}

void DrawEngine::loadPlan()
{
    m_schedule.setPlan(PrizeStore(m_db).loadAll());
}

void DrawEngine::setKeySource(RollKeySource source)
{
    m_keySource = std::move(source);
}

void DrawEngine::startRound(int roundRows)
{
    halt();
    m_worker.reset();
    m_lastShown.fill(QString());
    m_roundRows = qMin(roundRows, int(RollWorker::MaxRoundRows));
    m_roundPrize = m_schedule.roundPrizeNumber();
    m_revealDue = m_roundRows > 0;
    m_worker = std::make_unique<RollWorker>(m_db.fileName(), m_roundRows, m_lastShown.data(), m_surface, m_keySource());
    m_worker->start();
}

void DrawEngine::halt()
{
    if (m_worker)
        m_worker->halt();
}

bool DrawEngine::isRolling() const
{
    return m_worker && !m_worker->hasEnded();
}

void DrawEngine::stop()
{
    halt();
    reveal();
    m_surface->playWinMusic();
    record();
    m_surface->showNotification();
}

void DrawEngine::reveal()
{
    if (!m_revealDue)
        return;
    m_revealDue = false;
    // Entry s holds the participant last rolled on row rows - s, so each winner comes out
    // on the mirrored row. A row whose entry stayed empty (fewer participants than rows) is
    // cleared rather than left showing a masked number that did not win.
    for (int s = 1; s <= m_roundRows; ++s)
        m_surface->showTileRow(s - 1, m_lastShown[s]);
}

void DrawEngine::record()
{
    DrawStore store(m_db);
    QSet<QString> recorded;
    for (int s = 1; s <= RollWorker::MaxRoundRows; ++s) {
        const QString number = m_lastShown[s];
        // With fewer participants than rows the filled entries do not begin at 1: go on
        // past empty ones so that such a round still yields everyone it showed.
        if (number.isEmpty())
            continue;
        m_lastShown[s].clear();
        if (recorded.contains(number))
            continue;
        recorded.insert(number);
        m_winnerLog.append({number, m_roundPrize});
        m_surface->addNotificationLine(number + QStringLiteral("      ") + ParticipantStore(m_db).nameOf(number) +
                                       QLatin1Char('\r'));
        store.markDrawn(number);
    }
}
