#pragma once

#include <QString>

/// Where the program finds its files. Two layouts, decided at each start:
/// - portable: a folder DB beside the executable's folder (<exe folder>/../DB), as the build
///   tree and an installation into a folder of one's own have it, holds the data;
/// - installed: otherwise (the program installed to /usr/bin by its package) the data lives in
///   the user's data folder, <XDG_DATA_HOME, ~/.local/share by default>/kestrano-raffle,
///   made at the first start.
namespace AppPaths {

/// The folder of the running executable, without a trailing separator.
QString exeDir();
/// The folder of CJ.mdb and System.INI in the layout in use.
QString dataFolder();
/// True when the data folder is the DB folder beside the executable's folder.
bool isPortable();
/// <dataFolder>/CJ.mdb
QString databaseFile();
/// <dataFolder>/System.INI
QString settingsFile();

/// Lets tests and benchmarks put the executable's folder elsewhere (a throwaway bin/ beside
/// a throwaway DB/). The program itself never calls it.
void setExeDirForTesting(const QString &dir);

} // namespace AppPaths
