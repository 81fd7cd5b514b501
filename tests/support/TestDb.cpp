#include "TestDb.h"

#include "core/data/AppPaths.h"
#include "core/data/Database.h"

#include <QDir>
#include <QTest>

#include <sqlite3.h>

TestDb::TestDb()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
    Database(dbFile(), Database::OpenMode::CreateIfMissing);
    AppPaths::setExeDirForTesting(binDir());
}

TestDb::~TestDb()
{
    AppPaths::setExeDirForTesting(QString());
}

QString TestDb::dbFile() const
{
    return m_dir.path() + QStringLiteral("/DB/CJ.mdb");
}

QString TestDb::settingsFile() const
{
    return m_dir.path() + QStringLiteral("/DB/System.INI");
}

QString TestDb::binDir() const
{
    return m_dir.path() + QStringLiteral("/bin");
}

void TestDb::exec(const QString &sql)
{
    Database link(dbFile());
    char *error = nullptr;
    if (sqlite3_exec(link.handle(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    }
}

namespace {
int nextSerial(sqlite3 *db, const char *table)
{
    sqlite3_stmt *s = nullptr;
    const QByteArray sql = QByteArray("select coalesce(max(xh), 0) + 1 from ") + table;
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    sqlite3_step(s);
    const int n = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return n;
}

void insertRows(const QString &file, const char *sql, const char *table, const QList<QStringList> &rows)
{
    Database link(file);
    sqlite3 *db = link.handle();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    int serial = nextSerial(db, table);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    for (const QStringList &row : rows) {
        sqlite3_bind_int(s, 1, serial++);
        for (int i = 0; i < row.size(); ++i)
            sqlite3_bind_text16(s, i + 2, row.at(i).utf16(), int(row.at(i).size() * 2), SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
}
} // namespace

void TestDb::addParticipants(const QList<QStringList> &rows)
{
    insertRows(dbFile(), "insert into Tab_CJ(xh, Tel, Name, Comment) values(?, ?, ?, ?)", "Tab_CJ", rows);
}

void TestDb::addManyParticipants(int n)
{
    QList<QStringList> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows.append({QString::number(13800000000LL + i), QStringLiteral("参选人%1").arg(i + 1), QString()});
    addParticipants(rows);
}

void TestDb::addPrizes(const QList<QStringList> &rows)
{
    insertRows(dbFile(), "insert into Tab_Set(xh, name, quantity, rs, jp, comment) values(?, ?, ?, ?, ?, ?)", "Tab_Set",
               rows);
}

QStringList TestDb::column(const QString &sql)
{
    Database link(dbFile());
    QStringList out;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(link.handle(), sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) {
        QTest::qFail(sqlite3_errmsg(link.handle()), __FILE__, __LINE__);
        return out;
    }
    while (sqlite3_step(s) == SQLITE_ROW) {
        if (sqlite3_column_type(s, 0) == SQLITE_NULL)
            out << QStringLiteral("<null>");
        else
            out << QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_text16(s, 0)),
                                      sqlite3_column_bytes16(s, 0) / 2);
    }
    sqlite3_finalize(s);
    return out;
}
