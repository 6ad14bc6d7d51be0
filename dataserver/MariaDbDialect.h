#pragma once

#include <string>

// The MariaDB backend's statement check and translation. The client's texts are MySQL-flavoured, so most
// pass through; what is adapted keeps the meanings the SQLite backend gives: an aggregate subquery limited
// by ORDER BY … LIMIT n aggregates over those n rows, CAST … AS DECIMAL(p,s) keeps its s decimals in the
// answer, 'yyyy/mm/dd' dates and trailing blanks in compared literals.
//
// The check refuses what the SQLite guard refuses: anything but one SELECT, tables other than the six form
// tables, functions outside an allow-list (SLEEP, BENCHMARK, LOAD_FILE …), INTO, variables, other schemas,
// executable comments. The statement is rebuilt from its tokens, so comments never reach the server.
struct MariaDbStatement {
    bool ok = false;
    std::string sql;       // the text to send
    std::string errorKind; // refused, sql
    std::string error;     // the reason, without "Error: "
};

MariaDbStatement prepareForMariaDb(const std::string &clientText);
