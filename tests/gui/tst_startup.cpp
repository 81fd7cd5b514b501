// The program's start: the database opened with the offer to restore a damaged one from its
// backups, the draw record repaired, and the backups taken in the background after the start
// and after each draw.
#include "FakeSoundPlayer.h"
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/data/Backups.h"
#include "core/data/Database.h"
#include "core/data/ParticipantStore.h"
#include "core/draw/DrawEngine.h"
#include "gui/app/MainWindow.h"
#include "gui/app/Startup.h"
#include "gui/draw/DrawScreen.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

namespace {

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

/// Every file of the folder with its bytes, to show that nothing was moved or changed.
QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        files.insert(name, readAll(folder + QLatin1Char('/') + name));
    return files;
}

QStringList phones(Database &db)
{
    QStringList out;
    for (const Participant &p : ParticipantStore(db).loadAll())
        out << p.phone;
    return out;
}

/// The participants marked drawn in a database file, read through a connection of its own.
int markedIn(const QString &file)
{
    sqlite3 *db = nullptr;
    int marked = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "select count(*) from Tab_CJ where ZT = '1'", -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW)
            marked = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return marked;
}

QAction *action(const QObject &window, const char *name)
{
    QAction *found = window.findChild<QAction *>(QLatin1String(name));
    if (!found)
        qFatal("No action named %s", name);
    return found;
}

QLabel *backupStatus(const MainWindow &w)
{
    QLabel *found = w.findChild<QLabel *>(QStringLiteral("backupStatus"));
    if (!found)
        qFatal("The main window has no backup status");
    return found;
}

/// Damages the database file as the test row says: one that SQLite cannot open, or one that
/// opens with a table that cannot be read.
void damage(TestDb &testDb, const QString &kind)
{
    const QString file = testDb.dbFile();
    const QByteArray whole = readAll(file);
    if (kind == QLatin1String("garbage")) {
        writeFile(file, QByteArray(whole.size(), '\x5A'));
    } else if (kind == QLatin1String("header overwritten")) {
        writeFile(file, QByteArray(100, '\0') + whole.mid(100));
    } else if (kind == QLatin1String("truncated")) {
        writeFile(file, whole.left(whole.size() / 3));
    } else if (kind == QLatin1String("empty")) {
        writeFile(file, QByteArray());
    } else if (kind == QLatin1String("participant table overwritten")) {
        const int pageSize = testDb.column(QStringLiteral("pragma page_size")).constFirst().toInt();
        const int root = testDb.column(QStringLiteral("select rootpage from sqlite_master where name = 'Tab_CJ'"))
                             .constFirst()
                             .toInt();
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(qint64(root - 1) * pageSize);
        f.write(QByteArray(pageSize, '\xA5'));
    } else {
        QFAIL(qPrintable(kind));
    }
}

} // namespace

class TestStartup final : public QObject
{
    Q_OBJECT

private slots:
    void damagedDatabase_data();
    void damagedDatabase();
    void emptyFileWithoutUsableBackup();
    void lockedIsNoDamage();
    void missingFile_data();
    void missingFile();
    void recordRepairToldOnce();
    void backupsAfterStartAndDraw();
    void backupFailureIsQuiet();
};

void TestStartup::damagedDatabase_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("opens");  // the file opens and the check finds the damage
    QTest::addColumn<bool>("backup"); // a usable backup is there
    QTest::addColumn<bool>("answer"); // OK to the offer
    for (const QString kind :
         {"garbage", "header overwritten", "truncated", "empty", "participant table overwritten"}) {
        const bool opens = kind == QLatin1String("participant table overwritten");
        const QByteArray name = kind.toLatin1();
        QTest::newRow(name + ", restored") << kind << opens << true << true;
        QTest::newRow(name + ", declined") << kind << opens << true << false;
        if (kind != QLatin1String("empty")) // an empty file without backups is a new database
            QTest::newRow(name + ", no backup") << kind << opens << false << true;
    }
}

// A damaged database at start is offered to be replaced by the newest usable backup; the damaged
// file is kept under the name the offer gives. Declined, a file that cannot be opened ends the
// program untouched; one that opens is used as it is.
void TestStartup::damagedDatabase()
{
    QFETCH(QString, damage);
    QFETCH(bool, opens);
    QFETCH(bool, backup);
    QFETCH(bool, answer);
    TestDb testDb;
    const QString file = testDb.dbFile();
    const QString folder = QFileInfo(file).absolutePath();
    testDb.addManyParticipants(3000);
    QString backupFile;
    if (backup) {
        backupFile = Backups::backUp(file);
        // An older one, and a newer one that is no database: the newest usable is chosen.
        QFile::copy(backupFile, Backups::folderOf(file) + QStringLiteral("/CJ-20200101-080000-000.mdb"));
        writeFile(Backups::folderOf(file) + QStringLiteral("/CJ-29991231-235959-999.mdb"), "no database");
    }
    testDb.addParticipants({{QStringLiteral("13900000000")}});
    ::damage(testDb, damage);
    const QByteArray damagedBytes = readAll(file);
    const QMap<QString, QByteArray> before = filesIn(folder);

    ScriptedDialogs dialogs;
    dialogs.answers = {answer};
    std::unique_ptr<Database> db = Startup::openDatabase(file);

    const QString shownFile = Files::displayPath(file);
    QVERIFY(!dialogs.messages.isEmpty());
    const ScriptedDialogs::Message &first = dialogs.messages.constFirst();
    QVERIFY2(first.text.contains(shownFile), qPrintable(first.text));
    QVERIFY2(first.text.contains(opens ? QStringLiteral("检查出损坏") : QStringLiteral("无法打开")),
             qPrintable(first.text));
    // SQLite's words as the detail, not a message of its own telling the operator to quit.
    QVERIFY2(!first.text.contains(QStringLiteral("重新启动本程序")), qPrintable(first.text));
    if (!backup) {
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(first.buttons == Dialogs::Buttons::Ok);
        QVERIFY(first.icon == (opens ? Dialogs::Icon::Warning : Dialogs::Icon::Error));
        QVERIFY2(first.text.contains(Files::displayPath(Backups::folderOf(file))), qPrintable(first.text));
        QCOMPARE(db != nullptr, opens);
    } else {
        QVERIFY(first.buttons == Dialogs::Buttons::OkCancel);
        const QString taken = Backups::timeOf(backupFile).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(first.text.contains(taken), qPrintable(first.text));
        QVERIFY2(first.text.contains(Files::displayPath(backupFile)), qPrintable(first.text));
        const QRegularExpressionMatch aside = QRegularExpression(QStringLiteral("改名为“([^”]+)”")).match(first.text);
        QVERIFY2(aside.hasMatch(), qPrintable(first.text));
        const QString damagedFile = QDir::fromNativeSeparators(aside.captured(1));
        QVERIFY2(damagedFile.startsWith(file + QStringLiteral(".damaged-")), qPrintable(damagedFile));
        if (answer) {
            QVERIFY(db);
            QCOMPARE(dialogs.messages.size(), 2);
            QVERIFY2(dialogs.messages.at(1).text.contains(QStringLiteral("已用 %1 的备份").arg(taken)),
                     qPrintable(dialogs.messages.at(1).text));
            QCOMPARE(phones(*db).size(), 3000);
            QCOMPARE(readAll(damagedFile), damagedBytes);
            return;
        }
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(db != nullptr, opens);
    }
    // Not restored: the damaged file is where it was and as it was, nothing else was added.
    db.reset();
    QCOMPARE(readAll(file), damagedBytes);
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.damaged-*")}, QDir::Files), QStringList());
    if (!opens)
        QCOMPARE(filesIn(folder), before);
}

// With nothing usable to go back to, an empty file opens as a new database, as it always has.
void TestStartup::emptyFileWithoutUsableBackup()
{
    TestDb testDb;
    QDir().mkpath(Backups::folderOf(testDb.dbFile()));
    writeFile(Backups::folderOf(testDb.dbFile()) + QStringLiteral("/CJ-20240101-080000-000.mdb"), "no database");
    writeFile(testDb.dbFile(), QByteArray());
    ScriptedDialogs dialogs;
    std::unique_ptr<Database> db = Startup::openDatabase(testDb.dbFile());
    QVERIFY(db);
    QCOMPARE(phones(*db), QStringList());
    QCOMPARE(dialogs.texts(), QStringList());
}

// A file another program holds locked is not damage: the start ends with the error, as before,
// and the backups stay unused.
void TestStartup::lockedIsNoDamage()
{
    TestDb testDb;
    const QString file = testDb.dbFile();
    testDb.addParticipants({{QStringLiteral("13800000001")}});
    Backups::backUp(file);
    const QMap<QString, QByteArray> before = filesIn(QFileInfo(file).absolutePath());
    sqlite3 *lock = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &lock), SQLITE_OK);
    QCOMPARE(sqlite3_exec(lock, "pragma locking_mode = exclusive; begin exclusive; commit;", nullptr, nullptr, nullptr),
             SQLITE_OK);
    ScriptedDialogs dialogs;
    try {
        Startup::openDatabase(file);
        QFAIL("opened");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.primaryCode(), SQLITE_BUSY);
    }
    sqlite3_close(lock);
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(filesIn(QFileInfo(file).absolutePath()), before);
}

void TestStartup::missingFile_data()
{
    QTest::addColumn<bool>("backup"); // a usable backup is there
    QTest::addColumn<bool>("answer"); // OK to the offer
    QTest::newRow("no backups") << false << true;
    QTest::newRow("backup restored") << true << true;
    QTest::newRow("backup declined") << true << false;
}

// A database file that is not there is made anew; when it has backups it was more likely lost,
// and the newest is offered first.
void TestStartup::missingFile()
{
    QFETCH(bool, backup);
    QFETCH(bool, answer);
    TestDb testDb;
    const QString file = testDb.dbFile();
    testDb.addParticipants({{QStringLiteral("13800000001")}});
    const QString backupFile = backup ? Backups::backUp(file) : QString();
    QVERIFY(QFile::remove(file));
    ScriptedDialogs dialogs;
    dialogs.answers = {answer};
    std::unique_ptr<Database> db = Startup::openDatabase(file);
    QVERIFY(db);
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(phones(*db), backup && answer ? QStringList{"13800000001"} : QStringList());
    if (!backup) {
        QCOMPARE(dialogs.texts(), QStringList());
        return;
    }
    QVERIFY(!dialogs.messages.isEmpty());
    const ScriptedDialogs::Message &offer = dialogs.messages.constFirst();
    QVERIFY(offer.buttons == Dialogs::Buttons::OkCancel);
    QVERIFY2(offer.text.contains(Files::displayPath(file)), qPrintable(offer.text));
    QVERIFY2(offer.text.contains(Files::displayPath(backupFile)), qPrintable(offer.text));
    QVERIFY2(offer.text.contains(QStringLiteral("新建一个空的数据库")), qPrintable(offer.text));
    QCOMPARE(dialogs.messages.size(), answer ? 2 : 1);
    QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files),
             QStringList());
    QVERIFY(QFileInfo::exists(backupFile)); // the backup is copied, never moved
}

// Record tables from elsewhere are repaired at start and the operator told once what was renamed.
void TestStartup::recordRepairToldOnce()
{
    TestDb testDb;
    testDb.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("张三")}});
    testDb.exec(QStringLiteral("insert into draws(started) values ('2024-05-01T20:00:00.000+08:00');"
                               "drop table draw_entries"));
    ScriptedDialogs dialogs;
    {
        std::unique_ptr<Database> db = Startup::openDatabase(testDb.dbFile());
        QVERIFY(db);
        QCOMPARE(dialogs.messages.size(), 1);
        const QString text = dialogs.messages.constFirst().text;
        QVERIFY2(text.contains(Files::displayPath(testDb.dbFile())), qPrintable(text));
        const QRegularExpressionMatch renamed =
            QRegularExpression(QStringLiteral("表 draws 改名为 (draws_damaged_\\d{8}_\\d{6})")).match(text);
        QVERIFY2(renamed.hasMatch(), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("参与人员和奖项没有改动")), qPrintable(text));
        QCOMPARE(testDb.column(QStringLiteral("select started from %1").arg(renamed.captured(1))),
                 QStringList{"2024-05-01T20:00:00.000+08:00"});
        QCOMPARE(phones(*db), QStringList{"13800000001"});
    }
    std::unique_ptr<Database> again = Startup::openDatabase(testDb.dbFile());
    QVERIFY(again);
    QCOMPARE(dialogs.messages.size(), 1);
}

// A backup is taken once the window is up and again when the draw screen closes, with the draw's
// marks in it; the status bar says so.
void TestStartup::backupsAfterStartAndDraw()
{
    TestDb testDb;
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/cj.bmp"),
                testDb.binDir() + QStringLiteral("/cj.bmp"));
    testDb.addManyParticipants(10);
    testDb.addPrizes({{QStringLiteral("一等奖"), QStringLiteral("1"), QStringLiteral("1"), QString(), QString()}});
    ScriptedDialogs dialogs;
    FakeSoundPlayer sounds;
    std::unique_ptr<Database> db = Startup::openDatabase(testDb.dbFile());
    QVERIFY(db);
    MainWindow w(*db);
    QVERIFY(Backups::list(testDb.dbFile()).isEmpty());
    w.show();
    QTRY_COMPARE(Backups::list(testDb.dbFile()).size(), 1);
    const QString first = Backups::list(testDb.dbFile()).constFirst();
    QTRY_VERIFY(backupStatus(w)->text().contains(Files::displayPath(first)));
    QCOMPARE(backupStatus(w)->accessibleName(), backupStatus(w)->text());

    bool drawn = false;
    QTimer::singleShot(0, [&] {
        auto *screen = qobject_cast<DrawScreen *>(QApplication::activeModalWidget());
        if (!screen)
            return;
        action(*screen, "startAction")->trigger();
        QTRY_VERIFY(screen->engine().isRolling());
        action(*screen, "stopAction")->trigger();
        drawn = testDb.column(QStringLiteral("select count(*) from Tab_CJ where ZT = '1'")) == QStringList{"1"};
        screen->engine().halt();
        screen->done(QDialog::Rejected);
    });
    action(w, "startDrawAction")->trigger();
    QVERIFY(drawn);
    QTRY_COMPARE(Backups::list(testDb.dbFile()).size(), 2);
    const QString second = Backups::list(testDb.dbFile()).constFirst();
    QTRY_VERIFY(backupStatus(w)->text().contains(Files::displayPath(second)));
    QCOMPARE(markedIn(second), 1);
    QCOMPARE(dialogs.texts().filter(QStringLiteral("备份")), QStringList());
}

// A backup that fails says why in the status bar, and nowhere else: no box interrupts anything.
void TestStartup::backupFailureIsQuiet()
{
    TestDb testDb;
    const QString folder = Backups::folderOf(testDb.dbFile());
    writeFile(folder, "not a folder");
    ScriptedDialogs dialogs;
    Database db(testDb.dbFile());
    MainWindow w(db);
    w.show();
    QTRY_VERIFY(backupStatus(w)->text().contains(QStringLiteral("备份失败")));
    QVERIFY2(backupStatus(w)->text().contains(Files::displayPath(folder)), qPrintable(backupStatus(w)->text()));
    QCOMPARE(backupStatus(w)->accessibleName(), backupStatus(w)->text());
    QCOMPARE(dialogs.texts(), QStringList());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
