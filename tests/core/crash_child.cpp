// The draw of tst_crash's child process: runs a draw through the engine with a screen that
// prints what the audience is shown, and kills itself without any clean-up at a chosen point
// of a chosen stop, as a crash or a power cut would end the program.
//
//   crash_child <database> new|continue <seed> [<point>@<stop>]
//
// "new" begins a new draw; "continue" goes on with the unfinished draw (or begins one when
// there is none, as the draw screen does). Round k's key is drawn from a generator seeded with
// <seed>, and round k is stopped once it has shown 7 * k rows, so a run repeats exactly. <stop>
// counts the stops of this run from 1; the points, in the order a stop reaches them:
//
//   begin      the stop's transaction is about to begin
//   marked     inside it: the winners are marked, their first record row is being written
//   commit     the commit runs and has not reached the file yet
//   committed  the commit is in the file; nothing revealed yet
//   revealing  the first winner's full number is on the tiles, the others are not
//   revealed   every winner shown and listed, the notification showing
//   between    the stop is over and the next round has not begun
//
// Output, one line each, flushed at once: "revealed <phone>" for a full number on the tiles,
// "listed <phone>" for a winner in the notification, "stop <n> done", and "over" when the draw
// has ended. Exit status 0 after "over", 2 when the kill point was never reached, 1 on an error.

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/draw/DrawEngine.h"
#include "core/draw/DrawSurface.h"
#include "core/draw/RollWorker.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <sqlite3.h>

namespace {

enum class KillPoint { None, Begin, Marked, Commit, Committed, Revealing, Revealed, Between };

struct KillPlan
{
    KillPoint point = KillPoint::None;
    int stop = 0;
};

/// Set while the stop the kill is planned for runs; the hooks act only then.
bool armed = false;
KillPlan plan;

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

/// The end of the process: no destructor, no flush of anything but what say() wrote already.
void dieAt(KillPoint point)
{
    if (armed && plan.point == point)
        std::raise(SIGKILL);
}

std::optional<KillPlan> parseKill(const QString &text)
{
    static const QList<QPair<QString, KillPoint>> names = {
        {QStringLiteral("begin"), KillPoint::Begin},         {QStringLiteral("marked"), KillPoint::Marked},
        {QStringLiteral("commit"), KillPoint::Commit},       {QStringLiteral("committed"), KillPoint::Committed},
        {QStringLiteral("revealing"), KillPoint::Revealing}, {QStringLiteral("revealed"), KillPoint::Revealed},
        {QStringLiteral("between"), KillPoint::Between},
    };
    const QStringList parts = text.split(QLatin1Char('@'));
    bool ok = false;
    const int stop = parts.value(1).toInt(&ok);
    if (parts.size() != 2 || !ok || stop < 1)
        return std::nullopt;
    for (const auto &[name, point] : names) {
        if (name == parts.at(0))
            return KillPlan{point, stop};
    }
    return std::nullopt;
}

/// The draw screen as the audience sees it: rolling rows are masked; a full number on a row
/// or a line in the notification is a winner shown.
class AudienceSurface final : public DrawSurface
{
public:
    void showTileRow(int row, const QString &text) override
    {
        ++shownRows;
        if (!text.isEmpty() && !text.contains(QLatin1Char('*'))) {
            say(QStringLiteral("revealed ") + text);
            dieAt(KillPoint::Revealing);
        }
        if (onRow)
            onRow(row);
    }
    void revealRow(int row, const QString &phone, const QString &) override { showTileRow(row, phone); }
    void showWarning(const QString &text, const QString &) override { say(QStringLiteral("warning ") + text); }
    void rollFailed(const QString &reason) override { say(QStringLiteral("roll failed ") + reason); }
    void playWinMusic() override {}
    void addNotificationLine(const QString &line) override { pending << line.section(QLatin1Char(' '), 0, 0); }
    void showNotification() override
    {
        for (const QString &phone : std::as_const(pending))
            say(QStringLiteral("listed ") + phone);
        pending.clear();
        dieAt(KillPoint::Revealed);
    }

    qsizetype shownRows = 0;
    QStringList pending;
    std::function<void(int)> onRow;
};

int traceHook(unsigned, void *, void *, void *sql)
{
    if (qstrnicmp(static_cast<const char *>(sql), "begin", 5) == 0)
        dieAt(KillPoint::Begin);
    return 0;
}

void updateHook(void *, int operation, const char *, const char *table, sqlite3_int64)
{
    if (operation == SQLITE_INSERT && std::strcmp(table, "draw_entries") == 0)
        dieAt(KillPoint::Marked);
}

int commitHook(void *)
{
    dieAt(KillPoint::Commit);
    return 0;
}

int walHook(void *, sqlite3 *, const char *, int)
{
    dieAt(KillPoint::Committed);
    return SQLITE_OK;
}

/// Lets the round roll until it has shown @p rows rows, then stops the worker there.
void rollFor(DrawEngine &engine, AudienceSurface &surface, int rows)
{
    const qsizetype before = surface.shownRows;
    surface.onRow = [&engine, &surface, before, rows](int) {
        if (surface.shownRows - before == rows)
            engine.worker()->requestStop();
    };
    engine.worker()->waitForEnd();
    surface.onRow = nullptr;
}

int runDraw(const QString &file, bool continuing, quint64 seed)
{
    Database db(file);
    // The hooks see the engine's own connection only: the roll worker reads through another.
    // (The WAL hook takes the place of the automatic checkpoints, which a draw this small
    // does not need.)
    sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT, traceHook, nullptr);
    sqlite3_update_hook(db.handle(), updateHook, nullptr);
    sqlite3_commit_hook(db.handle(), commitHook, nullptr);
    sqlite3_wal_hook(db.handle(), walHook, nullptr);

    AudienceSurface surface;
    DrawEngine engine(&surface, db);
    QRandomGenerator keys(seed);
    engine.setKeySource([&keys] { return RollKey{keys.generate64(), keys.generate64()}; });
    engine.loadPlan(RollWorker::MaxRoundRows);
    const std::optional<DrawInfo> open = continuing ? engine.unfinishedDraw() : std::nullopt;
    if (open)
        engine.continueDraw(open->id);
    else
        engine.beginNewDraw();

    for (int stop = 1; !engine.schedule().isOver(); ++stop) {
        if (engine.schedule().beginRound() != RoundOutcome::RoundBegun)
            throw Error(QStringLiteral("no round begins"));
        engine.startRound(engine.schedule().roundRows());
        rollFor(engine, surface, 7 * stop);
        armed = plan.stop == stop;
        engine.stop();
        say(QStringLiteral("stop %1 done").arg(stop));
        dieAt(KillPoint::Between);
        armed = false;
    }
    engine.finishDraw();
    say(QStringLiteral("over"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool modeKnown = args.value(2) == QLatin1String("new") || args.value(2) == QLatin1String("continue");
    bool seedOk = false;
    const quint64 seed = args.value(3).toULongLong(&seedOk);
    const std::optional<KillPlan> kill = args.size() > 4 ? parseKill(args.at(4)) : KillPlan{};
    if (args.size() < 4 || args.size() > 5 || !modeKnown || !seedOk || !kill) {
        std::fputs("usage: crash_child <database> new|continue <seed> [<point>@<stop>]\n", stderr);
        return 1;
    }
    plan = *kill;
    try {
        runDraw(args.at(1), args.at(2) == QLatin1String("continue"), seed);
    } catch (const Error &e) {
        std::fputs(qPrintable(e.text() + QLatin1Char('\n')), stderr);
        return 1;
    }
    if (plan.point != KillPoint::None) {
        std::fputs("the draw ended before the kill point\n", stderr);
        return 2;
    }
    return 0;
}
