#pragma once

#include "core/draw/RollOrder.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

class Database;
class RollSink;

/// The roll of one round, on a thread of its own with its own database connection.
///
/// Pass after pass it reads the participants who may still win, in the round's keyed order,
/// and shows each one masked on tile row k = (participants shown in the pass) mod rows,
/// writing the full number to lastShown[revealRowOf(k, rows) + 1], so that the reveal shows
/// each winner on the row mirrored within its column (RevealOrder.h). Each row is handed to the UI thread, and the
/// worker waits until the UI thread has applied it: either a queued call on the UI thread's event loop or a UI thread
/// that is halting the worker applies it. No sleep and no timer: the roll runs as fast as the screen takes the rows.
///
/// A stop request is honoured between participants, and only once every row has shown a
/// participant (or, with fewer participants than rows, once all of them have been shown), so
/// a stopped round always yields its rows. A database failure ends the worker; the screen is told
/// why (RollSink::rollFailed), and the rows keep what they last showed.
///
/// The object itself lives on the UI thread; only run() executes on the worker thread.
class RollWorker final : public QThread
{
    Q_OBJECT

public:
    /// The largest index of lastShown, and so the most rows a round can roll.
    static constexpr int MaxRoundRows = 300;

    /// @param databaseFile the database the worker opens its own connection to.
    /// @param roundRows rows of the round (at most MaxRoundRows); 0 or less only warns.
    /// @param lastShown MaxRoundRows + 1 entries, written while the worker runs and read by
    ///        the UI thread only after it has ended.
    /// @param sink applies the hand-overs on the UI thread; outlives the worker.
    RollWorker(const QString &databaseFile, int roundRows, QString *lastShown, RollSink *sink, const RollKey &key,
               QObject *parent = nullptr);
    /// Halts a worker that still runs and waits for its thread to finish.
    ~RollWorker() override;

    /// Asks the worker to stop; returns at once. Any thread.
    void requestStop();
    /// UI thread: applies hand-overs until the worker has ended. Does not ask it to stop
    /// (see halt()). On return the worker touches neither the slots nor the sink any more;
    /// its thread may still be letting go of its database connection (the destructor waits
    /// for that).
    void waitForEnd();
    /// UI thread: requestStop() and waitForEnd().
    void halt();
    /// True once the worker has ended in the sense of waitForEnd().
    bool hasEnded() const;
    /// UI thread: applies the hand-over the worker waits on, if any. True when one was applied.
    bool serviceHandover();
    /// True while the worker waits on a hand-over that nobody applies yet.
    bool isHandoverWaiting() const;

protected:
    void run() override;

private:
    struct Handover
    {
        enum class Kind { Row, Warning, Failure };
        Kind kind = Kind::Row;
        int row = -1;
        QString text;
        QString caption;
    };

    void roll(Database &db, RollPass &pass);
    void handOver(Handover handover);
    bool stopRequested() const { return m_stopRequested.load(std::memory_order_acquire); }
    void waitForStopRequest();

    const QString m_databaseFile;
    const int m_roundRows;
    QString *const m_lastShown;
    RollSink *const m_sink;
    const RollKey m_key;
    std::atomic<bool> m_stopRequested{false};

    // The mailbox: one hand-over at a time, guarded by m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Handover> m_waiting;
    bool m_applying = false;   // the UI thread is applying m_waiting
    bool m_callQueued = false; // a queued serviceHandover() call is on its way
    bool m_ended = false;      // the roll is over: no more slots, no more hand-overs
};
