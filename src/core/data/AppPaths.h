#pragma once

#include <QString>

/// Where the program finds its data: the DB folder beside the folder of the executable.
namespace AppPaths {

/// The folder of the running executable, without a trailing separator.
QString exeDir();
/// <exeDir>/../DB/CJ.mdb, cleaned.
QString databaseFile();
/// <exeDir>/../DB/System.INI, cleaned.
QString settingsFile();

/// Lets tests and benchmarks put the executable's folder elsewhere (a throwaway bin/ beside
/// a throwaway DB/). The program itself never calls it.
void setExeDirForTesting(const QString &dir);

} // namespace AppPaths
