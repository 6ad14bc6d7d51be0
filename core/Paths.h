#pragma once

#include <QString>

// The "program folder" for writable files (default database folder, display.html, the
// migration's work copy): the per-user application data folder, or OSTREVAN_HOME when set.
// Created on first use.
QString programFolder();
