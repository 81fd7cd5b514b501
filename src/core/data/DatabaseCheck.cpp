#include "core/data/DatabaseCheck.h"

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/Sql.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace {

/// SQLite's own words for a failure: the full message tells the operator to restore a backup,
/// which is what the start offers anyway.
QString engineWords(const DatabaseError &error)
{
    return error.engineText().isEmpty() ? error.text() : error.engineText();
}

} // namespace

namespace DatabaseCheck {

bool isDamage(const DatabaseError &error)
{
    return error.primaryCode() == SQLITE_CORRUPT || error.primaryCode() == SQLITE_NOTADB;
}

QString damageText(const DatabaseError &error)
{
    // SQLite says SQLITE_NOTADB for any file whose first bytes are not those of a database.
    if (error.primaryCode() == SQLITE_NOTADB)
        return QStringLiteral("它不是数据库文件，或者文件开头已被破坏");
    return QStringLiteral("文件内容已损坏或不完整：%1").arg(engineWords(error));
}

bool isEmptyFile(const QString &databaseFile)
{
    const QFileInfo file(databaseFile);
    const QFileInfo log(databaseFile + QStringLiteral("-wal"));
    return file.isFile() && file.size() == 0 && (!log.exists() || log.size() == 0);
}

QStringList problems(Database &db)
{
    try {
        QStringList rows;
        Statement check(db, Sql::QuickCheck);
        while (check.next())
            rows.append(check.text(0));
        if (rows == QStringList{QStringLiteral("ok")})
            return {};
        // A row may hold several lines, the first naming the schema: "*** in database main ***".
        QStringList found;
        for (const QString &row : std::as_const(rows)) {
            for (const QString &line : row.split(u'\n', Qt::SkipEmptyParts)) {
                if (!line.startsWith(QLatin1String("***")))
                    found.append(line);
            }
        }
        return found.isEmpty() ? rows : found;
    } catch (const DatabaseError &e) {
        if (isDamage(e))
            return {engineWords(e)};
        throw;
    }
}

} // namespace DatabaseCheck
