#pragma once

#include <string>

// Adapts the MySQL-flavoured query texts the desktop client sends so that SQLite answers them with the
// meaning they had on the old server: "LIMIT a,b", CAST … AS DECIMAL(p,s), aliases such as 2nd,
// aggregate subqueries limited by ORDER BY … LIMIT n, 'yyyy/mm/dd' dates, double-quoted strings,
// trailing blanks ignored in comparisons. Works on tokens, so string literals are never touched by mistake.
// Strings are standard SQL: a backslash is an ordinary character.
class SqlDialect
{
public:
    // A text nested too deeply or too long to translate safely gives an empty result and *error says why.
    static std::string translate(const std::string &mysqlText, std::string *error = nullptr);
};
