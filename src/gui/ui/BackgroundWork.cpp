#include "gui/ui/BackgroundWork.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace BackgroundWork {

void run(const std::function<void()> &work)
{
    std::exception_ptr error;
    const std::unique_ptr<QThread> thread(QThread::create([&work, &error] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
    }));
    QEventLoop loop;
    // Queued: the signal comes from the worker thread and is handled by this thread's loop,
    // also when the work ends before the loop has begun.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    if (!thread->isRunning() && !thread->isFinished()) {
        // No thread could be made: the work is done here, as if it were quick.
        work();
        return;
    }
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop also ends when the application quits; the work's data lives on this stack.
    thread->wait();
    if (error)
        std::rethrow_exception(error);
}

} // namespace BackgroundWork
