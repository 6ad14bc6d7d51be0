#pragma once

#include <string>

// Adapts the MySQL-flavoured query texts the desktop client sends so that SQLite answers them with the
// meaning they had on the old server: "LIMIT a,b", CAST … AS DECIMAL(p,s), aliases such as 2nd,
// aggregate subqueries limited by ORDER BY … LIMIT n, 'yyyy/mm/dd' dates, double-quoted strings,
// trailing blanks ignored in comparisons. Works on tokens, so string literals are never touched by mistake.
class SqlDialect
{
public:
    static std::string translate(const std::string &mysqlText);
};
