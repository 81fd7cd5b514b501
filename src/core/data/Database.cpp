#include "core/data/Database.h"

#include "core/base/Error.h"
#include "core/data/DatabaseMessage.h"
#include "core/data/Schema.h"
#include "core/data/Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sqlite3.h>

namespace {

constexpr int BusyTimeoutMs = 5000;

QString engineTextOf(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

int resultCodeOf(sqlite3 *db)
{
    return db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Database

Database::Database(const QString &file, OpenMode mode)
    : m_file(file)
{
    const bool create = mode == OpenMode::CreateIfMissing && !QFileInfo::exists(file);
    if (create)
        QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray path = QFile::encodeName(file);
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.constData(), &m_db, flags, nullptr);
    try {
        if (rc != SQLITE_OK)
            fail();
        setBusyTimeout(BusyTimeoutMs);
        // WAL lets the roll worker read while the UI thread writes the winners.
        execute("pragma journal_mode = wal");
        execute("pragma synchronous = normal");
        Schema::migrate(*this);
        m_opening = false;
    } catch (...) {
        for (const Prepared &p : std::as_const(m_prepared))
            sqlite3_finalize(p.statement);
        sqlite3_close(m_db);
        // A file this program has just made and could not set up is not left behind.
        if (create) {
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(file + QLatin1String(suffix));
        }
        throw;
    }
}

Database::~Database()
{
    for (const Prepared &p : std::as_const(m_prepared))
        sqlite3_finalize(p.statement);
    sqlite3_close(m_db);
}

void Database::fail() const
{
    throwError(resultCodeOf(m_db), engineTextOf(m_db));
}

void Database::throwError(int resultCode, const QString &engineText) const
{
    const auto stage = m_opening ? DatabaseMessage::Stage::Opening : DatabaseMessage::Stage::Working;
    throw DatabaseError(DatabaseMessage::text(resultCode, engineText, m_file, stage), resultCode, engineText);
}

void Database::execute(const char *sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString engineText = error ? QString::fromUtf8(error) : engineTextOf(m_db);
        sqlite3_free(error);
        throwError(rc, engineText);
    }
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
    m_busyTimeout = milliseconds;
}

int Database::schemaVersion()
{
    Statement version(*this, Sql::SchemaVersion);
    return version.next() ? int(version.integer(0)) : 0;
}

bool Database::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

sqlite3_stmt *Database::acquire(const char *sql, bool *cached)
{
    Prepared &p = m_prepared[sql];
    if (p.statement && !p.inUse) {
        p.inUse = true;
        *cached = true;
        return p.statement;
    }
    sqlite3_stmt *statement = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        const QString engineText = engineTextOf(m_db);
        sqlite3_finalize(statement);
        if (!p.statement)
            m_prepared.remove(sql);
        throwError(rc, engineText);
    }
    // The first preparation of a text is kept; one prepared while it is in use (a statement
    // run inside a loop over its own result) goes with its Statement.
    *cached = !p.statement;
    if (*cached) {
        p.statement = statement;
        p.inUse = true;
    }
    return statement;
}

void Database::release(const char *sql, sqlite3_stmt *statement, bool cached)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (cached)
        m_prepared[sql].inUse = false;
    else
        sqlite3_finalize(statement);
}

// ---------------------------------------------------------------------------------------
// Transaction

Transaction::Transaction(Database &db, Durability durability)
    : m_db(db)
{
    if (durability == Durability::Full) {
        if (m_db.inTransaction())
            throw DatabaseError(QStringLiteral("程序内部错误：必须写入磁盘的事务不能在另一个事务中开始。"));
        // SQLite refuses to change the level inside a transaction: raised before it begins,
        // put back after it has ended.
        Statement level(m_db, Sql::SynchronousLevel);
        const int previous = level.next() ? int(level.integer(0)) : 1;
        m_db.execute(Sql::SynchronousFull);
        m_restoreSynchronous = previous;
    }
    try {
        // Immediate: the write lock is taken now, so a busy database fails here, before any
        // statement of the transaction has run.
        m_db.execute("begin immediate");
    } catch (...) {
        m_open = false;
        restoreSynchronous();
        throw;
    }
}

Transaction::~Transaction()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "rollback", nullptr, nullptr, nullptr);
    restoreSynchronous();
}

void Transaction::commit()
{
    m_db.execute("commit");
    m_open = false;
    // The writes are on the disk: a failure to lower the level again must not report them lost.
    restoreSynchronous();
}

void Transaction::restoreSynchronous() noexcept
{
    if (m_restoreSynchronous < 0 || m_db.inTransaction())
        return;
    const char *levels[] = {Sql::SynchronousOff, Sql::SynchronousNormal, Sql::SynchronousFull, Sql::SynchronousExtra};
    const int level = std::clamp(m_restoreSynchronous, 0, 3);
    sqlite3_exec(m_db.handle(), levels[level], nullptr, nullptr, nullptr);
    m_restoreSynchronous = -1;
}

// ---------------------------------------------------------------------------------------
// Statement

Statement::Statement(Database &db, const char *sql)
    : m_db(db)
    , m_sql(sql)
    , m_statement(db.acquire(sql, &m_cached))
{
}

Statement::~Statement()
{
    m_db.release(m_sql, m_statement, m_cached);
}

void Statement::fail() const
{
    m_db.fail();
}

void Statement::checkValueCount(int count) const
{
    const int expected = sqlite3_bind_parameter_count(m_statement);
    if (count != expected) {
        throw DatabaseError(
            QStringLiteral("数据库文件“%3”的这次操作没有完成：程序内部出错，一条语句需要 %1 个值，"
                           "却给了 %2 个。请把这条信息告诉软件的提供者。")
                .arg(QString::number(expected), QString::number(count), QDir::toNativeSeparators(m_db.fileName())));
    }
}

Statement &Statement::bind(int index, const QString &value)
{
    if (sqlite3_bind_text16(m_statement, index, value.utf16(), int(value.size() * qsizetype(sizeof(char16_t))),
                            SQLITE_TRANSIENT) != SQLITE_OK)
        fail();
    return *this;
}

Statement &Statement::bind(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK)
        fail();
    return *this;
}

Statement &Statement::bindNull(int index)
{
    if (sqlite3_bind_null(m_statement, index) != SQLITE_OK)
        fail();
    return *this;
}

int Statement::execute()
{
    int rc = sqlite3_step(m_statement);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_statement);
    if (rc != SQLITE_DONE) {
        const QString engineText = engineTextOf(m_db.handle());
        sqlite3_reset(m_statement);
        m_db.throwError(rc, engineText);
    }
    const int changed = sqlite3_changes(m_db.handle());
    sqlite3_reset(m_statement);
    return changed;
}

bool Statement::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString engineText = engineTextOf(m_db.handle());
    sqlite3_reset(m_statement);
    m_db.throwError(rc, engineText);
}

QString Statement::text(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return QStringLiteral("");
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(m_statement, column);
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    default: {
        const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(m_statement, column));
        const int bytes = sqlite3_column_bytes16(m_statement, column);
        return text ? QString::fromUtf16(text, bytes / 2) : QStringLiteral("");
    }
    }
}

QByteArrayView Statement::utf8(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, column));
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}
