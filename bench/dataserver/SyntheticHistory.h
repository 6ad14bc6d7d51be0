#pragma once

#include <string>

// Fills a new form database at `dbPath` (made by `server init`) with a plain synthetic history of `years` years,
// for developing the benchmark when no demo database is at hand.
bool synthesize(const std::string &server, const std::string &dbPath, int years);
