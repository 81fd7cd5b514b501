// Backups of the database file: taken online, rotated, and the way back from a damaged file.
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/data/BackupRunner.h"
#include "core/data/Backups.h"
#include "core/data/Database.h"
#include "core/data/ParticipantStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>
#include <thread>

namespace {

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &file, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/// The phone numbers in a database file, read through a read-only connection of its own.
QStringList phonesIn(const QString &file)
{
    sqlite3 *db = nullptr;
    QStringList phones;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "select Tel from Tab_CJ order by xh", -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            phones << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return phones;
}

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

/// Garbage over the first page of the participant table: the file still opens, reading the
/// table fails. The last connection has closed, so everything is in the main file.
void damageParticipantTable(TestDb &testDb)
{
    const int pageSize = testDb.column(QStringLiteral("pragma page_size")).constFirst().toInt();
    const int root =
        testDb.column(QStringLiteral("select rootpage from sqlite_master where name = 'Tab_CJ'")).constFirst().toInt();
    QVERIFY(!QFile::exists(testDb.dbFile() + QStringLiteral("-wal")));
    QFile f(testDb.dbFile());
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(qint64(root - 1) * pageSize);
    f.write(QByteArray(pageSize, '\xA5'));
}

} // namespace

class TestBackups final : public QObject
{
    Q_OBJECT

private slots:
    void backupWhileAnotherConnectionWrites();
    void rotation_data();
    void rotation();
    void backupFailures_data();
    void backupFailures();
    void restoreNewestUsable_data();
    void restoreNewestUsable();
    void restoreWithoutUsableBackup_data();
    void restoreWithoutUsableBackup();
    void restoreNeverOverwrites();
    void damagedDatabaseNotBackedUp();
    void runnerWorksInTheBackground();
    void runnerFinishesAtExit();
    void runnerReportsFailure();
};

// A backup runs on a worker thread while the program's connection holds a write transaction
// open: it holds the last commit, and neither waits for the writer nor holds it up.
void TestBackups::backupWhileAnotherConnectionWrites()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001")}, {QStringLiteral("13800000002")}});
    Database writer(testDb.dbFile());
    Transaction transaction(writer);
    ParticipantStore(writer).add(3);

    QString backup;
    QString failure;
    std::thread worker([&] {
        try {
            backup = Backups::backUp(testDb.dbFile());
        } catch (const Error &e) {
            failure = e.text();
        }
    });
    worker.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    ParticipantStore(writer).add(4); // the writer goes on after the backup
    transaction.commit();

    QCOMPARE(QFileInfo(backup).absolutePath(), QFileInfo(testDb.dbFile()).absolutePath() + QStringLiteral("/backup"));
    QVERIFY2(QRegularExpression(QStringLiteral("^CJ-\\d{8}-\\d{6}-\\d{3}\\.mdb$"))
                 .match(QFileInfo(backup).fileName())
                 .hasMatch(),
             qPrintable(backup));
    QCOMPARE(Backups::list(testDb.dbFile()), QStringList{backup});
    QCOMPARE(phonesIn(backup), (QStringList{"13800000001", "13800000002"}));
    // A file on its own: no write-ahead log, nothing else beside it.
    QCOMPARE(namesIn(Backups::folderOf(testDb.dbFile())), QStringList{QFileInfo(backup).fileName()});
    QCOMPARE(readAll(backup).mid(18, 2), QByteArray("\x01\x01", 2));
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{"4"});
}

void TestBackups::rotation_data()
{
    // Older backups already in the folder (all of one size, a backup's size), then `made` new ones.
    QTest::addColumn<int>("older");
    QTest::addColumn<int>("made");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("sizes"); // the byte limit, in backups
    QTest::addColumn<int>("keptOlder");
    QTest::newRow("within both limits") << 3 << 1 << 10 << 100.0 << 3;
    QTest::newRow("by count") << 5 << 1 << 3 << 100.0 << 2;
    QTest::newRow("by size") << 5 << 1 << 10 << 2.5 << 1;
    QTest::newRow("size tighter than count") << 5 << 1 << 4 << 2.0 << 1;
    QTest::newRow("count tighter than size") << 5 << 1 << 2 << 4.0 << 1;
    QTest::newRow("newest kept though over the size") << 3 << 1 << 10 << 0.5 << 0;
    QTest::newRow("several in a row") << 0 << 4 << 3 << 100.0 << 0;
}

// Rotation keeps the newest backups within both limits, deleting the oldest first, and never
// touches another file of the folder.
void TestBackups::rotation()
{
    QFETCH(int, older);
    QFETCH(int, made);
    QFETCH(int, count);
    QFETCH(double, sizes);
    QFETCH(int, keptOlder);
    TestDb testDb;
    testDb.addManyParticipants(200);
    const QString folder = Backups::folderOf(testDb.dbFile());
    // A first backup gives the size every backup of this file has.
    const QString first = Backups::backUp(testDb.dbFile());
    const QByteArray image = readAll(first);
    QVERIFY(QFile::remove(first));
    QStringList olderNames;
    for (int i = 0; i < older; ++i)
        olderNames << folder + QStringLiteral("/CJ-2020010%1-080000-000.mdb").arg(i + 1);
    for (const QString &name : std::as_const(olderNames))
        writeFile(name, image);
    const QStringList foreign = {folder + QStringLiteral("/CJ-old.mdb"), folder + QStringLiteral("/notes.txt"),
                                 folder + QStringLiteral("/CJ-20190101-080000-000.mdb.part")};
    for (const QString &name : foreign)
        writeFile(name, image);

    const Backups::Limits limits{count, qint64(sizes * double(image.size()))};
    QStringList newNames;
    for (int i = 0; i < made; ++i)
        newNames.prepend(Backups::backUp(testDb.dbFile(), limits));
    QCOMPARE(QSet<QString>(newNames.begin(), newNames.end()).size(), made);

    QStringList expected = newNames.mid(0, std::min(made, count));
    for (int i = 0; i < keptOlder; ++i)
        expected << olderNames.at(older - 1 - i);
    QCOMPARE(Backups::list(testDb.dbFile()), expected);
    for (const QString &name : foreign)
        QVERIFY2(QFile::exists(name), qPrintable(name));
}

void TestBackups::backupFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("writeError");
    QTest::newRow("backup folder is a file") << "folder" << true;
    QTest::newRow("database missing") << "missing" << false;
}

void TestBackups::backupFailures()
{
    QFETCH(QString, kind);
    QFETCH(bool, writeError);
    TestDb testDb;
    const QString folder = Backups::folderOf(testDb.dbFile());
    if (kind == QLatin1String("folder"))
        writeFile(folder, "not a folder");
    const QString database =
        kind == QLatin1String("missing") ? testDb.root() + QStringLiteral("/DB/gone.mdb") : testDb.dbFile();
    try {
        Backups::backUp(database);
        QFAIL("backed up");
    } catch (const WriteError &e) {
        QVERIFY(writeError);
        QVERIFY2(e.text().contains(Files::displayPath(folder)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("无法在文件夹")), qPrintable(e.text()));
    } catch (const DatabaseError &e) {
        QVERIFY(!writeError);
        QVERIFY2(e.text().contains(Files::displayPath(folder)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(Files::displayPath(database)), qPrintable(e.text()));
    }
    QVERIFY(!QFile::exists(testDb.root() + QStringLiteral("/DB/gone.mdb")));
}

void TestBackups::restoreNewestUsable_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("truncated") << "truncated";
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("header overwritten") << "header";
    QTest::newRow("missing") << "missing";
}

// A damaged file is moved aside with its -wal and -shm, never overwritten, and the newest
// backup that passes the integrity check takes its place.
void TestBackups::restoreNewestUsable()
{
    QFETCH(QString, damage);
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001")}});
    const QString older = Backups::backUp(testDb.dbFile());
    testDb.addParticipants({{QStringLiteral("13800000002")}});
    const QString usable = Backups::backUp(testDb.dbFile());
    testDb.addParticipants({{QStringLiteral("13800000003")}});
    // Newer than both, but not a database / cut short: skipped.
    const QString folder = Backups::folderOf(testDb.dbFile());
    writeFile(folder + QStringLiteral("/CJ-29991231-235959-998.mdb"), QByteArray(8192, 'x'));
    writeFile(folder + QStringLiteral("/CJ-29991231-235959-999.mdb"), readAll(usable).left(4096));

    const QString dbFile = testDb.dbFile();
    const QString dbFolder = QFileInfo(dbFile).absolutePath();
    QStringList damagedCopies;
    for (int round = 1; round <= 2; ++round) { // a second damage never overwrites the first one
        const QByteArray whole = readAll(dbFile);
        QByteArray damaged;
        if (damage == QLatin1String("truncated"))
            damaged = whole.left(whole.size() / 3);
        else if (damage == QLatin1String("garbage"))
            damaged = QByteArray(whole.size(), '\x5A');
        else if (damage == QLatin1String("header"))
            damaged = QByteArray(100, '\0') + whole.mid(100);
        if (damage == QLatin1String("missing")) {
            QVERIFY(QFile::remove(dbFile));
        } else {
            writeFile(dbFile, damaged);
            // Left by the crash: applied to the restored file, they would spoil it.
            writeFile(dbFile + QStringLiteral("-wal"), QByteArray(4096, '\x11'));
            writeFile(dbFile + QStringLiteral("-shm"), QByteArray(32768, '\x22'));
        }

        QCOMPARE(Backups::restoreNewest(dbFile), usable);
        QCOMPARE(phonesIn(dbFile), (QStringList{"13800000001", "13800000002"}));
        QVERIFY(!QFile::exists(dbFile + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(dbFile + QStringLiteral("-shm")));
        QCOMPARE(Backups::list(dbFile).size(), 4); // the backups stay as they were
        QCOMPARE(readAll(usable), readAll(dbFile));
        {
            Database db(dbFile); // opens for the program, as it was
            QCOMPARE(ParticipantStore(db).loadAll().size(), 2);
        }

        if (damage == QLatin1String("missing"))
            continue;
        const QStringList aside = QDir(dbFolder).entryList({QStringLiteral("CJ.mdb.damaged-*")}, QDir::Files);
        QStringList mains;
        for (const QString &name : aside) {
            if (!name.endsWith(QLatin1String("-wal")) && !name.endsWith(QLatin1String("-shm")))
                mains << name;
        }
        QCOMPARE(mains.size(), round);
        const QString moved =
            dbFolder + QLatin1Char('/') +
            (QSet<QString>(mains.begin(), mains.end()) - QSet<QString>(damagedCopies.begin(), damagedCopies.end()))
                .values()
                .constFirst();
        QVERIFY2(
            QRegularExpression(QStringLiteral("/CJ\\.mdb\\.damaged-\\d{8}-\\d{6}-\\d{3}$")).match(moved).hasMatch(),
            qPrintable(moved));
        QCOMPARE(readAll(moved), damaged);
        QCOMPARE(readAll(moved + QStringLiteral("-wal")), QByteArray(4096, '\x11'));
        QCOMPARE(readAll(moved + QStringLiteral("-shm")), QByteArray(32768, '\x22'));
        damagedCopies << QFileInfo(moved).fileName();
    }
    Q_UNUSED(older);
}

void TestBackups::restoreWithoutUsableBackup_data()
{
    QTest::addColumn<bool>("brokenBackups");
    QTest::newRow("no backup folder") << false;
    QTest::newRow("only damaged backups") << true;
}

// With no usable backup nothing is moved: the damaged file and its -wal stay where they are.
void TestBackups::restoreWithoutUsableBackup()
{
    QFETCH(bool, brokenBackups);
    TestDb testDb;
    const QString folder = Backups::folderOf(testDb.dbFile());
    if (brokenBackups) {
        writeFile(folder + QStringLiteral("/CJ-20240101-080000-000.mdb"), QByteArray(4096, 'x'));
        writeFile(folder + QStringLiteral("/CJ-20240102-080000-000.mdb"), QByteArray());
    }
    const QString dbFile = testDb.dbFile();
    writeFile(dbFile, QByteArray(8192, 'x'));
    writeFile(dbFile + QStringLiteral("-wal"), QByteArray(100, 'w'));
    const QStringList before = namesIn(QFileInfo(dbFile).absolutePath());

    QCOMPARE(Backups::restoreNewest(dbFile), QString());
    QCOMPARE(namesIn(QFileInfo(dbFile).absolutePath()), before);
    QCOMPARE(readAll(dbFile), QByteArray(8192, 'x'));
    QCOMPARE(readAll(dbFile + QStringLiteral("-wal")), QByteArray(100, 'w'));
}

// The name the damaged file is to take is taken by now: nothing is moved or overwritten.
void TestBackups::restoreNeverOverwrites()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001")}});
    const QString backup = Backups::backUp(testDb.dbFile());
    const QString dbFile = testDb.dbFile();
    writeFile(dbFile, QByteArray(8192, 'x'));
    const QString damaged = Backups::damagedName(dbFile);
    QVERIFY(damaged.startsWith(dbFile + QStringLiteral(".damaged-")));
    QVERIFY(!QFile::exists(damaged));
    writeFile(damaged, "another program's file");
    const QStringList before = namesIn(QFileInfo(dbFile).absolutePath());
    try {
        Backups::restore(dbFile, backup, damaged);
        QFAIL("restored over an existing file");
    } catch (const WriteError &e) {
        QVERIFY2(e.text().contains(Files::displayPath(damaged)), qPrintable(e.text()));
    }
    QCOMPARE(namesIn(QFileInfo(dbFile).absolutePath()), before);
    QCOMPARE(readAll(dbFile), QByteArray(8192, 'x'));
    QCOMPARE(readAll(damaged), QByteArray("another program's file"));
    QCOMPARE(Backups::timeOf(backup).isValid(), true);
    QCOMPARE(Backups::timeOf(dbFile).isValid(), false);
}

// A database that opens but is damaged gives no backup: the sound backups before it are all
// kept, even when the rotation would have made room for a new one.
void TestBackups::damagedDatabaseNotBackedUp()
{
    TestDb testDb;
    testDb.addManyParticipants(2000);
    const QString sound = Backups::backUp(testDb.dbFile());
    damageParticipantTable(testDb);
    try {
        Backups::backUp(testDb.dbFile(), Backups::Limits{1, qint64(1) << 40});
        QFAIL("backed up a damaged database");
    } catch (const DatabaseError &e) {
        QVERIFY2(e.text().contains(Files::displayPath(testDb.dbFile())), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("已损坏")), qPrintable(e.text()));
    }
    QCOMPARE(namesIn(Backups::folderOf(testDb.dbFile())), QStringList{QFileInfo(sound).fileName()});
}

// The runner returns at once while the backup waits for a lock another program holds; the
// requests made meanwhile merge into one more backup, taken after the first.
void TestBackups::runnerWorksInTheBackground()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001")}});
    sqlite3 *lock = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(testDb.dbFile()).constData(), &lock), SQLITE_OK);
    QCOMPARE(sqlite3_exec(lock, "pragma locking_mode = exclusive; begin exclusive; commit;", nullptr, nullptr, nullptr),
             SQLITE_OK);

    BackupRunner runner(testDb.dbFile());
    QSignalSpy done(&runner, &BackupRunner::backedUp);
    QSignalSpy failed(&runner, &BackupRunner::failed);
    runner.start();
    runner.start();
    runner.start();
    QVERIFY(runner.isBusy());
    QVERIFY(Backups::list(testDb.dbFile()).isEmpty());
    sqlite3_close(lock);

    QTRY_COMPARE_WITH_TIMEOUT(done.size() + failed.size(), 2, 120000);
    QCOMPARE(failed.size(), 0);
    QVERIFY(!runner.isBusy());
    const QStringList backups = Backups::list(testDb.dbFile());
    QCOMPARE(backups.size(), 2);
    QCOMPARE(done.at(0).at(0).toString(), backups.at(1));
    QCOMPARE(done.at(1).at(0).toString(), backups.at(0));
    QCOMPARE(phonesIn(backups.at(0)), QStringList{"13800000001"});
}

// Ending the runner waits for the backup under way and takes the one asked for after it: no
// half-written file stays behind.
void TestBackups::runnerFinishesAtExit()
{
    TestDb testDb;
    testDb.addManyParticipants(20000);
    {
        BackupRunner runner(testDb.dbFile());
        runner.start();
        runner.start();
    }
    QCOMPARE(Backups::list(testDb.dbFile()).size(), 2);
    QCOMPARE(namesIn(Backups::folderOf(testDb.dbFile())).size(), 2);
    QCOMPARE(phonesIn(Backups::list(testDb.dbFile()).constFirst()).size(), 20000);
}

void TestBackups::runnerReportsFailure()
{
    TestDb testDb;
    const QString folder = Backups::folderOf(testDb.dbFile());
    writeFile(folder, "not a folder");
    BackupRunner runner(testDb.dbFile());
    QSignalSpy failed(&runner, &BackupRunner::failed);
    runner.start();
    QTRY_COMPARE(failed.size(), 1);
    QVERIFY(!runner.isBusy());
    const QString text = failed.at(0).at(0).toString();
    QVERIFY2(text.contains(Files::displayPath(folder)), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
