#include "core/data/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString &overrideDir()
{
    static QString dir;
    return dir;
}

QString portableFolder()
{
    return QDir::cleanPath(AppPaths::exeDir() + QStringLiteral("/../DB"));
}

} // namespace

namespace AppPaths {

QString exeDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return QCoreApplication::applicationDirPath();
}

bool isPortable()
{
    return QFileInfo(portableFolder()).isDir();
}

QString dataFolder()
{
    if (isPortable())
        return portableFolder();
    // Not the application's own location: that would depend on the name the application
    // object was given, and every part of the program must agree on the folder.
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/kestrano-raffle"));
}

QString databaseFile()
{
    return dataFolder() + QStringLiteral("/CJ.mdb");
}

QString settingsFile()
{
    return dataFolder() + QStringLiteral("/System.INI");
}

void setExeDirForTesting(const QString &dir)
{
    overrideDir() = dir;
}

} // namespace AppPaths
