#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

/// One connection to the program's database (an SQLite 3 file, CJ.mdb). The program opens
/// one for the UI thread and each roll worker opens its own; the stores take it by
/// reference. Opening brings the file's schema up to this program's version (Schema.h).
///
/// The connection uses a write-ahead log, so a worker reads while the UI thread writes, and
/// waits up to 5 s for a lock another program holds. Every failure throws DatabaseError with
/// a Chinese message naming the file and saying what to do (DatabaseMessage.h), SQLite's own
/// text kept as its detail.
class Database final
{
public:
    enum class OpenMode {
        ExistingFile,    ///< a missing file is an error, never a new empty database
        CreateIfMissing, ///< a missing file is created with the current schema
    };

    explicit Database(const QString &file, OpenMode mode = OpenMode::ExistingFile);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &fileName() const { return m_file; }

    /// Runs SQL that binds no value and returns no row (schema, pragmas); several statements
    /// may follow each other.
    void execute(const char *sql);

    /// The schema version recorded in the file (PRAGMA user_version).
    int schemaVersion();

    /// How long a statement waits for a lock another connection holds before it fails with
    /// "database is locked" (5 s unless set otherwise).
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const { return m_busyTimeout; }

    /// True while a transaction is open on this connection (a Transaction, or SQL begun by hand).
    bool inTransaction() const;

    sqlite3 *handle() const { return m_db; }

private:
    friend class Statement;
    /// A prepared statement for the SQL text, ready to bind; statements stay prepared for
    /// the life of the connection. A statement already in use is prepared anew.
    sqlite3_stmt *acquire(const char *sql, bool *cached);
    void release(const char *sql, sqlite3_stmt *statement, bool cached);
    [[noreturn]] void fail() const;
    [[noreturn]] void throwError(int resultCode, const QString &engineText) const;

    QString m_file;
    sqlite3 *m_db = nullptr;
    bool m_opening = true; ///< until the constructor has set the file up
    struct Prepared
    {
        sqlite3_stmt *statement = nullptr;
        bool inUse = false;
    };
    QHash<const char *, Prepared> m_prepared;
    int m_busyTimeout = 0;
};

/// How hard a commit makes sure its writes are on the disk.
enum class Durability {
    /// The connection's own setting (synchronous = normal in WAL mode): a commit survives a crash
    /// of the program; a power cut may lose the last commits, never the file's consistency.
    Normal,
    /// The commit also reaches the disk before commit() returns (synchronous = full), so it
    /// survives a power cut too: a stop's drawn marks and its record.
    Full,
};

/// Writes that belong together: begun at construction, rolled back at destruction unless
/// commit() was called, so a failure leaves the file exactly as it was.
///
/// With Durability::Full the connection's synchronous level is raised to FULL before the
/// transaction begins and put back to what it was once it has ended, committed or rolled back.
/// SQLite does not change that level inside a transaction, so such a transaction cannot begin
/// while another is open on the connection (DatabaseError).
class Transaction final
{
public:
    explicit Transaction(Database &db, Durability durability = Durability::Normal);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    void restoreSynchronous() noexcept;

    Database &m_db;
    bool m_open = true;
    int m_restoreSynchronous = -1; ///< the level to put back after a Full transaction; -1 for none
};

/// One run of an SQL text from the catalogue (Sql.h): bind the values, then execute() or
/// step through the rows with next() and read their columns. Columns count from 0, values
/// from 1.
class Statement final
{
public:
    Statement(Database &db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, const QString &value);
    Statement &bind(int index, qint64 value);
    Statement &bind(int index, int value) { return bind(index, qint64(value)); }
    Statement &bindNull(int index);
    /// Binds every value in order; their number must match the statement's.
    template <typename... Values> Statement &bindAll(const Values &...values)
    {
        checkValueCount(int(sizeof...(values)));
        int index = 0;
        (bind(++index, values), ...);
        return *this;
    }

    /// Runs a statement that returns no rows. Returns the number of rows it changed.
    int execute();
    /// Steps to the next row of the result; false past the last one.
    bool next();

    /// The column's value as text: Null gives the empty text, a whole number its decimal
    /// digits (also one stored as a real), another real its shortest form.
    QString text(int column) const;
    /// The column's value as UTF-8, valid until the next step (for reading many rows fast).
    QByteArrayView utf8(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

private:
    void checkValueCount(int count) const;
    [[noreturn]] void fail() const;

    Database &m_db;
    const char *m_sql;
    bool m_cached; // set by acquire(), so declared before the statement
    sqlite3_stmt *m_statement;
};
