#include "TCJThread.h"

#include "DrawSurface.h"
#include "MaskPhone.h"
#include "data/CjError.h"
#include "data/Unit_DBLink.h"

#include <QScopeGuard>

#include <optional>

TCJThread::TCJThread(int roundRows, QString *rollSlots, RollSink *sink, const RollKey &key, QObject *parent)
    : QThread(parent)
    , m_roundRows(roundRows)
    , m_rollSlots(rollSlots)
    , m_sink(sink)
    , m_key(key)
{
    Q_ASSERT(roundRows <= MaxRoundRows);
}

TCJThread::~TCJThread()
{
    halt();
    wait();
}

void TCJThread::run()
{
    // Declared before the guard, so let go of only after the UI thread has been told that
    // the roll is over: a stop does not wait while a connection closes or a pass of 100,000
    // numbers is freed.
    std::optional<TDBLink> link;
    RollPass pass(m_key);
    const auto ended = qScopeGuard([this] {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    });
    try {
        link.emplace();
        if (m_roundRows <= 0) {
            handOver({-1, QStringLiteral("抽奖人数必须大于0!"), QStringLiteral("提示!")});
            return;
        }
        roll(*link, pass);
    } catch (const DbError &) {
        // A failing store ends the roll without a word: the rows keep what they showed, the
        // slots what was stored, and the stop records from them as they stand.
    }
}

void TCJThread::roll(TDBLink &link, RollPass &pass)
{
    qint64 shown = 0; // participants shown in this round, over all passes
    for (;;) {
        m_rollCount.store(0, std::memory_order_relaxed);
        // Once every row holds a participant a stop may cut the pass's query short.
        const bool mayStop = shown >= m_roundRows;
        if (!loadRollCandidates(link, &pass, mayStop ? &m_stopRequested : nullptr))
            return;
        if (pass.isEmpty()) {
            // Nobody can win: rather than re-run an empty query flat out, wait for the stop.
            waitForStopRequest();
            return;
        }
        for (qsizetype i = 0; i < pass.size(); ++i) {
            const QString number = pass.number(i);
            const int count = m_rollCount.load(std::memory_order_relaxed);
            const int row = count % m_roundRows;
            handOver({row, MaskPhone(number), QString()});
            m_rollSlots[m_roundRows - row] = number;
            m_rollCount.store(count + 1, std::memory_order_relaxed);
            ++shown;
            if (shown >= m_roundRows && stopRequested())
                return;
        }
        // A whole pass has shown every participant who may win, however few they are.
        if (stopRequested())
            return;
    }
}

void TCJThread::handOver(Handover handover)
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

bool TCJThread::serviceHandover()
{
    std::unique_lock lock(m_mutex);
    if (!m_waiting || m_applying)
        return false;
    const Handover handover = *m_waiting;
    if (handover.row < 0) {
        // Nothing follows the warning on the worker's side, so it need not wait for the
        // message box to close; a stop while the box is up then finds the worker ended.
        m_waiting.reset();
        m_changed.notify_all();
        lock.unlock();
        m_sink->showWarning(handover.text, handover.caption);
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
    m_sink->ShowTileRow(handover.row, handover.text);
    return true;
}

bool TCJThread::isHandoverWaiting() const
{
    std::lock_guard lock(m_mutex);
    return m_waiting && !m_applying;
}

void TCJThread::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stopRequested.store(true, std::memory_order_release);
    m_changed.notify_all();
}

void TCJThread::waitForStopRequest()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return stopRequested(); });
}

bool TCJThread::hasEnded() const
{
    std::lock_guard lock(m_mutex);
    return m_ended;
}

void TCJThread::waitForEnd()
{
    if (!isRunning() && !isFinished())
        return; // never started
    for (;;) {
        std::unique_lock lock(m_mutex);
        // A row that is being applied further up this thread's stack (a ShowTileRow that
        // called back into a halt) would never complete: that is a misuse, see DrawSurface.
        m_changed.wait(lock, [this] { return m_ended || (m_waiting && !m_applying); });
        if (m_ended)
            return;
        lock.unlock();
        serviceHandover();
    }
}

void TCJThread::halt()
{
    requestStop();
    waitForEnd();
}
