#include "core/data/Backups.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/data/Sql.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <chrono>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace {

constexpr int BusyTimeoutMs = 5000;
const char *const StampFormat = "yyyyMMdd-HHmmss-zzz";
const char *const SideFiles[] = {"-wal", "-shm"};

QString stampNow()
{
    return QDateTime::currentDateTime().toString(QLatin1String(StampFormat));
}

/// A name made from the current time that no file has yet: a clash (two backups within one
/// millisecond) waits for the next millisecond, so names keep sorting by time.
template <typename NameOf> QString freshName(NameOf nameOf)
{
    for (;;) {
        const QString name = nameOf(stampNow());
        bool taken = QFileInfo::exists(name);
        for (const char *side : SideFiles)
            taken = taken || QFileInfo::exists(name + QLatin1String(side));
        if (!taken)
            return name;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

/// A connection closed when it goes out of scope.
class Connection final
{
public:
    Connection(const QString &file, int flags)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, flags, nullptr);
        if (m_rc == SQLITE_OK)
            sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_rc == SQLITE_OK; }
    sqlite3 *handle() const { return m_db; }
    QString message() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"); }

private:
    sqlite3 *m_db = nullptr;
    int m_rc = SQLITE_ERROR;
};

/// The first column of every row of the SQL, or nullopt when it fails.
std::optional<QStringList> column(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    QStringList rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        rows.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? std::optional(rows) : std::nullopt;
}

/// Opens, passes "pragma integrity_check" and holds the participant table: an empty file is a
/// sound SQLite database too, but restoring it would lose everything.
bool isUsable(const QString &file)
{
    Connection db(file, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    return db.isOpen() && column(db.handle(), Sql::IntegrityCheck) == QStringList{QStringLiteral("ok")} &&
           column(db.handle(), Sql::HasParticipantTable) == QStringList{QStringLiteral("1")};
}

[[noreturn]] void throwCannotBackUp(const QString &folder, const QString &why)
{
    throw WriteError(QStringLiteral("无法在文件夹“%1”中建立数据库备份：%2。请确认这个文件夹可以写入、磁盘还有空间，"
                                    "然后重试；数据库本身没有改动。")
                         .arg(Files::displayPath(folder), why));
}

[[noreturn]] void throwCannotRestore(const QString &folder, const QString &why)
{
    throw WriteError(QStringLiteral("无法在文件夹“%1”中用备份替换损坏的数据库文件：%2。请确认这个文件夹可以写入、"
                                    "磁盘还有空间，并且没有别的程序正在使用数据库，然后重试；文件都保持原样。")
                         .arg(Files::displayPath(folder), why));
}

/// The names of the database's backups: `<name>-<yyyyMMdd-HHmmss-zzz>.<suffix>`.
QRegularExpression namePattern(const QString &databaseFile)
{
    const QFileInfo database(databaseFile);
    return QRegularExpression(QStringLiteral("^%1-\\d{8}-\\d{6}-\\d{3}\\.%2$")
                                  .arg(QRegularExpression::escape(database.completeBaseName()),
                                       QRegularExpression::escape(database.suffix())));
}

void prune(const QString &databaseFile, const Backups::Limits &limits)
{
    const QStringList backups = Backups::list(databaseFile);
    qint64 total = 0;
    for (int i = 0; i < backups.size(); ++i) {
        total += QFileInfo(backups.at(i)).size();
        // Keeps the newest ones while they fit; from the first that does not, all older ones go.
        // A backup that cannot be deleted now is tried again after the next one.
        if (i > 0 && (i >= limits.count || total > limits.bytes))
            QFile::remove(backups.at(i));
    }
}

} // namespace

namespace Backups {

QString folderOf(const QString &databaseFile)
{
    return QFileInfo(databaseFile).absolutePath() + QStringLiteral("/backup");
}

QStringList list(const QString &databaseFile)
{
    const QRegularExpression pattern = namePattern(databaseFile);
    const QDir folder(folderOf(databaseFile));
    QStringList backups;
    // The names differ only in their fixed-width time, so name order is time order.
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name | QDir::Reversed)) {
        if (pattern.match(name).hasMatch())
            backups.append(folder.filePath(name));
    }
    return backups;
}

QDateTime timeOf(const QString &backupFile)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("-(\\d{8}-\\d{6}-\\d{3})\\.[^.]*$")).match(QFileInfo(backupFile).fileName());
    return match.hasMatch() ? QDateTime::fromString(match.captured(1), QLatin1String(StampFormat)) : QDateTime();
}

QString backUp(const QString &databaseFile, const Limits &limits)
{
    const QString folder = folderOf(databaseFile);
    if (!QDir().mkpath(folder))
        throwCannotBackUp(folder, QStringLiteral("无法建立这个文件夹"));

    Connection source(databaseFile, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    if (!source.isOpen()) {
        throw DatabaseError(
            QStringLiteral("无法读取数据库文件“%1”来建立备份（备份文件夹“%2”）：%3。请确认这个文件存在并且"
                           "没有损坏，然后重试。")
                .arg(Files::displayPath(databaseFile), Files::displayPath(folder), source.message()));
    }
    const QFileInfo database(databaseFile);
    const QString target = freshName([&](const QString &stamp) {
        return folder + QLatin1Char('/') + database.completeBaseName() + QLatin1Char('-') + stamp + QLatin1Char('.') +
               database.suffix();
    });
    // Written under a name no backup has, and renamed once complete.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    QString failure;
    QString damage;
    {
        Connection copy(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
        int rc = copy.isOpen() ? SQLITE_OK : SQLITE_CANTOPEN;
        if (rc == SQLITE_OK) {
            // One step copies every page inside one read transaction of the source: in WAL mode
            // it sees the last commit and neither waits for nor holds up the program's writes.
            sqlite3_backup *backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
            rc = SQLITE_ERROR;
            if (backup) {
                for (int attempt = 0; attempt < 50; ++attempt) {
                    rc = sqlite3_backup_step(backup, -1);
                    if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                        break;
                    sqlite3_sleep(100);
                }
                sqlite3_backup_finish(backup);
            }
        }
        // A backup is a file on its own, without a write-ahead log beside it.
        if (rc == SQLITE_DONE)
            rc = sqlite3_exec(copy.handle(), Sql::JournalModeDelete, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            failure = copy.message();
        } else {
            // The pages are copied as they are: a damaged database gives a damaged copy.
            const std::optional<QStringList> problems = column(copy.handle(), Sql::QuickCheck);
            if (problems != QStringList{QStringLiteral("ok")})
                damage = problems && !problems->isEmpty() ? problems->constFirst() : copy.message();
        }
    }
    if (!damage.isEmpty()) {
        QFile::remove(part);
        throw DatabaseError(
            QStringLiteral("数据库文件“%1”已损坏（SQLite 检查发现：%2），所以这次没有建立备份，以免挤掉文件夹“%3”中"
                           "以前完好的备份。请退出并重新启动本程序，按提示用备份恢复，或把这个文件交给技术人员检查。")
                .arg(Files::displayPath(databaseFile), damage, Files::displayPath(folder)),
            SQLITE_CORRUPT);
    }
    if (!failure.isEmpty()) {
        QFile::remove(part);
        throwCannotBackUp(folder, failure);
    }
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throwCannotBackUp(
            folder, QStringLiteral("无法把“%1”改名为“%2”").arg(Files::displayPath(part), Files::displayPath(target)));
    }
    prune(databaseFile, limits);
    return target;
}

QString newestUsable(const QString &databaseFile)
{
    for (const QString &candidate : list(databaseFile)) {
        if (isUsable(candidate))
            return candidate;
    }
    return {};
}

QString damagedName(const QString &databaseFile)
{
    return freshName([&](const QString &stamp) { return databaseFile + QStringLiteral(".damaged-") + stamp; });
}

QString restoreNewest(const QString &databaseFile)
{
    const QString chosen = newestUsable(databaseFile);
    if (!chosen.isEmpty())
        restore(databaseFile, chosen, damagedName(databaseFile));
    return chosen;
}

void restore(const QString &databaseFile, const QString &chosen, const QString &aside)
{
    const QString folder = QFileInfo(databaseFile).absolutePath();
    // The copy is made first, beside the database, so that the damaged file is moved only once
    // its replacement is complete.
    const QString incoming = databaseFile + QStringLiteral(".restoring");
    QFile::remove(incoming);
    if (!QFile::copy(chosen, incoming)) {
        QFile::remove(incoming);
        throwCannotRestore(folder, QStringLiteral("无法复制备份“%1”").arg(Files::displayPath(chosen)));
    }
    // The log first: a damaged file's -wal left beside the restored one would be applied to it.
    QList<std::pair<QString, QString>> moved;
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm"), QString()}) {
        const QString from = databaseFile + suffix;
        if (!QFileInfo::exists(from))
            continue;
        if (!QFile::rename(from, aside + suffix)) {
            for (const auto &[original, now] : std::as_const(moved))
                QFile::rename(now, original);
            QFile::remove(incoming);
            throwCannotRestore(folder, QStringLiteral("无法把“%1”改名为“%2”")
                                           .arg(Files::displayPath(from), Files::displayPath(aside + suffix)));
        }
        moved.append({from, aside + suffix});
    }
    if (!QFile::rename(incoming, databaseFile)) {
        for (const auto &[original, now] : std::as_const(moved))
            QFile::rename(now, original);
        QFile::remove(incoming);
        throwCannotRestore(folder, QStringLiteral("无法把备份放到“%1”").arg(Files::displayPath(databaseFile)));
    }
}

} // namespace Backups
