// The program as a user installs it: started with no database anywhere, it makes one with the
// current schema, in the DB folder beside it (the portable layout) or, when there is none, in
// the user's data folder (the installed layout).
#include "core/data/AppPaths.h"
#include "core/data/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

/// The schema version and tables of a database file, read without the program's code.
QString describe(const QString &file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("unreadable");
    }
    QStringList out;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db,
                       "select 'v' || user_version from pragma_user_version union all "
                       "select name from sqlite_master where type = 'table' and name not like 'sqlite%' order by 1",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestInstall final : public QObject
{
    Q_OBJECT

private slots:
    void dataFolder_data();
    void dataFolder();
    void firstStart_data();
    void firstStart();
};

void TestInstall::dataFolder_data()
{
    QTest::addColumn<bool>("portable");
    QTest::newRow("a DB folder beside the program's folder") << true;
    QTest::newRow("none: the user's data folder") << false;
}

void TestInstall::dataFolder()
{
    QFETCH(bool, portable);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("usr/bin"));
    if (portable)
        QDir(root.path()).mkpath(QStringLiteral("usr/DB"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("home/share"))));
    AppPaths::setExeDirForTesting(root.filePath(QStringLiteral("usr/bin")));
    const QString folder = portable ? root.filePath(QStringLiteral("usr/DB"))
                                    : root.filePath(QStringLiteral("home/share/kestrano-raffle"));
    QCOMPARE(AppPaths::isPortable(), portable);
    QCOMPARE(AppPaths::dataFolder(), folder);
    QCOMPARE(AppPaths::databaseFile(), folder + QStringLiteral("/CJ.mdb"));
    QCOMPARE(AppPaths::settingsFile(), folder + QStringLiteral("/System.INI"));
    AppPaths::setExeDirForTesting(QString());
    qunsetenv("XDG_DATA_HOME");
}

void TestInstall::firstStart_data()
{
    dataFolder_data();
}

// The real program, copied where an installation would put it, started the first time.
void TestInstall::firstStart()
{
    QFETCH(bool, portable);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("usr/bin"));
    if (portable)
        QDir(root.path()).mkpath(QStringLiteral("usr/DB"));
    const QString program = root.filePath(QStringLiteral("usr/bin/raffle"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/raffle"), program));
    const QString database = portable ? root.filePath(QStringLiteral("usr/DB/CJ.mdb"))
                                      : root.filePath(QStringLiteral("home/share/kestrano-raffle/CJ.mdb"));

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("home/share")));
    run.setProcessEnvironment(env);
    run.start(program, {});
    QVERIFY(run.waitForStarted());
    // The window is up once the database is there; the program is then ended as a logout would.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(database), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(describe(database),
                              QStringLiteral("Tab_CJ Tab_Set draw_entries draws v%1").arg(Schema::currentVersion()),
                              20000);
    run.terminate();
    QVERIFY(run.waitForFinished(20000));
    // Nothing of the other layout was made.
    QCOMPARE(QDir(root.filePath(QStringLiteral("usr/DB"))).exists(), portable);
    QCOMPARE(QDir(root.filePath(QStringLiteral("home/share/kestrano-raffle"))).exists(), !portable);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
