#include "Unit_DBLink.h"

#include "AppPaths.h"
#include "CjError.h"
#include "TextUtil.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

#include <sqlite3.h>

namespace {

constexpr int BusyTimeoutMs = 5000;

const char *const Schema = R"(
create table Tab_CJ (xh integer, Tel text, Name text, Comment text, ZT text);
create index Tab_CJ_xh on Tab_CJ(xh);
create index Tab_CJ_Tel on Tab_CJ(Tel);
create table Tab_Set (xh integer, name text, quantity text, rs text, jp text, comment text);
create index Tab_Set_xh on Tab_Set(xh);
)";

QString storeMessage(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

QVariant columnValue(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                                   sqlite3_column_bytes(stmt, i)));
    default: {
        const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(stmt, i));
        const int bytes = sqlite3_column_bytes16(stmt, i);
        return QVariant(text ? QString::fromUtf16(text, bytes / 2) : QStringLiteral(""));
    }
    }
}

void bindValue(sqlite3 *db, sqlite3_stmt *stmt, int i, const QVariant &v)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt, i);
    } else {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, i, v.toDouble());
            break;
        default: {
            const QString s = v.toString();
            rc = sqlite3_bind_text16(stmt, i, s.utf16(), int(s.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DbError(storeMessage(db));
}

/// One idle connection kept open to the database the links last opened. Each operation
/// opens and closes its own link; were that link the only connection, closing it would fold
/// the log into the file with a disk sync (10-20 ms per edit) and the next open would rebuild
/// the log's index. With this one open the store folds the log in by itself as it grows, and
/// once more when the program ends. It runs no statement and holds no lock on the data.
class LogKeeper final
{
public:
    ~LogKeeper() { sqlite3_close(m_db); }

    void keepOpen(const QString &file)
    {
        const std::lock_guard lock(m_mutex);
        if (m_db && file == m_file)
            return;
        sqlite3_close(m_db);
        m_db = nullptr;
        m_file = file;
        const QByteArray path = QFile::encodeName(file);
        if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || sqlite3_exec(m_db, "pragma journal_mode = wal", nullptr, nullptr, nullptr) != SQLITE_OK) {
            // Only speed is lost: the links work without it.
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }

private:
    std::mutex m_mutex;
    sqlite3 *m_db = nullptr;
    QString m_file;
};

LogKeeper &logKeeper()
{
    static LogKeeper keeper;
    return keeper;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TField

QString TField::AsString() const
{
    if (m_value.isNull())
        return QStringLiteral("");
    if (m_value.typeId() == QMetaType::Double) {
        const double d = m_value.toDouble();
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return m_value.toString();
}

int TField::AsInteger() const
{
    if (m_value.isNull())
        return 0;
    if (m_value.typeId() == QMetaType::LongLong || m_value.typeId() == QMetaType::Int) {
        const qint64 v = m_value.toLongLong();
        if (v > 2147483647 || v < -qint64(2147483648))
            throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v));
        return int(v);
    }
    return cj::toInteger(AsString());
}

// ---------------------------------------------------------------------------------------
// TQuery

TQuery::TQuery(sqlite3 *db)
    : m_db(db)
{
}

TQuery::~TQuery()
{
    for (sqlite3_stmt *stmt : std::as_const(m_prepared))
        sqlite3_finalize(stmt);
}

void TQuery::fail() const
{
    throw DbError(storeMessage(m_db));
}

void TQuery::SQL(const Statement &statement)
{
    Close();
    m_statement = &statement;
    m_stmt = m_prepared.value(&statement, nullptr);
}

void TQuery::prepare()
{
    if (!m_statement)
        throw DbError(QStringLiteral("No statement has been set"));
    if (!m_stmt) {
        if (sqlite3_prepare_v2(m_db, m_statement->sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            const QString message = storeMessage(m_db);
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw DbError(message);
        }
        m_prepared.insert(m_statement, m_stmt);
    } else {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

void TQuery::bind(const QVariantList &params)
{
    const int expected = sqlite3_bind_parameter_count(m_stmt);
    if (params.size() != expected)
        throw DbError(QStringLiteral("Statement expects %1 values, %2 given").arg(expected).arg(params.size()));
    for (int i = 0; i < params.size(); ++i)
        bindValue(m_db, m_stmt, i + 1, params.at(i));
}

void TQuery::ExecSQL(const QVariantList &params)
{
    Close();
    prepare();
    bind(params);
    int rc = sqlite3_step(m_stmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_DONE) {
        const QString message = storeMessage(m_db);
        sqlite3_reset(m_stmt);
        throw DbError(message);
    }
    m_rowsAffected = sqlite3_changes(m_db);
    sqlite3_reset(m_stmt);
}

void TQuery::Open(const QVariantList &params)
{
    Close();
    prepare();
    bind(params);
    m_columns.clear();
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(m_stmt, i)).toLower();
        if (!m_columns.contains(name))
            m_columns.insert(name, i);
    }
    m_open = true;
    step();
}

void TQuery::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_eof = false;
    } else if (rc == SQLITE_DONE) {
        m_eof = true;
    } else {
        const QString message = storeMessage(m_db);
        m_eof = true;
        sqlite3_reset(m_stmt);
        m_open = false;
        throw DbError(message);
    }
}

void TQuery::Next()
{
    if (!m_open || m_eof)
        return;
    m_editing = false;
    m_edits.clear();
    step();
}

TField TQuery::FieldByName(const QString &name) const
{
    const int index = FieldIndex(name);
    if (!m_open || m_eof)
        return TField(QStringLiteral(""));
    return TField(columnValue(m_stmt, index));
}

int TQuery::FieldIndex(const QString &name) const
{
    const auto it = m_columns.constFind(name.toLower());
    if (it == m_columns.constEnd())
        throw DbError(QStringLiteral("Field '%1' not found").arg(name));
    return it.value();
}

QString TQuery::AsStringAt(int index) const
{
    if (!m_open || m_eof)
        return QStringLiteral("");
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_NULL:
        return QStringLiteral("");
    case SQLITE_TEXT: {
        const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(m_stmt, index));
        return QString::fromUtf16(text, sqlite3_column_bytes16(m_stmt, index) / 2);
    }
    default:
        return TField(columnValue(m_stmt, index)).AsString();
    }
}

void TQuery::Edit()
{
    if (!m_open || m_eof || !m_statement->editTable)
        throw DbError(QStringLiteral("Dataset not in edit or insert mode"));
    m_editing = true;
    m_edits.clear();
}

void TQuery::SetFieldValue(const QString &name, const QVariant &value)
{
    if (!m_editing)
        throw DbError(QStringLiteral("Dataset not in edit or insert mode"));
    if (!m_columns.contains(name.toLower()))
        throw DbError(QStringLiteral("Field '%1' not found").arg(name));
    m_edits.append({name, value});
}

void TQuery::Post()
{
    if (!m_editing)
        throw DbError(QStringLiteral("Dataset not in edit or insert mode"));
    m_editing = false;
    if (m_edits.isEmpty())
        return;
    // Column names come from the result itself (checked in SetFieldValue), never from data.
    QString sql = QStringLiteral("update \"%1\" set ").arg(QString::fromLatin1(m_statement->editTable));
    for (int i = 0; i < m_edits.size(); ++i) {
        if (i)
            sql += QLatin1String(", ");
        sql += QStringLiteral("\"%1\" = ?").arg(m_edits.at(i).first);
    }
    sql += QLatin1String(" where rowid = ?");
    const qint64 rowid = sqlite3_column_int64(m_stmt, m_columns.value(QStringLiteral("cj_rowid")));
    sqlite3_stmt *update = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), -1, &update, nullptr) != SQLITE_OK)
        fail();
    struct Finalizer {
        sqlite3_stmt *s;
        ~Finalizer() { sqlite3_finalize(s); }
    } finalizer{update};
    int i = 1;
    for (const auto &edit : std::as_const(m_edits))
        bindValue(m_db, update, i++, edit.second);
    sqlite3_bind_int64(update, i, rowid);
    if (sqlite3_step(update) != SQLITE_DONE)
        fail();
    m_edits.clear();
}

void TQuery::Close()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
    m_open = false;
    m_eof = true;
    m_editing = false;
    m_edits.clear();
}

// ---------------------------------------------------------------------------------------
// TDBLink

TDBLink::TDBLink()
    : TDBLink(AppPaths::databaseFile())
{
}

TDBLink::TDBLink(const QString &file)
{
    const QByteArray path = QFile::encodeName(file);
    // Read-write but never create: a missing file is an error, not a new empty database.
    const int rc = sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = storeMessage(m_db);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(message);
    }
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    try {
        // WAL lets the roll worker read while the screen's thread writes the winners.
        exec("pragma journal_mode = wal");
        exec("pragma synchronous = normal");
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
    m_query = new TQuery(m_db);
    logKeeper().keepOpen(file);
}

TDBLink::~TDBLink()
{
    if (m_inTransaction)
        rollback();
    delete m_query;
    sqlite3_close(m_db);
}

void TDBLink::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : storeMessage(m_db);
        sqlite3_free(error);
        throw DbError(message);
    }
}

void TDBLink::beginTransaction()
{
    exec("begin immediate");
    m_inTransaction = true;
}

void TDBLink::commit()
{
    m_query->Close();
    exec("commit");
    m_inTransaction = false;
}

void TDBLink::rollback() noexcept
{
    if (!m_inTransaction)
        return;
    m_query->Close();
    sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
    m_inTransaction = false;
}

bool TDBLink::renumberTable(const Statement &shape, const Statement &renumber)
{
    TQuery &q = Query();
    q.SQL(shape);
    q.Open();
    const int count = q.FieldByName(QStringLiteral("cnt")).AsInteger();
    const int distinct = q.FieldByName(QStringLiteral("d")).AsInteger();
    const int lo = q.FieldByName(QStringLiteral("lo")).AsInteger();
    const int hi = q.FieldByName(QStringLiteral("hi")).AsInteger();
    q.Close();
    if (count == 0 || (distinct == count && lo == 1 && hi == count))
        return false;
    TDBTransaction transaction(*this);
    q.SQL(renumber);
    q.ExecSQL();
    transaction.commit();
    return true;
}

bool TDBLink::renumberSerials()
{
    const bool participants = renumberTable(Sql::ParticipantSerialShape, Sql::RenumberParticipantsInOrder);
    const bool prizes = renumberTable(Sql::PrizeSerialShape, Sql::RenumberPrizesInOrder);
    return participants || prizes;
}

bool TDBLink::createIfMissing(const QString &file)
{
    if (QFileInfo::exists(file))
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(file);
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char *error = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "pragma journal_mode = wal", nullptr, nullptr, &error);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, Schema, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : storeMessage(db);
        sqlite3_free(error);
        sqlite3_close(db);
        QFile::remove(file);
        throw DbError(message);
    }
    sqlite3_close(db);
    return true;
}
