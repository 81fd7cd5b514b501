#include "core/draw/RollWorker.h"

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/DrawStore.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/PhoneMask.h"
#include "core/draw/RevealOrder.h"

#include <QScopeGuard>

#include <optional>

RollWorker::RollWorker(const QString &databaseFile, int roundRows, QString *lastShown, RollSink *sink,
                       const RollKey &key, QObject *parent)
    : QThread(parent)
    , m_databaseFile(databaseFile)
    , m_roundRows(roundRows)
    , m_lastShown(lastShown)
    , m_sink(sink)
    , m_key(key)
{
    Q_ASSERT(roundRows <= MaxRoundRows);
}

RollWorker::~RollWorker()
{
    halt();
    wait();
}

void RollWorker::run()
{
    // Declared before the guard, so let go of only after the UI thread has been told that
    // the roll is over: a stop does not wait while a connection closes or a pass of 100,000
    // numbers is freed.
    std::optional<Database> db;
    RollPass pass(m_key);
    const auto ended = qScopeGuard([this] {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    });
    try {
        db.emplace(m_databaseFile);
        if (m_roundRows <= 0) {
            handOver({Handover::Kind::Warning, -1, QStringLiteral("抽奖人数必须大于0!"), QStringLiteral("提示!")});
            return;
        }
        roll(*db, pass);
    } catch (const DatabaseError &e) {
        // The rows keep what they showed and the slots what was stored; the stop records
        // from them as they stand. The operator is told why the numbers stopped rolling.
        handOver({Handover::Kind::Failure, -1, e.text(), QString()});
    }
}

void RollWorker::roll(Database &db, RollPass &pass)
{
    DrawStore store(db);
    qint64 shown = 0; // participants shown in this round, over all passes
    for (;;) {
        // Once every row holds a participant a stop may cut the pass's query short.
        const bool mayStop = shown >= m_roundRows;
        if (!store.loadRollPass(&pass, mayStop ? &m_stopRequested : nullptr))
            return;
        if (pass.isEmpty()) {
            // Nobody can win: rather than re-run an empty query flat out, wait for the stop.
            waitForStopRequest();
            return;
        }
        for (qsizetype i = 0; i < pass.size(); ++i) {
            const QString number = pass.number(i);
            const int row = int(i % m_roundRows);
            handOver({Handover::Kind::Row, row, maskedPhone(number), QString()});
            m_lastShown[revealRowOf(row, m_roundRows) + 1] = number;
            ++shown;
            if (shown >= m_roundRows && stopRequested())
                return;
        }
        // A whole pass has shown every participant who may win, however few they are.
        if (stopRequested())
            return;
    }
}

void RollWorker::handOver(Handover handover)
{
    std::unique_lock lock(m_mutex);
    m_waiting = std::move(handover);
    const bool needCall = !m_callQueued;
    m_callQueued = true;
    m_changed.notify_all(); // a halting UI thread applies it itself
    lock.unlock();
    if (needCall) {
        // One queued call at a time; a call that finds the mailbox empty does nothing.
        QMetaObject::invokeMethod(
            this,
            [this] {
                {
                    std::lock_guard callLock(m_mutex);
                    m_callQueued = false;
                }
                serviceHandover();
            },
            Qt::QueuedConnection);
    }
    lock.lock();
    m_changed.wait(lock, [this] { return !m_waiting; });
}

bool RollWorker::serviceHandover()
{
    std::unique_lock lock(m_mutex);
    if (!m_waiting || m_applying)
        return false;
    const Handover handover = *m_waiting;
    if (handover.kind != Handover::Kind::Row) {
        // Nothing follows a message on the worker's side, so it need not wait for the
        // message box to close; a stop while the box is up then finds the worker ended.
        m_waiting.reset();
        m_changed.notify_all();
        lock.unlock();
        if (handover.kind == Handover::Kind::Warning)
            m_sink->showWarning(handover.text, handover.caption);
        else
            m_sink->rollFailed(handover.text);
        return true;
    }
    m_applying = true;
    lock.unlock();
    // The worker goes on only when the row is on the screen, even if showing it throws.
    const auto applied = qScopeGuard([this] {
        std::lock_guard doneLock(m_mutex);
        m_waiting.reset();
        m_applying = false;
        m_changed.notify_all();
    });
    m_sink->showTileRow(handover.row, handover.text);
    return true;
}

bool RollWorker::isHandoverWaiting() const
{
    std::lock_guard lock(m_mutex);
    return m_waiting && !m_applying;
}

void RollWorker::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stopRequested.store(true, std::memory_order_release);
    m_changed.notify_all();
}

void RollWorker::waitForStopRequest()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return stopRequested(); });
}

bool RollWorker::hasEnded() const
{
    std::lock_guard lock(m_mutex);
    return m_ended;
}

void RollWorker::waitForEnd()
{
    if (!isRunning() && !isFinished())
        return; // never started
    for (;;) {
        std::unique_lock lock(m_mutex);
        // A row that is being applied further up this thread's stack (a showTileRow that
        // called back into a halt) would never complete: that is a misuse, see DrawSurface.
        m_changed.wait(lock, [this] { return m_ended || (m_waiting && !m_applying); });
        if (m_ended)
            return;
        lock.unlock();
        serviceHandover();
    }
}

void RollWorker::halt()
{
    requestStop();
    waitForEnd();
}
