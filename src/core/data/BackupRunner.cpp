#include "core/data/BackupRunner.h"

#include "core/base/Error.h"

#include <QThread>

#include <utility>

BackupRunner::BackupRunner(const QString &databaseFile, const Backups::Limits &limits, QObject *parent)
    : QObject(parent)
    , m_databaseFile(databaseFile)
    , m_limits(limits)
{
}

BackupRunner::~BackupRunner()
{
    while (m_thread) {
        const Outcome outcome = waitForThread();
        if (!outcome.error.isEmpty())
            qWarning("Backup at exit failed: %s", qUtf8Printable(outcome.error));
        if (m_queued) {
            m_queued = false;
            launch();
        }
    }
}

void BackupRunner::start()
{
    if (m_thread)
        m_queued = true;
    else
        launch();
}

bool BackupRunner::isBusy() const
{
    return m_thread != nullptr;
}

void BackupRunner::launch()
{
    auto outcome = std::make_shared<Outcome>();
    m_outcome = outcome;
    m_thread.reset(QThread::create([outcome, file = m_databaseFile, limits = m_limits] {
        // Nothing may escape a thread's function: every failure becomes the outcome.
        try {
            outcome->backupFile = Backups::backUp(file, limits);
        } catch (const Error &e) {
            outcome->error = e.text();
        } catch (const std::exception &e) {
            outcome->error = QString::fromLocal8Bit(e.what());
        }
    }));
    m_thread->setObjectName(QStringLiteral("backup"));
    // Emitted on the worker thread, so delivered to this object's thread through its event loop.
    connect(m_thread.get(), &QThread::finished, this, [this, thread = m_thread.get()] {
        if (m_thread.get() == thread)
            onThreadFinished();
    });
    m_thread->start(QThread::LowPriority);
}

BackupRunner::Outcome BackupRunner::waitForThread()
{
    m_thread->wait();
    m_thread.reset();
    return *std::exchange(m_outcome, nullptr);
}

void BackupRunner::onThreadFinished()
{
    const Outcome outcome = waitForThread();
    if (m_queued) {
        m_queued = false;
        launch();
    }
    if (outcome.error.isEmpty())
        emit backedUp(outcome.backupFile);
    else
        emit failed(outcome.error);
}
