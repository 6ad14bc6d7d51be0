#pragma once

#include "DemoGenerator.h"

#include <iosfwd>
#include <string>

// init, import and generate-demo against a MariaDB database. The rows are checked and typed exactly as for
// a SQLite file (through a scratch SQLite file), then loaded in bulk: one transaction per table,
// multi-row INSERTs, indexes built after the data. Each returns a process exit code.
namespace mariadbloader {

int init(const std::string &address, std::ostream &out, std::ostream &err);
int import(const std::string &address, const std::string &table, const std::string &csvPath, std::ostream &out,
           std::ostream &err);
int generateDemo(const std::string &address, DemoOptions options, std::ostream &out, std::ostream &err);

} // namespace mariadbloader
