// Figures of the draw engine over 100,000 participants: row hand-overs per second, the stop's
// latency from request to the worker's end, and one pass's query. Prints one line per figure.

#include "HandoverBench.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/data/DrawStore.h"
#include "core/draw/RollOrder.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTextStream>

#include <ctime>
#include <sqlite3.h>

namespace {

constexpr int Participants = 100000;

class NoOpSink final : public RollSink
{
public:
    void showTileRow(int, const QString &) override {}
    void showWarning(const QString &, const QString &) override {}
    void rollFailed(const QString &) override {}
};

double threadCpuMillis()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void print(const QString &figure, double value, const QString &unit)
{
    QTextStream(stdout) << figure.leftJustified(62, QLatin1Char('.')) << ' ' << QString::number(value, 'f', 2) << ' '
                        << unit << Qt::endl;
}

/// Stop latency: the time halt() takes from the stop request to the worker's end, with the
/// round rolling on 10 rows. Each trial lets the event loop apply a random number of rows
/// first; with @p intoNextPass the stop instead lands at a random moment of the second
/// pass's query, the only stretch without hand-overs.
std::vector<double> stopLatencies(const QString &databaseFile, int trials, bool intoNextPass)
{
    NoOpSink sink;
    QRandomGenerator random(42);
    std::vector<double> millis;
    for (int trial = 0; trial < trials; ++trial) {
        std::array<QString, RollWorker::MaxRoundRows + 1> lastShown;
        QEventLoop loop;
        const int rows = intoNextPass ? Participants : random.bounded(10, 3000);
        bench::CountingSink counter(sink, loop, rows);
        RollWorker worker(databaseFile, 10, lastShown.data(), &counter, RollKey::fromSystem());
        worker.start();
        loop.exec();
        if (intoNextPass) {
            // The last row of the pass is applied: the worker now reads the next pass.
            QElapsedTimer spin;
            spin.start();
            const qint64 delay = random.bounded(30000) * 1000LL;
            while (spin.nsecsElapsed() < delay) {
            }
        }
        QElapsedTimer clock;
        clock.start();
        worker.halt();
        millis.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return millis;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestDb db;
    db.addManyParticipants(Participants);
    const QString file = db.dbFile();
    // The program's own connection stays open for the whole run, as in the program.
    Database connection(file);

    {
        // Wall time is what the roll sees; the processor time of the thread tells the work
        // itself apart from waiting for a core on a busy machine. The pass is reused from run
        // to run, as the worker reuses it from pass to pass.
        DrawStore store(connection);
        RollPass pass(RollKey::fromSystem());
        std::vector<double> wall, cpu;
        for (int run = 0; run < 21; ++run) {
            QElapsedTimer clock;
            const double cpuBefore = threadCpuMillis();
            clock.start();
            store.loadRollPass(&pass);
            wall.push_back(double(clock.nsecsElapsed()) / 1e6);
            cpu.push_back(threadCpuMillis() - cpuBefore);
        }
        print(QStringLiteral("pass query over 100,000 rows, median"), bench::median(wall), QStringLiteral("ms"));
        print(QStringLiteral("pass query over 100,000 rows, p99"), bench::percentile(wall, 99), QStringLiteral("ms"));
        print(QStringLiteral("pass query over 100,000 rows, processor time, median"), bench::median(cpu),
              QStringLiteral("ms"));
    }

    NoOpSink noOp;
    std::vector<double> rates = bench::handoverRates(file, noOp, 10, 50000, 7);
    print(QStringLiteral("row hand-overs to a no-op sink, median"), bench::median(rates), QStringLiteral("per s"));
    // The rate to a real row of 11 tile captions belongs with the draw screen's benchmark,
    // through bench::handoverRates with its tile sink.

    std::vector<double> midPass = stopLatencies(file, 200, false);
    print(QStringLiteral("stop latency, 100,000 eligible, mid-pass, median"), bench::median(midPass),
          QStringLiteral("ms"));
    print(QStringLiteral("stop latency, 100,000 eligible, mid-pass, p99"), bench::percentile(midPass, 99),
          QStringLiteral("ms"));
    std::vector<double> inQuery = stopLatencies(file, 10, true);
    print(QStringLiteral("stop latency, during a pass's query, median"), bench::median(inQuery), QStringLiteral("ms"));
    print(QStringLiteral("stop latency, during a pass's query, max"), bench::percentile(inQuery, 100),
          QStringLiteral("ms"));
    return 0;
}
