#pragma once

// Measuring the roll's row hand-overs against any screen side. bench_draw uses it with a sink
// that does nothing; a benchmark of the draw screen passes a sink that sets the captions of a
// real row of 11 tiles (it needs a QApplication instead of a QCoreApplication).

#include "core/draw/DrawSurface.h"
#include "core/draw/RollWorker.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <array>
#include <vector>

namespace bench {

/// The median of some figures (sorted in place).
inline double median(std::vector<double> &values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

/// The p-th percentile (0 < p <= 100) by the nearest-rank method (sorted in place).
inline double percentile(std::vector<double> &values, double p)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    const auto rank = std::size_t(std::max(1.0, std::ceil(p / 100.0 * double(values.size()))));
    return values[std::min(rank, values.size()) - 1];
}

/// Passes each row on to @p target and ends the event loop after a given number of rows.
class CountingSink final : public RollSink
{
public:
    CountingSink(RollSink &target, QEventLoop &loop, int quitAfter)
        : m_target(target)
        , m_loop(loop)
        , m_quitAfter(quitAfter)
    {
    }
    void showTileRow(int row, const QString &text) override
    {
        m_target.showTileRow(row, text);
        if (++count == 1)
            clock.start();
        if (count == m_quitAfter)
            m_loop.quit();
    }
    void showWarning(const QString &text, const QString &caption) override { m_target.showWarning(text, caption); }
    void rollFailed(const QString &reason) override { m_target.rollFailed(reason); }

    int count = 0;
    QElapsedTimer clock; // from the first row on, so the pass's query does not count

private:
    RollSink &m_target;
    QEventLoop &m_loop;
    int m_quitAfter;
};

/// Row hand-overs per second that the UI thread's event loop applies to @p sink while a round
/// of @p rows rows rolls over the participants of the database file. One figure per run.
inline std::vector<double> handoverRates(const QString &databaseFile, RollSink &sink, int rows, int handovers, int runs)
{
    std::vector<double> rates;
    for (int run = 0; run < runs; ++run) {
        std::array<QString, RollWorker::MaxRoundRows + 1> lastShown;
        QEventLoop loop;
        CountingSink counter(sink, loop, handovers);
        RollWorker worker(databaseFile, rows, lastShown.data(), &counter, RollKey::fromSystem());
        worker.start();
        loop.exec();
        const double seconds = double(counter.clock.nsecsElapsed()) / 1e9;
        worker.halt();
        rates.push_back((handovers - 1) / seconds);
    }
    return rates;
}

} // namespace bench
