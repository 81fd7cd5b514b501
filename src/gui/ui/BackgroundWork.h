#pragma once

#include <functional>
#include <optional>

/// Long work done off the UI thread while the UI thread waits for it without freezing.
namespace BackgroundWork {

/// Runs @p work on a thread of its own and returns when it has ended. Meanwhile the UI thread
/// goes on painting and running timers, so a progress window stays drawn, but mouse and
/// keyboard input waits until the work has ended: the operator cannot start another command
/// in between. An exception the work throws is thrown here, unchanged.
///
/// The work must not touch widgets or the UI thread's database connection.
void run(const std::function<void()> &work);

/// The same, for work that gives a result.
template <typename T> T compute(const std::function<T()> &work)
{
    std::optional<T> result;
    run([&] { result.emplace(work()); });
    return std::move(*result);
}

} // namespace BackgroundWork
