#pragma once

#include "DrawSchedule.h"
#include "RollOrder.h"
#include "WinnerLog.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

class DrawSurface;
class TCJThread;
class TDBLink;

/// The draw behind the draw screen: the prize schedule, the roll worker of the current
/// round, its RollSlots and the WinnerLog. Lives on the UI thread and is called only there.
///
/// At each start action the screen calls DrawIsOver(); if false, PrizeName(CurPrize + 1) for
/// its notification; then BeginRound(); when that gives RoundBegun it shows
/// schedule().RoundRows() tile rows, starts its music and calls startRound(). At each stop
/// action it calls stop(); when it closes during a round, halt().
///
/// Rows, warnings, music and the notification go to the DrawSurface given at construction.
/// Errors of the store are thrown (DbError, ConvertError) with the text to show.
class DrawEngine final : public QObject
{
    Q_OBJECT

public:
    /// @param surface the screen side; must outlive the engine.
    explicit DrawEngine(DrawSurface *surface, QObject *parent = nullptr);
    /// Halts a round that still rolls, without reveal or record.
    ~DrawEngine() override;

    /// @name Schedule
    /// @{
    /// Loads the prize plan and starts at the first prize (DrawSchedule::LoadPrizePlan).
    void LoadPrizePlan();
    bool DrawIsOver() const;
    QString PrizeName(int number) const;
    RoundOutcome BeginRound();
    /// The schedule's state: CurPrize, CurRound, PrizeQty, RoundRows, PrizePlan.
    const DrawSchedule &schedule() const { return m_schedule; }
    /// @}

    /// @name Rounds
    /// @{
    /// Starts the roll of a round with @p roundRows rows on a new worker, with a fresh
    /// RollSlots and a fresh key; the winners will be recorded for the prize of the latest
    /// BeginRound(). Rows above TCJThread::MaxRoundRows are rolled on that many. With 0 rows
    /// or fewer the worker only has the warning "抽奖人数必须大于0!" shown. A round that
    /// still rolls is halted first, without reveal or record.
    void startRound(int roundRows);

    /// The stop action: halts the worker (applying its rows until it has ended), then
    /// reveals each winner's full number on the mirrored row (slot s on row s - 1), plays the
    /// win music, records every winner in slot order (WinnerLog entry, notification line
    /// "number      name\r", every row of the number marked drawn) and shows the
    /// notification. Without a round to stop it only plays the music and shows the
    /// notification. Throws DbError; the winners recorded before the failure stay recorded
    /// and the notification is not shown.
    void stop();

    /// Halts a rolling worker without reveal or record (the screen closes during a round).
    void halt();

    /// True while the current round's worker runs.
    bool isRolling() const;
    /// @}

    /// The winners of this engine's life, in the order recorded. Copy it out before the
    /// engine goes: the results page reads it after the draw screen has closed.
    const WinnerLog &winnerLog() const { return m_winnerLog; }

    /// The current round's slots (index 1 to 300; 0 is never used). Read only when the round
    /// does not roll.
    const std::array<QString, 301> &RollSlots() const { return m_rollSlots; }

    /// The current round's worker, or null before the first round. For diagnostics and tests.
    TCJThread *worker() const { return m_worker.get(); }

    /// Replaces the source of the round keys (RollKey::fromSystem by default), for tests
    /// that must repeat an order.
    void setKeySource(RollKeySource source);

private:
    void reveal();
    void record(TDBLink &link);

    DrawSurface *const m_surface;
    DrawSchedule m_schedule;
    RollKeySource m_keySource;
    std::unique_ptr<TCJThread> m_worker;
    std::array<QString, 301> m_rollSlots;
    int m_roundRows = 0;      // rows of the round whose slots are held
    int m_roundPrize = 0;     // prize number the round's winners are recorded for
    bool m_revealDue = false; // the round rolled and has not been revealed yet
    WinnerLog m_winnerLog;
};
