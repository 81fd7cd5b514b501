#pragma once

#include "core/data/Backups.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;

/// Takes the database's backups (Backups::backUp()) on a worker thread, one at a time, so that
/// the window never waits for one. A backup asked for while one runs is taken once that one has
/// ended; any further requests in between merge into it. The outcome of each comes back as a
/// signal on the thread that owns the runner.
class BackupRunner final : public QObject
{
    Q_OBJECT

public:
    explicit BackupRunner(const QString &databaseFile, const Backups::Limits &limits = {}, QObject *parent = nullptr);
    /// Waits for the backup under way and takes the one asked for after it, if any, so that no
    /// backup is cut short at exit and the last change asked to be backed up is. Their outcome
    /// is no longer signalled; a failure goes to the log.
    ~BackupRunner() override;
    BackupRunner(const BackupRunner &) = delete;
    BackupRunner &operator=(const BackupRunner &) = delete;

    /// Starts a backup, or asks for one more when one is under way. Returns at once.
    void start();
    /// True while a backup runs or one more is asked for.
    bool isBusy() const;

signals:
    /// A backup was written to @p backupFile.
    void backedUp(const QString &backupFile);
    /// A backup failed; @p text is the operator's message (Chinese, naming the file or folder).
    void failed(const QString &text);

private:
    struct Outcome
    {
        QString backupFile;
        QString error;
    };
    void launch();
    void onThreadFinished();
    Outcome waitForThread();

    QString m_databaseFile;
    Backups::Limits m_limits;
    std::unique_ptr<QThread> m_thread;
    /// Written by the worker thread only while it runs; read once it has ended.
    std::shared_ptr<Outcome> m_outcome;
    bool m_queued = false;
};
