#include "core/data/Schema.h"

#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/Sql.h"

#include <QDir>

#include <iterator>

namespace {

/// Migration i brings a file from version i to version i + 1.
constexpr const char *Migrations[] = {
    Sql::MigrateTo1,
    Sql::MigrateTo2,
};

} // namespace

namespace Schema {

int currentVersion()
{
    return int(std::size(Migrations));
}

void migrate(Database &db)
{
    // Most openings find the file up to date: look before taking the write lock.
    if (db.schemaVersion() == currentVersion())
        return;
    Transaction transaction(db);
    const int version = db.schemaVersion(); // again, now that no other program can change it
    if (version > currentVersion()) {
        throw DatabaseError(
            QStringLiteral("数据库文件“%3”来自更新版本的抽奖软件（数据版本 %1，本程序只能打开数据版本 %2 "
                           "及以前的文件）。请用新版本的程序打开它；文件没有改动。")
                .arg(QString::number(version), QString::number(currentVersion()),
                     QDir::toNativeSeparators(db.fileName())));
    }
    for (int v = version; v < currentVersion(); ++v)
        db.execute(Migrations[v]);
    transaction.commit();
}

} // namespace Schema
