#include "IndexCheck.h"

#include "FormSchema.h"
#include "MariaDbSchema.h"

#include <mysql.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace indexcheck {

namespace {

std::string upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "(A, B DESC, C)" → {"A", "B DESC", "C"}, in capitals.
std::vector<std::string> columnList(const std::string &text)
{
    std::vector<std::string> columns;
    const size_t open = text.find('('), close = text.rfind(')');
    std::stringstream list(text.substr(open + 1, close - open - 1));
    for (std::string column; std::getline(list, column, ',');) {
        std::stringstream words(column);
        std::string name, direction;
        words >> name >> direction;
        columns.push_back(upper(name) + (upper(direction) == "DESC" ? " DESC" : ""));
    }
    return columns;
}

// Rows of (table, index, column, descending) in index order become one Index per table and index.
void appendColumn(std::vector<Index> &out, std::string &lastKey, const std::string &table, const std::string &index,
                  const std::string &column, bool descending)
{
    const std::string key = upper(table) + '.' + index;
    if (key != lastKey)
        out.push_back({upper(table), {}, {}});
    lastKey = key;
    out.back().columns.push_back(upper(column) + (descending ? " DESC" : ""));
}

} // namespace

std::vector<Index> needed(bool mariadb)
{
    std::vector<Index> out;
    if (mariadb) {
        for (const mariadbschema::Table &t : mariadbschema::kTables) {
            for (const char *index : t.indexes) {
                if (index)
                    out.push_back(
                        {upper(t.name), columnList(index),
                         t.name + std::string(" ") + std::string(index).substr(std::string(index).find('('))});
            }
        }
        return out;
    }
    std::stringstream statements(formschema::kIndexSql);
    for (std::string line; std::getline(statements, line);) {
        const size_t on = line.find(" ON ");
        if (on == std::string::npos)
            continue;
        std::stringstream rest(line.substr(on + 4));
        std::string table;
        rest >> table;
        const size_t open = line.find('('), close = line.rfind(')');
        out.push_back({upper(table), columnList(line), table + ' ' + line.substr(open, close - open + 1)});
    }
    return out;
}

bool existing(sqlite3 *db, std::vector<Index> &out, std::string &error)
{
    const char *sql = "SELECT m.name, l.name, x.name, x.desc FROM sqlite_schema m, pragma_index_list(m.name) l, "
                      "pragma_index_xinfo(l.name) x WHERE m.type = 'table' AND x.key = 1 ORDER BY 1, 2, x.seqno";
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    std::string lastKey;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto text = [stmt](int c) {
            const unsigned char *v = sqlite3_column_text(stmt, c);
            return v ? std::string(reinterpret_cast<const char *>(v)) : std::string();
        };
        appendColumn(out, lastKey, text(0), text(1), text(2), sqlite3_column_int(stmt, 3) != 0);
    }
    if (rc != SQLITE_DONE)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

bool existing(st_mysql *db, std::vector<Index> &out, std::string &error)
{
    const std::string sql =
        "SELECT TABLE_NAME, INDEX_NAME, COLUMN_NAME, COLLATION = 'D' FROM information_schema.STATISTICS "
        "WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_NAME, INDEX_NAME, SEQ_IN_INDEX";
    if (mysql_real_query(db, sql.data(), sql.size()) != 0) {
        error = mysql_error(db);
        return false;
    }
    MYSQL_RES *res = mysql_store_result(db);
    if (!res) {
        error = mysql_error(db);
        return false;
    }
    std::string lastKey;
    while (MYSQL_ROW row = mysql_fetch_row(res)) {
        if (row[0] && row[1] && row[2])
            appendColumn(out, lastKey, row[0], row[1], row[2], row[3] && std::string(row[3]) == "1");
    }
    mysql_free_result(res);
    return true;
}

std::vector<std::string> missing(const std::vector<Index> &needed, const std::vector<Index> &existing)
{
    std::vector<std::string> out;
    for (const Index &want : needed) {
        const bool found = std::any_of(existing.begin(), existing.end(), [&want](const Index &have) {
            return have.table == want.table && have.columns.size() >= want.columns.size() &&
                   std::equal(want.columns.begin(), want.columns.end(), have.columns.begin());
        });
        if (!found)
            out.push_back(want.text);
    }
    return out;
}

} // namespace indexcheck
