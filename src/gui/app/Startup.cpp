#include "gui/app/Startup.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/data/Backups.h"
#include "core/data/Database.h"
#include "core/data/DatabaseCheck.h"
#include "core/data/DrawRecordStore.h"
#include "gui/ui/Dialogs.h"
#include "gui/ui/ErrorBoundary.h"

#include <QDateTime>
#include <QFileInfo>

#include <optional>

namespace {

/// Why the file cannot serve as it is.
struct Damage
{
    bool opens = false;   ///< it opens, but SQLite's check finds damage
    bool missing = false; ///< there is no file at all, but there are backups
    QString reason;
};

void tell(const QString &text, Dialogs::Icon icon)
{
    Dialogs::instance().message(nullptr, text, ErrorBoundary::title(), icon, Dialogs::Buttons::Ok);
}

/// Offers the newest usable backup in place of the damaged file. Returns whether it was restored.
bool offerRestore(const QString &file, const Damage &damage)
{
    const QString shown = Files::displayPath(file);
    const QString state =
        damage.missing ? QStringLiteral("数据库文件“%1”不见了，但备份文件夹中有它的备份。").arg(shown)
        : damage.opens
            ? QStringLiteral("数据库文件“%1”检查出损坏（%2），部分数据可能已经读不出来。").arg(shown, damage.reason)
            : QStringLiteral("数据库文件“%1”已损坏，无法打开（%2）。").arg(shown, damage.reason);
    const QString backup = Backups::newestUsable(file);
    if (backup.isEmpty()) {
        const QString folder = Files::displayPath(Backups::folderOf(file));
        if (damage.opens) {
            tell(state +
                     QStringLiteral("备份文件夹“%1”中没有能打开的备份。程序将继续使用这个文件；请尽快把它交给技术人员"
                                    "检查。")
                         .arg(folder),
                 Dialogs::Icon::Warning);
        } else {
            tell(state +
                     QStringLiteral("备份文件夹“%1”中也没有能打开的备份，无法恢复。程序将退出，文件保持原样；请把这个"
                                    "文件交给技术人员检查，或换上一份完好的 %2 后重新启动程序。")
                         .arg(folder, QFileInfo(file).fileName()),
                 Dialogs::Icon::Error);
        }
        return false;
    }
    const QString damaged = Backups::damagedName(file);
    const QString taken = Backups::timeOf(backup).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString how =
        damage.missing
            ? QStringLiteral("\n\n可以用 %1 的备份“%2”恢复。这个备份之后录入的参选人、奖项和抽奖结果需要补上。\n\n")
                  .arg(taken, Files::displayPath(backup))
            : QStringLiteral("\n\n可以用 %1 的备份“%2”恢复：损坏的文件将改名为“%3”留在原处（不会被覆盖或删除），"
                             "再换上这个备份。这个备份之后录入的参选人、奖项和抽奖结果需要补上。\n\n")
                  .arg(taken, Files::displayPath(backup), Files::displayPath(damaged));
    const QString offer = state + how +
                          (damage.missing ? QStringLiteral("按“确定”恢复；按“取消”不恢复，新建一个空的数据库。")
                           : damage.opens ? QStringLiteral("按“确定”恢复；按“取消”不恢复，继续使用这个文件。")
                                          : QStringLiteral("按“确定”恢复；按“取消”退出程序，文件都保持原样。"));
    if (!Dialogs::instance().message(nullptr, offer, ErrorBoundary::title(), Dialogs::Icon::Warning,
                                     Dialogs::Buttons::OkCancel))
        return false;
    Backups::restore(file, backup, damaged);
    const QString kept =
        damage.missing ? QString() : QStringLiteral("损坏的文件已改名为“%1”保留。").arg(Files::displayPath(damaged));
    tell(QStringLiteral("已用 %1 的备份“%2”恢复数据库文件“%3”。%4请核对参选人、奖项和抽奖结果，补上这个备份之后的"
                        "改动。")
             .arg(taken, Files::displayPath(backup), shown, kept),
         Dialogs::Icon::Information);
    return true;
}

void repairRecord(Database &db)
{
    RecordRepair repair;
    try {
        repair = DrawRecordStore(db).repairTables(QDateTime::currentDateTime());
    } catch (const DatabaseError &e) {
        // The participants and prizes are usable all the same: the program goes on.
        tell(e.text(), Dialogs::Icon::Warning);
        return;
    }
    if (!repair.repaired)
        return;
    const QString shown = Files::displayPath(db.fileName());
    if (repair.moved.isEmpty()) {
        tell(QStringLiteral("数据库文件“%1”中没有抽奖记录的表（draws、draw_entries），已经新建，抽奖记录从空白开始。"
                            "参与人员和奖项没有改动，可以照常抽奖。")
                 .arg(shown),
             Dialogs::Icon::Information);
        return;
    }
    QStringList renamed;
    for (const MovedTable &moved : std::as_const(repair.moved))
        renamed.append(QStringLiteral("表 %1 改名为 %2").arg(moved.table, moved.movedTo));
    tell(QStringLiteral("数据库文件“%1”中的抽奖记录（表 draws、draw_entries）缺失或已损坏，已经修复：%2，原来的内容都"
                        "保留在改名后的表中；抽奖记录已重新建立，从空白开始。参与人员和奖项没有改动，可以照常抽奖。"
                        "如需查看原来的记录，请把这个文件交给技术人员。")
             .arg(shown, renamed.join(QStringLiteral("，"))),
         Dialogs::Icon::Warning);
}

} // namespace

namespace Startup {

std::unique_ptr<Database> openDatabase(const QString &file)
{
    std::unique_ptr<Database> db;
    std::optional<Damage> damage;
    // An empty file with nothing to go back to opens as an empty database, as it always has.
    if (!QFileInfo::exists(file) && !Backups::newestUsable(file).isEmpty()) {
        // A file that went missing is more likely lost than never made: its backups are offered.
        damage = Damage{false, true, QString()};
    } else if (DatabaseCheck::isEmptyFile(file) && !Backups::newestUsable(file).isEmpty()) {
        damage = Damage{false, false, QStringLiteral("文件是空的，0 字节")};
    } else {
        try {
            // A missing file is made anew, with the current schema; one that is there is never
            // overwritten.
            db = std::make_unique<Database>(file, Database::OpenMode::CreateIfMissing);
        } catch (const DatabaseError &e) {
            if (!DatabaseCheck::isDamage(e))
                throw;
            damage = Damage{false, false, DatabaseCheck::damageText(e)};
        }
        if (db) {
            const QStringList problems = DatabaseCheck::problems(*db);
            if (!problems.isEmpty())
                damage = Damage{true, false, QStringLiteral("SQLite 检查发现：%1").arg(problems.constFirst())};
        }
    }
    if (damage) {
        db.reset(); // the files are moved only with every connection closed
        if (offerRestore(file, *damage) || damage->opens)
            db = std::make_unique<Database>(file);
        else if (damage->missing)
            db = std::make_unique<Database>(file, Database::OpenMode::CreateIfMissing);
        else
            return nullptr;
    }
    repairRecord(*db);
    return db;
}

} // namespace Startup
