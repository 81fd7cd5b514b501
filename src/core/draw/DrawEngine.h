#pragma once

#include "core/draw/DrawSchedule.h"
#include "core/draw/RollOrder.h"
#include "core/draw/WinnerLog.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

class Database;
class DrawSurface;
class RollWorker;

/// The draw behind the draw screen: the prize schedule, the roll worker of the current
/// round, the numbers last shown on its rows and the WinnerLog. Lives on the UI thread and
/// is called only there.
///
/// At each start action the screen asks schedule().isOver(); if false, the prize's name for
/// its notification; then schedule().beginRound(); when that gives RoundBegun it shows
/// schedule().roundRows() tile rows, starts its music and calls startRound(). At each stop
/// action it calls stop(); when it closes during a round, halt().
///
/// Rows, warnings, music and the notification go to the DrawSurface given at construction.
/// Errors of the database are thrown (DatabaseError, ConversionError) with the text to show.
class DrawEngine final : public QObject
{
    Q_OBJECT

public:
    /// @param surface the screen side; must outlive the engine.
    /// @param db the UI thread's connection; each round's worker opens its own to the file.
    DrawEngine(DrawSurface *surface, Database &db, QObject *parent = nullptr);
    /// Halts a round that still rolls, without reveal or record.
    ~DrawEngine() override;

    /// Loads the prize plan from the prize table and starts at the first prize. A plan with a
    /// prize that cannot be drawn (DrawSchedule::planProblems(), rounds of at most
    /// @p maxRoundRows rows) is refused before anything is drawn, with an Error naming every
    /// such prize.
    void loadPlan(int maxRoundRows);
    DrawSchedule &schedule() { return m_schedule; }
    const DrawSchedule &schedule() const { return m_schedule; }

    /// Starts the roll of a round with @p roundRows rows on a new worker with a fresh key;
    /// the winners will be recorded for the prize of the latest beginRound(). Rows above
    /// RollWorker::MaxRoundRows are rolled on that many. With 0 rows or fewer the worker
    /// only has the warning "抽奖人数必须大于0!" shown. A round that still rolls is halted
    /// first, without reveal or record.
    void startRound(int roundRows);

    /// The stop action: halts the worker (applying its rows until it has ended) and marks the
    /// round's winners drawn, every row of each number, in one transaction. Only once that is
    /// written does it reveal each winner's full number on the mirrored row, play the win
    /// music, log every winner in row order and list it in the notification ("number      name
    /// \r"), then show the notification. Without a round to stop it only plays the music and
    /// shows the notification.
    ///
    /// When the marks cannot be written (DatabaseError), nothing is revealed, logged or listed,
    /// the round rolls again on a new worker and the error is thrown: the next stop tries
    /// again.
    void stop();

    /// Halts a rolling worker without reveal or record (the screen closes during a round).
    void halt();

    /// True while the current round's worker runs.
    bool isRolling() const;

    /// The winners of this engine's life, in the order recorded. Copy it out before the
    /// engine goes: the results page reads it after the draw screen has closed.
    const WinnerLog &winnerLog() const { return m_winnerLog; }

    /// The full number last shown on each row of the current round, mirrored: entry s
    /// (1..rows) is the row rows - s; entry 0 is never used. Read only while no round rolls.
    const std::array<QString, 301> &lastShown() const { return m_lastShown; }

    /// The current round's worker, or null before the first round. For tests.
    RollWorker *worker() const { return m_worker.get(); }

    /// Replaces the source of the round keys (RollKey::fromSystem by default), for tests
    /// that must repeat an order.
    void setKeySource(RollKeySource source);

private:
    void roll();
    void reveal();

    DrawSurface *const m_surface;
    Database &m_db;
    DrawSchedule m_schedule;
    RollKeySource m_keySource;
    std::unique_ptr<RollWorker> m_worker;
    std::array<QString, 301> m_lastShown;
    int m_roundRows = 0;      // rows of the round whose numbers are held
    int m_roundPrize = 0;     // prize number the round's winners are recorded for
    bool m_revealDue = false; // the round rolled and has not been revealed yet
    WinnerLog m_winnerLog;
};
