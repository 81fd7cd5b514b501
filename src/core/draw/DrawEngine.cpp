#include "core/draw/DrawEngine.h"

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/DrawStore.h"
#include "core/data/PrizeStore.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/RollWorker.h"

#include <QDateTime>
#include <QScopeGuard>

namespace {

constexpr int StopBusyTimeoutMs = 1000;

} // namespace

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

std::optional<DrawInfo> DrawEngine::unfinishedDraw()
{
    DrawRecordStore record(m_db);
    std::optional<DrawInfo> latest = record.latestDraw();
    if (!latest)
        return std::nullopt;
    if (latest->finished.isEmpty())
        return latest;
    // Left with a voided win whose place was not drawn again: a later win of the same prize
    // fills the place a void opened.
    QHash<int, int> openPlaces;
    for (const RecordEntry &entry : record.entries(latest->id)) {
        int &open = openPlaces[entry.prizeNumber];
        if (entry.isVoid())
            ++open;
        else if (open > 0)
            --open;
    }
    for (int open : std::as_const(openPlaces)) {
        if (open > 0)
            return latest;
    }
    return std::nullopt;
}

void DrawEngine::beginNewDraw()
{
    if (const std::optional<DrawInfo> open = unfinishedDraw())
        DrawRecordStore(m_db).finishDraw(open->id, QDateTime::currentDateTime());
    // The new draw enters the record with its first winners (see stop()).
    m_drawId = 0;
}

void DrawEngine::continueDraw(qint64 drawId)
{
    m_drawId = drawId;
    resumeFromRecord();
}

void DrawEngine::finishDraw()
{
    if (m_drawId != 0)
        DrawRecordStore(m_db).finishDraw(m_drawId, QDateTime::currentDateTime());
}

void DrawEngine::resumeFromRecord()
{
    QHash<int, int> filled;
    QHash<int, int> roundsBegun;
    for (const RecordEntry &entry : DrawRecordStore(m_db).entries(m_drawId)) {
        if (entry.isVoid())
            continue;
        if (!entry.voided)
            ++filled[entry.prizeNumber];
        roundsBegun[entry.prizeNumber] = qMax(roundsBegun.value(entry.prizeNumber), entry.round);
    }
    m_schedule.resume(filled, roundsBegun);
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
    m_roundNumber = m_schedule.roundNumber();
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
    QStringList phones;
    for (int s = 1; s <= RollWorker::MaxRoundRows; ++s) {
        if (!m_lastShown[s].isEmpty() && !phones.contains(m_lastShown[s]))
            phones.append(m_lastShown[s]);
    }
    QList<RecordEntry> written;
    if (!phones.isEmpty()) {
        // The audience waits on the stop: another program holding the database gets a second,
        // not the usual five, before the stop gives up and the round rolls on.
        const int usualTimeout = m_db.busyTimeout();
        m_db.setBusyTimeout(StopBusyTimeoutMs);
        const auto restore = qScopeGuard([this, usualTimeout] { m_db.setBusyTimeout(usualTimeout); });
        try {
            // The marks and the record together, on the disk before anybody sees a winner: a
            // winner the audience has seen is always on record.
            Transaction transaction(m_db, Durability::Full);
            DrawRecordStore record(m_db);
            const QDateTime now = QDateTime::currentDateTime();
            const qint64 drawId = m_drawId != 0 ? m_drawId : record.startDraw(now);
            const QList<Participant> winners = DrawStore(m_db).markDrawn(phones);
            const PlannedPrize prize = m_schedule.plan().value(m_roundPrize - 1);
            QList<NewWin> wins;
            for (const Participant &winner : winners)
                wins.append(
                    {m_roundPrize, prize.name, prize.item, m_roundNumber, winner.phone, winner.name, winner.comment});
            written = record.appendWins(drawId, wins, now);
            transaction.commit();
            m_drawId = drawId;
        } catch (const DatabaseError &) {
            // Nothing was written, so nobody may be shown as a winner: the round goes on.
            roll();
            throw;
        }
    }
    reveal(written);
    m_surface->playWinMusic();
    for (const RecordEntry &win : std::as_const(written)) {
        m_winnerLog.append({win.phone, m_roundPrize});
        m_surface->addNotificationLine(win.phone + QStringLiteral("      ") + win.name + QLatin1Char('\r'));
    }
    m_lastRoundWins = written;
    m_lastShown.fill(QString());
    m_surface->showNotification();
}

void DrawEngine::reveal(const QList<RecordEntry> &winners)
{
    if (!m_revealDue)
        return;
    m_revealDue = false;
    QHash<QString, QString> names;
    for (const RecordEntry &winner : winners)
        names.insert(winner.phone, winner.name);
    // Entry s holds the participant rolled on the row whose mirror is row s - 1, so each
    // winner comes out on the mirrored row. A row whose entry stayed empty (fewer participants
    // than rows) is cleared rather than left showing a masked number that did not win.
    for (int s = 1; s <= m_roundRows; ++s)
        m_surface->revealRow(s - 1, m_lastShown[s], names.value(m_lastShown[s]));
}

void DrawEngine::voidWin(int seq, const QString &reason)
{
    DrawRecordStore(m_db).voidWin(m_drawId, seq, reason, QDateTime::currentDateTime());
    for (RecordEntry &win : m_lastRoundWins) {
        if (win.seq == seq)
            win.voided = true;
    }
    resumeFromRecord();
}
