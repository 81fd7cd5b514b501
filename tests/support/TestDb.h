#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

/// A throwaway installation for one test: <tmp>/bin as the executable's folder and
/// <tmp>/DB/CJ.mdb created empty, so the code under test finds it where the program would.
class TestDb final
{
public:
    TestDb();
    ~TestDb();
    QString dbFile() const;
    QString settingsFile() const;
    QString binDir() const;
    QString root() const { return m_dir.path(); }

    /// Adds participants (tel, name, comment) with serials 1..n after the existing ones.
    void addParticipants(const QList<QStringList> &rows);
    /// Adds n participants with distinct 11-digit numbers and names.
    void addManyParticipants(int n);
    /// Adds prize rows (name, quantity, rs, jp, comment) with serials 1..n.
    void addPrizes(const QList<QStringList> &rows);
    /// Runs free SQL against the database (test set-up only).
    void exec(const QString &sql);
    /// The first column of every row of a select, as text (Null as "<null>").
    QStringList column(const QString &sql);

private:
    QTemporaryDir m_dir;
};
