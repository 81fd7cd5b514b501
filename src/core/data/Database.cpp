#include "core/data/Database.h"

#include "core/base/Error.h"
#include "core/data/Schema.h"
#include "core/data/Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sqlite3.h>

namespace {

constexpr int BusyTimeoutMs = 5000;

QString messageOf(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

/// The primary result code of the connection's last failure (SQLITE_CORRUPT for any kind of
/// corruption), for DatabaseError::code().
int codeOf(sqlite3 *db)
{
    return db ? sqlite3_errcode(db) & 0xff : SQLITE_NOMEM;
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
        sqlite3_busy_timeout(m_db, BusyTimeoutMs);
        // WAL lets the roll worker read while the UI thread writes the winners.
        execute("pragma journal_mode = wal");
        execute("pragma synchronous = normal");
        Schema::migrate(*this);
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
    throw DatabaseError(messageOf(m_db), codeOf(m_db));
}

void Database::execute(const char *sql)
{
    char *error = nullptr;
    if (const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error); rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : messageOf(m_db);
        sqlite3_free(error);
        throw DatabaseError(message, rc & 0xff);
    }
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
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        const QString message = messageOf(m_db);
        const int code = codeOf(m_db);
        sqlite3_finalize(statement);
        if (!p.statement)
            m_prepared.remove(sql);
        throw DatabaseError(message, code);
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
            throw DatabaseError(QStringLiteral("A transaction that must reach the disk cannot begin inside another"));
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
    if (count != expected)
        throw DatabaseError(QStringLiteral("Statement expects %1 values, %2 given").arg(expected).arg(count));
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
        const QString message = messageOf(m_db.handle());
        sqlite3_reset(m_statement);
        throw DatabaseError(message, rc & 0xff);
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
    const QString message = messageOf(m_db.handle());
    sqlite3_reset(m_statement);
    throw DatabaseError(message, rc & 0xff);
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
