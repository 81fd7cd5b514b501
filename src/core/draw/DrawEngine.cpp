#include "core/draw/DrawEngine.h"

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/DrawStore.h"
#include "core/data/PrizeStore.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/RollWorker.h"

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

void DrawEngine::loadPlan(int maxRoundRows)
{
    const QList<Prize> prizes = PrizeStore(m_db).loadAll();
    const QStringList problems = DrawSchedule::planProblems(prizes, maxRoundRows);
    if (!problems.isEmpty()) {
        throw Error(QStringLiteral("以下奖项无法抽奖，请在“抽奖设置”页改正后再开始抽奖：\n") +
                    problems.join(QLatin1Char('\n')));
    }
    m_schedule.setPlan(prizes);
}

void DrawEngine::setKeySource(RollKeySource source)
{
    m_keySource = std::move(source);
}

void DrawEngine::startRound(int roundRows)
{
    halt();
    m_roundRows = qMin(roundRows, int(RollWorker::MaxRoundRows));
    m_roundPrize = m_schedule.roundPrizeNumber();
    m_revealDue = m_roundRows > 0;
    roll();
}

void DrawEngine::roll()
{
    m_worker.reset();
    m_lastShown.fill(QString());
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
    // The round's winners in row order, each number once. With fewer participants than rows
    // the filled entries do not begin at 1: every entry is looked at, so that such a round
    // still yields everyone it showed.
    QStringList winners;
    for (int s = 1; s <= RollWorker::MaxRoundRows; ++s) {
        if (!m_lastShown[s].isEmpty() && !winners.contains(m_lastShown[s]))
            winners.append(m_lastShown[s]);
    }
    QStringList names;
    if (!winners.isEmpty()) {
        try {
            names = DrawStore(m_db).markDrawn(winners);
        } catch (const DatabaseError &) {
            // Nothing was written, so nobody may be shown as a winner: the round goes on.
            roll();
            throw;
        }
    }
    reveal();
    m_surface->playWinMusic();
    for (qsizetype i = 0; i < winners.size(); ++i) {
        m_winnerLog.append({winners.at(i), m_roundPrize});
        m_surface->addNotificationLine(winners.at(i) + QStringLiteral("      ") + names.at(i) + QLatin1Char('\r'));
    }
    m_lastShown.fill(QString());
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
