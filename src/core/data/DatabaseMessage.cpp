#include "core/data/DatabaseMessage.h"

#include <QDir>

#include <sqlite3.h>

namespace DatabaseMessage {

namespace {

/// The failures an operator handles differently, whatever SQLite's exact code.
enum class Kind { Busy, CannotOpen, Damaged, ReadOnly, MissingTable, DiskFull, IoError, NoPermission, NoMemory, Other };

Kind kindOf(int resultCode, const QString &engineText)
{
    switch (resultCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Kind::Busy;
    case SQLITE_CANTOPEN:
        return Kind::CannotOpen;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Kind::Damaged;
    case SQLITE_READONLY:
        return Kind::ReadOnly;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_IOERR:
        return Kind::IoError;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Kind::NoPermission;
    case SQLITE_NOMEM:
        return Kind::NoMemory;
    case SQLITE_ERROR:
        // SQLite has no code of its own for these: a file that lacks a table or column of
        // this program's schema is incomplete or belongs to another program.
        if (engineText.startsWith(QLatin1String("no such table")) ||
            engineText.startsWith(QLatin1String("no such column")))
            return Kind::MissingTable;
        break;
    default:
        break;
    }
    return Kind::Other;
}

/// The message with "%1" where the file name goes.
QString opening(Kind kind)
{
    switch (kind) {
    case Kind::Busy:
        return QStringLiteral("无法打开数据库文件“%1”：另一个程序正在使用它。"
                              "请关闭那个程序（例如另一个正在运行的抽奖软件）后重新启动本程序。");
    case Kind::CannotOpen:
        return QStringLiteral("无法打开数据库文件“%1”。请确认文件存在、它所在的文件夹可以访问，"
                              "并且没有被其他程序独占，然后重新启动本程序。");
    case Kind::Damaged:
        return QStringLiteral("无法打开数据库文件“%1”：文件已损坏，或者不是抽奖软件的数据库。"
                              "请用备份的数据库文件替换它，然后重新启动本程序。");
    case Kind::ReadOnly:
        return QStringLiteral("无法打开数据库文件“%1”：文件是只读的。请去掉文件的只读属性，"
                              "并确认当前用户可以写入它所在的文件夹，然后重新启动本程序。");
    case Kind::MissingTable:
        return QStringLiteral("无法打开数据库文件“%1”：文件中缺少本程序需要的数据表，它不完整或者不是抽奖软件的数据库。"
                              "请用备份的数据库文件替换它，然后重新启动本程序。");
    case Kind::DiskFull:
        return QStringLiteral("无法打开数据库文件“%1”：磁盘已满。请腾出磁盘空间，然后重新启动本程序。");
    case Kind::IoError:
        return QStringLiteral("无法打开数据库文件“%1”：读写文件时出错。"
                              "请确认存放它的磁盘已连接并且完好，然后重新启动本程序。");
    case Kind::NoPermission:
        return QStringLiteral("无法打开数据库文件“%1”：没有访问它的权限。"
                              "请确认当前用户可以读写这个文件和它所在的文件夹，然后重新启动本程序。");
    case Kind::NoMemory:
        return QStringLiteral("无法打开数据库文件“%1”：内存不足。请关闭其他程序，然后重新启动本程序。");
    case Kind::Other:
        break;
    }
    return QStringLiteral("无法打开数据库文件“%1”。请确认文件存在并且没有被其他程序占用，然后重新启动本程序。");
}

QString working(Kind kind)
{
    switch (kind) {
    case Kind::Busy:
        return QStringLiteral("另一个程序正在使用数据库文件“%1”，这次操作没有完成。请关闭那个程序后重试。");
    case Kind::CannotOpen:
        return QStringLiteral("数据库文件“%1”无法访问，这次操作没有完成。"
                              "请确认文件仍然存在、存放它的磁盘仍然连接，然后重试。");
    case Kind::Damaged:
        return QStringLiteral("数据库文件“%1”已损坏，这次操作没有完成。"
                              "请退出本程序，用备份的数据库文件替换它后再启动。");
    case Kind::ReadOnly:
        return QStringLiteral("数据库文件“%1”是只读的，这次的修改没有保存。请去掉文件的只读属性，"
                              "并确认当前用户可以写入它所在的文件夹，然后重试。");
    case Kind::MissingTable:
        return QStringLiteral("数据库文件“%1”中缺少本程序需要的数据表，这次操作没有完成。"
                              "文件不完整或者不是抽奖软件的数据库：请退出本程序，用备份的数据库文件替换它后再启动。");
    case Kind::DiskFull:
        return QStringLiteral("磁盘已满，数据库文件“%1”没有写入，这次操作没有完成。请腾出磁盘空间后重试。");
    case Kind::IoError:
        return QStringLiteral("读写数据库文件“%1”时出错，这次操作没有完成。"
                              "请确认存放它的磁盘仍然连接并且完好，然后重试。");
    case Kind::NoPermission:
        return QStringLiteral("没有访问数据库文件“%1”的权限，这次操作没有完成。"
                              "请确认当前用户可以读写这个文件和它所在的文件夹，然后重试。");
    case Kind::NoMemory:
        return QStringLiteral("内存不足，数据库文件“%1”的这次操作没有完成。请关闭其他程序后重试。");
    case Kind::Other:
        break;
    }
    return QStringLiteral("数据库文件“%1”的这次操作没有完成。请重试；如果仍然出错，请重新启动本程序。");
}

} // namespace

QString text(int resultCode, const QString &engineText, const QString &file, Stage stage)
{
    const Kind kind = kindOf(resultCode, engineText);
    QString message = (stage == Stage::Opening ? opening(kind) : working(kind)).arg(QDir::toNativeSeparators(file));
    // Appended, not substituted: SQLite's text may itself hold a "%1".
    if (!engineText.isEmpty())
        message += QStringLiteral("（数据库报告：") + engineText + QStringLiteral("）");
    return message;
}

} // namespace DatabaseMessage
