#pragma once

#include <string>
#include <vector>

struct sqlite3;
struct st_mysql;

// Whether a form database has the indexes the client's queries need. A provider's database filled by its
// own loads may lack them, and then the statistics read whole tables: serve says so at start.
namespace indexcheck {

struct Index {
    std::string table;
    std::vector<std::string> columns; // in capitals, "WRACEDATE DESC" for a descending column
    std::string text;                 // "WORKRACE (WJockey, WRaceDate DESC)", as init writes it
};

// What init builds on each backend.
std::vector<Index> needed(bool mariadb);
// The database's own indexes; false with the error when they cannot be read.
bool existing(sqlite3 *db, std::vector<Index> &out, std::string &error);
bool existing(st_mysql *db, std::vector<Index> &out, std::string &error);
// The needed indexes that no existing index of their table begins with, as "TABLE (A, B DESC)".
// The texts of the needed indexes that no existing index of their table begins with.
std::vector<std::string> missing(const std::vector<Index> &needed, const std::vector<Index> &existing);

} // namespace indexcheck
