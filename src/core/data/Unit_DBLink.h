#pragma once

#include "Statements.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

/// One column of the current row of an open result.
class TField final
{
public:
    TField() = default;
    TField(const QVariant &value)
        : m_value(value)
    {
    }
    /// Text of the value; Null gives the empty text, a number its decimal digits.
    QString AsString() const;
    /// Integer value; Null and the empty text give 0, other text must be a whole number
    /// (throws ConvertError naming the text).
    int AsInteger() const;
    /// The value itself; an invalid (null) QVariant stands for Null.
    QVariant Value() const { return m_value; }
    bool IsNull() const { return m_value.isNull(); }

private:
    QVariant m_value;
};

/// The query of a TDBLink: one statement at a time and, after Open, its result with a
/// current row. Every failure throws DbError with the store's own message.
class TQuery final
{
public:
    ~TQuery();
    TQuery(const TQuery &) = delete;
    TQuery &operator=(const TQuery &) = delete;

    /// Replaces the statement; closes any open result.
    void SQL(const Statement &statement);
    /// Runs a statement that returns no rows with the given values bound in order.
    void ExecSQL(const QVariantList &params = {});
    /// Runs a select; the current row is the first row of the result.
    void Open(const QVariantList &params = {});
    /// True past the last row, and at once for an empty result.
    bool Eof() const { return m_eof; }
    void Next();
    /// The column of the current row; on an empty result (or past its end) the empty text.
    TField FieldByName(const QString &name) const;
    /// The index of a column of the open result, for reading many rows fast with AsStringAt().
    int FieldIndex(const QString &name) const;
    /// The text of column `index` of the current row (Null gives the empty text).
    QString AsStringAt(int index) const;
    /// Puts the current row into edit mode; the next SetFieldValue/Post change it.
    void Edit();
    void SetFieldValue(const QString &name, const QVariant &value);
    /// Saves the edited columns of the current row at once.
    void Post();
    void Close();
    /// Rows changed by the last ExecSQL.
    int RowsAffected() const { return m_rowsAffected; }

private:
    friend class TDBLink;
    explicit TQuery(sqlite3 *db);
    void prepare();
    void bind(const QVariantList &params);
    void step();
    [[noreturn]] void fail() const;

    sqlite3 *m_db;
    const Statement *m_statement = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    // Statements stay prepared for the life of the query: an import alternates two statements
    // for every row.
    QHash<const Statement *, sqlite3_stmt *> m_prepared;
    bool m_open = false;
    bool m_eof = true;
    int m_rowsAffected = 0;
    QHash<QString, int> m_columns; // lower-case name -> index
    bool m_editing = false;
    QList<QPair<QString, QVariant>> m_edits;
};

/// One connection to the database beside the executable and one query bound to it, made
/// for one operation and freed at its end. Opening never creates the file: a missing file,
/// a file that is not a database or a locked one fails in the constructor with the store's
/// own message.
class TDBLink final
{
public:
    /// Opens <exe folder>/../DB/CJ.mdb.
    TDBLink();
    /// Opens the given database file (tools and tests).
    explicit TDBLink(const QString &file);
    ~TDBLink();
    TDBLink(const TDBLink &) = delete;
    TDBLink &operator=(const TDBLink &) = delete;

    TQuery &Query() { return *m_query; }

    /// Runs statements that belong together in one transaction.
    void beginTransaction();
    void commit();
    void rollback() noexcept;

    /// Makes xh run 1..n in list order in both tables when it does not already; each
    /// table's renumbering runs in one transaction. Returns true when anything changed.
    bool renumberSerials();

    /// Creates the database file with its two empty tables when no file is at that path;
    /// an existing file is never touched. Returns true when it created the file.
    static bool createIfMissing(const QString &file);

    sqlite3 *handle() const { return m_db; }

private:
    void exec(const char *sql);
    bool renumberTable(const Statement &shape, const Statement &renumber);

    sqlite3 *m_db = nullptr;
    TQuery *m_query = nullptr;
    bool m_inTransaction = false;
};

/// Rolls the open transaction back unless commit() was called.
class TDBTransaction final
{
public:
    explicit TDBTransaction(TDBLink &link)
        : m_link(link)
    {
        m_link.beginTransaction();
    }
    ~TDBTransaction()
    {
        if (!m_done)
            m_link.rollback();
    }
    void commit()
    {
        m_link.commit();
        m_done = true;
    }

private:
    TDBLink &m_link;
    bool m_done = false;
};
