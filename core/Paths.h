#pragma once

#include <QString>

// The "program folder" for writable files (default database folder, display.html, the
// migration's work copy): the per-user application data folder, or OSTREVAN_HOME when set.
// Created on first use.
QString programFolder();

// The folder of the files installed with the programs (the user guide and its pictures, example files):
// share/ostrevan beside the program's bin/ folder, else the first ostrevan/ of the system's data folders
// (XDG_DATA_DIRS). Empty when there is none, as in a build tree.
QString sharedDataFolder(const QString &programDir);
QString sharedDataFolder();
