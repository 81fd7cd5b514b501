#include "core/data/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideDir()
{
    static QString dir;
    return dir;
}
} // namespace

namespace AppPaths {

QString exeDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return QCoreApplication::applicationDirPath();
}

QString databaseFile()
{
    return QDir::cleanPath(exeDir() + QStringLiteral("/../DB/CJ.mdb"));
}

QString settingsFile()
{
    return QDir::cleanPath(exeDir() + QStringLiteral("/../DB/System.INI"));
}

void setExeDirForTesting(const QString &dir)
{
    overrideDir() = dir;
}

} // namespace AppPaths
