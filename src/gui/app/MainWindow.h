#pragma once

#include <QMainWindow>

class BackupRunner;
class Database;
class ParticipantsPage;
class PrizesPage;
class QAction;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class ResultsPage;

/// The management window: participant entry, prize settings, draw results and help, with the
/// main menu. It lives for the whole run; creating it loads both tables (and fails when the
/// database cannot be read), destroying it purges incomplete rows. Every command that reads
/// the tables (the menu's, and the pages' import, export and delete) first ends an edit still
/// open in any grid, so that what was typed is saved and read.
///
/// The database is backed up on a worker thread once the window is first shown and whenever the
/// draw screen closes; the status bar says when the last backup was taken or why it failed,
/// without interrupting anything. Destroying the window waits for a backup under way.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(Database &db, QWidget *parent = nullptr);
    ~MainWindow() override;

    void openSettings();
    /// "清除数据": deletes every participant after asking.
    void clearData();
    /// "开始抽奖": the full-screen draw, then its results.
    void startDraw();
    void showManual();
    void showAbout();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenu();
    void showBackupStatus(const QString &text, bool failed);

    Database &m_db;
    QTabWidget *m_pages;
    ParticipantsPage *m_participants;
    PrizesPage *m_prizes;
    ResultsPage *m_results;
    QPlainTextEdit *m_help;
    QLabel *m_backupStatus;
    BackupRunner *m_backups;
    bool m_shownBefore = false;
};
