#include "DrawEngine.h"

#include "DrawSurface.h"
#include "TCJThread.h"
#include "data/Statements.h"
#include "data/Unit_DBLink.h"

#include <QSet>

DrawEngine::DrawEngine(DrawSurface *surface, QObject *parent)
    : QObject(parent)
    , m_surface(surface)
    , m_keySource(&RollKey::fromSystem)
{
    Q_ASSERT(surface);
}

DrawEngine::~DrawEngine()
{
    halt();
}

void DrawEngine::LoadPrizePlan()
{
    m_schedule.LoadPrizePlan();
}

bool DrawEngine::DrawIsOver() const
{
    return m_schedule.DrawIsOver();
}

QString DrawEngine::PrizeName(int number) const
{
    return m_schedule.PrizeName(number);
}

RoundOutcome DrawEngine::BeginRound()
{
    return m_schedule.BeginRound();
}

void DrawEngine::setKeySource(RollKeySource source)
{
    m_keySource = std::move(source);
}

void DrawEngine::startRound(int roundRows)
{
    halt();
    m_worker.reset();
    m_rollSlots.fill(QString());
    m_roundRows = qMin(roundRows, int(TCJThread::MaxRoundRows));
    m_roundPrize = m_schedule.roundPrizeNumber();
    m_revealDue = m_roundRows > 0;
    m_worker = std::make_unique<TCJThread>(m_roundRows, m_rollSlots.data(), m_surface, m_keySource());
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
    TDBLink link;
    reveal();
    m_surface->playWinMusic();
    record(link);
    m_surface->showNotification();
}

void DrawEngine::reveal()
{
    if (!m_revealDue)
        return;
    m_revealDue = false;
    // Slot s holds the participant last rolled on row RoundRows - s, so each winner comes
    // out on the mirrored row. A row whose slot stayed empty (fewer participants than rows)
    // is cleared rather than left showing a masked number that did not win.
    for (int s = 1; s <= m_roundRows; ++s)
        m_surface->ShowTileRow(s - 1, m_rollSlots[s]);
}

void DrawEngine::record(TDBLink &link)
{
    TQuery &query = link.Query();
    QSet<QString> recorded;
    for (int s = 1; s <= TCJThread::MaxRoundRows; ++s) {
        const QString number = m_rollSlots[s];
        // With fewer participants than rows the filled slots do not begin at 1: go on past
        // empty ones so that such a round still yields everyone it showed.
        if (number.isEmpty())
            continue;
        if (recorded.contains(number)) {
            m_rollSlots[s].clear();
            continue;
        }
        recorded.insert(number);
        m_winnerLog.append({number, m_roundPrize});

        // All rows of the number are marked together or not at all.
        TDBTransaction transaction(link);
        query.SQL(Sql::FindWinner);
        query.Open({number});
        const QString name = query.FieldByName(QStringLiteral("name")).AsString();
        m_surface->addNotificationLine(number + QStringLiteral("      ") + name + QLatin1Char('\r'));
        m_rollSlots[s].clear();
        while (!query.Eof()) {
            query.Edit();
            query.SetFieldValue(QStringLiteral("zt"), QStringLiteral("1"));
            query.Post();
            query.Next();
        }
        transaction.commit();
    }
}
