#pragma once

#include <string>

struct sqlite3;

// SQL functions that the client's MySQL-era texts rely on, registered on every query connection:
// dec(x, s, p) for CAST … AS DECIMAL(p,s), a case-insensitive instr, concat, leftstr/rightstr, ucase, lcase.
namespace dialectfunctions {

// Names the query guard lets through besides SQLite's own allowed functions.
inline constexpr const char *kNames[] = {"dec", "instr", "concat", "leftstr", "rightstr", "ucase", "lcase"};

// Returns false when SQLite refused a registration.
bool registerAll(sqlite3 *db);

// MySQL's DECIMAL(p,s) conversion of a number: half away from zero, clipped to the largest value of the type.
// Exposed for the tests of the formatter.
std::string formatDecimal(double value, int scale, int precision);

} // namespace dialectfunctions
