#pragma once

#include "core/data/DrawRecordStore.h"
#include "core/draw/DrawSchedule.h"
#include "core/draw/RollOrder.h"
#include "core/draw/WinnerLog.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class Database;
class DrawSurface;
class RollWorker;

/// The draw behind the draw screen: the prize schedule, the roll worker of the current
/// round, the numbers last shown on its rows, and the draw's record in the database. Lives on
/// the UI thread and is called only there.
///
/// Opening: loadPlan(); then, when unfinishedDraw() gives a draw, continueDraw() or
/// beginNewDraw(), else beginNewDraw(). At each start action the screen asks
/// schedule().isOver(); if false, the prize's name for its notification; then
/// schedule().beginRound(); when that gives RoundBegun it shows schedule().roundRows() tile
/// rows, starts its music and calls startRound(). At each stop action it calls stop(); when it
/// closes during a round, halt(); when the operator leaves or the draw is over,
/// finishDraw().
///
/// Rows, warnings, music and the notification go to the DrawSurface given at construction.
/// Errors of the database are thrown (DatabaseError, Error) with the text to show.
class DrawEngine final : public QObject
{
    Q_OBJECT

public:
    /// @param surface the screen side; must outlive the engine.
    /// @param db the UI thread's connection; each round's worker opens its own to the file.
    DrawEngine(DrawSurface *surface, Database &db, QObject *parent = nullptr);
    /// Halts a round that still rolls, without reveal or record.
    ~DrawEngine() override;

    /// Loads the prize plan from the prize table. A plan with a prize that cannot be drawn
    /// (DrawSchedule::planProblems(), rounds of at most @p maxRoundRows rows) is refused
    /// before anything is drawn, with an Error naming every such prize.
    void loadPlan(int maxRoundRows);
    /// The latest draw of the record when it is unfinished: interrupted (the program ended
    /// while it was open), or opened again by a void whose place is still to be drawn.
    std::optional<DrawInfo> unfinishedDraw();
    /// Begins a new draw, the schedule at the first prize; it enters the record with its first
    /// winners. An unfinished draw before it is finished first.
    void beginNewDraw();
    /// Goes on with the unfinished draw: each prize's places already filled count as drawn,
    /// and the rounds that remain are those for the places still open (DrawSchedule::resume()).
    void continueDraw(qint64 drawId);
    /// Ends the draw in the record: the operator left it, or every prize has been drawn.
    void finishDraw();
    /// The draw in the record this engine writes to; 0 before its first winners (or a
    /// continued draw).
    qint64 drawId() const { return m_drawId; }

    Database &database() const { return m_db; }
    DrawSchedule &schedule() { return m_schedule; }
    const DrawSchedule &schedule() const { return m_schedule; }

    /// Starts the roll of a round with @p roundRows rows on a new worker with a fresh key;
    /// the winners will be recorded for the prize and round of the latest beginRound(). Rows
    /// above RollWorker::MaxRoundRows are rolled on that many. With 0 rows or fewer the worker
    /// only has the warning "抽奖人数必须大于0!" shown. A round that still rolls is halted
    /// first, without reveal or record.
    void startRound(int roundRows);

    /// The stop action: halts the worker (applying its rows until it has ended), then marks
    /// the round's winners drawn (every row of each number) and appends them to the draw's
    /// record, in one transaction that reaches the disk. Only once that is written does it
    /// reveal each winner's full number on the mirrored row, play the win music, log every
    /// winner in row order and list it in the notification ("number      name\r"), then show
    /// the notification. Without a round to stop it only plays the music and shows the
    /// notification.
    ///
    /// When the stop cannot be written (DatabaseError), nothing is revealed, logged or listed,
    /// the round rolls again on a new worker and the error is thrown: the next stop tries
    /// again.
    void stop();

    /// Halts a rolling worker without reveal or record (the screen closes during a round).
    void halt();

    /// True while the current round's worker runs.
    bool isRolling() const;

    /// Voids a win of this draw (an absent winner): it stays on record, its participant stays
    /// marked, and its place opens again; the schedule goes on from the record, so the next
    /// round of that prize draws the replacement.
    void voidWin(int seq, const QString &reason);

    /// The record entries of the latest stop's winners (empty before the first stop).
    const QList<RecordEntry> &lastRoundWins() const { return m_lastRoundWins; }

    /// The winners of this engine's life, in the order recorded.
    const WinnerLog &winnerLog() const { return m_winnerLog; }

    /// The full number last shown on each row of the current round, mirrored: entry s
    /// (1..rows) was rolled on the row whose mirror (revealRowOf()) is row s - 1; entry 0 is
    /// never used. Read only while no round rolls.
    const std::array<QString, 301> &lastShown() const { return m_lastShown; }

    /// The current round's worker, or null before the first round. For tests.
    RollWorker *worker() const { return m_worker.get(); }

    /// Replaces the source of the round keys (RollKey::fromSystem by default), for tests
    /// that must repeat an order.
    void setKeySource(RollKeySource source);

private:
    void roll();
    void reveal(const QList<RecordEntry> &winners);
    /// Puts the schedule where the draw's record stands.
    void resumeFromRecord();

    DrawSurface *const m_surface;
    Database &m_db;
    DrawSchedule m_schedule;
    RollKeySource m_keySource;
    std::unique_ptr<RollWorker> m_worker;
    std::array<QString, 301> m_lastShown;
    qint64 m_drawId = 0;
    int m_roundRows = 0;      // rows of the round whose numbers are held
    int m_roundPrize = 0;     // prize number the round's winners are recorded for
    int m_roundNumber = 0;    // which round of that prize
    bool m_revealDue = false; // the round rolled and has not been revealed yet
    QList<RecordEntry> m_lastRoundWins;
    WinnerLog m_winnerLog;
};
