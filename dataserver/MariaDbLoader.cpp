#include "MariaDbLoader.h"

#include "CsvImporter.h"
#include "MariaDb.h"
#include "MariaDbSchema.h"

#include <mysql.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <strings.h>

namespace mariadbloader {

namespace {

using mariadbschema::Table;

constexpr size_t kStatementBytes = 128u << 10; // below the max_allowed_packet the README advises

std::string quoteIdent(const std::string &name)
{
    return '`' + name + '`';
}

std::string quoteText(const char *text, size_t size)
{
    std::string out = "'";
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\'')
            out += '\'';
        out += text[i];
    }
    return out + '\'';
}

const Table *findTable(const std::string &name)
{
    for (const Table &t : mariadbschema::kTables) {
        if (strcasecmp(t.name, name.c_str()) == 0)
            return &t;
    }
    return nullptr;
}

std::string createSql(const Table &t)
{
    std::string sql = "CREATE TABLE IF NOT EXISTS " + quoteIdent(t.name) + " (";
    for (size_t c = 0; c < std::size(t.columns) && t.columns[c].name; ++c)
        sql += std::string(c ? ", " : "") + quoteIdent(t.columns[c].name) + ' ' + t.columns[c].type;
    return sql + ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci";
}

const char *columnType(const Table &t, const std::string &name)
{
    for (const auto &c : t.columns) {
        if (c.name && strcasecmp(c.name, name.c_str()) == 0)
            return c.type;
    }
    return "";
}

bool isTextColumn(const Table &t, const std::string &name)
{
    return std::string(columnType(t, name)).rfind("VARCHAR", 0) == 0;
}

bool isNumberColumn(const Table &t, const std::string &name)
{
    const std::string type = columnType(t, name);
    return type == "DOUBLE" || type == "INT";
}

bool createIndexes(MariaDbConnection &db, const Table &t, std::string &error)
{
    for (const char *index : t.indexes) {
        if (!index)
            break;
        const std::string text = index;
        const size_t blank = text.find(' ');
        if (!db.exec("CREATE INDEX IF NOT EXISTS " + text.substr(0, blank) + " ON " + quoteIdent(t.name) +
                         text.substr(blank),
                     error))
            return false;
    }
    return true;
}

bool dropIndexes(MariaDbConnection &db, const Table &t, std::string &error)
{
    for (const char *index : t.indexes) {
        if (!index)
            break;
        const std::string name = std::string(index).substr(0, std::string(index).find(' '));
        if (!db.exec("DROP INDEX IF EXISTS " + quoteIdent(name) + " ON " + quoteIdent(t.name), error))
            return false;
    }
    return true;
}

// A SQLite real as the SQLite backend prints it, for the one text column that holds numbers too.
std::string realText(double v, bool asText)
{
    char buf[64];
    if (!asText)
        std::snprintf(buf, sizeof buf, "%.17g", v);
    else if (v == static_cast<double>(static_cast<long long>(v)) && v > -1e15 && v < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.15g", v);
    return asText ? "'" + std::string(buf) + "'" : std::string(buf);
}

// Copies one table in one transaction; the rows were checked and typed when they went into SQLite.
bool copyTable(sqlite3 *src, MariaDbConnection &db, const Table &t, long long &rows, std::string &error)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(src, ("SELECT * FROM \"" + std::string(t.name) + "\"").c_str(), -1, &stmt, nullptr) !=
        SQLITE_OK) {
        error = sqlite3_errmsg(src);
        return false;
    }
    struct Finalizer {
        sqlite3_stmt *s;
        ~Finalizer() { sqlite3_finalize(s); }
    } finalizer{stmt};
    const int columns = sqlite3_column_count(stmt);
    std::vector<bool> asText(static_cast<size_t>(columns)), asNumber(static_cast<size_t>(columns));
    std::string head = "INSERT INTO " + quoteIdent(t.name) + " (";
    for (int c = 0; c < columns; ++c) {
        const std::string name = sqlite3_column_name(stmt, c);
        asText[static_cast<size_t>(c)] = isTextColumn(t, name);
        asNumber[static_cast<size_t>(c)] = isNumberColumn(t, name);
        head += (c ? ", " : "") + quoteIdent(name);
    }
    head += ") VALUES ";
    if (!db.exec("START TRANSACTION", error))
        return false;
    std::string sql;
    rows = 0;
    int step;
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
        sql += sql.empty() ? head + "(" : ",(";
        for (int c = 0; c < columns; ++c) {
            if (c)
                sql += ',';
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                sql += "NULL";
                break;
            case SQLITE_INTEGER:
                sql += asText[static_cast<size_t>(c)] ? "'" + std::to_string(sqlite3_column_int64(stmt, c)) + "'"
                                                      : std::to_string(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                sql += realText(sqlite3_column_double(stmt, c), asText[static_cast<size_t>(c)]);
                break;
            default: {
                const std::string value(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                                        static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
                // SQLite keeps such a value as text; a MariaDB number column cannot hold it.
                if (asNumber[static_cast<size_t>(c)]) {
                    error = std::string(sqlite3_column_name(stmt, c)) + " \"" + value + "\" in data row " +
                            std::to_string(rows + 1) + " is not a number";
                    return false;
                }
                sql += quoteText(value.data(), value.size());
            }
            }
        }
        sql += ')';
        ++rows;
        if (sql.size() > kStatementBytes) {
            if (!db.exec(sql, error))
                return false;
            sql.clear();
        }
    }
    if (step != SQLITE_DONE) {
        error = sqlite3_errmsg(src);
        return false;
    }
    if (!sql.empty() && !db.exec(sql, error))
        return false;
    return db.exec("COMMIT", error);
}

std::unique_ptr<MariaDbConnection> connect(const std::string &text, const char *command, std::ostream &err)
{
    MariaDbAddress address;
    std::string error;
    if (!MariaDbAddress::parse(text, address, error)) {
        err << command << ": " << error << '\n';
        return nullptr;
    }
    auto db = MariaDbConnection::open(address, MariaDbConnection::Purpose::Load, error);
    if (!db)
        err << command << ": cannot connect to " << address.display() << ": " << error << '\n';
    return db;
}

// A scratch SQLite file, removed with its folder.
struct Scratch {
    std::filesystem::path dir;
    Scratch()
    {
        char pattern[] = "/tmp/ostrevan-load-XXXXXX";
        if (mkdtemp(pattern))
            dir = pattern;
    }
    ~Scratch()
    {
        std::error_code ec;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ec);
    }
    std::string db() const { return (dir / "form.db").string(); }
};

sqlite3 *openScratch(const std::string &path, std::ostream &err)
{
    sqlite3 *src = nullptr;
    if (sqlite3_open_v2(path.c_str(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        err << "cannot read " << path << ": " << sqlite3_errmsg(src) << '\n';
        sqlite3_close_v2(src);
        return nullptr;
    }
    return src;
}

} // namespace

int init(const std::string &address, std::ostream &out, std::ostream &err)
{
    auto db = connect(address, "init", err);
    if (!db)
        return 1;
    std::string error;
    for (const Table &t : mariadbschema::kTables) {
        if (!db->exec(createSql(t), error) || !createIndexes(*db, t, error)) {
            err << "init: " << error << '\n';
            return 1;
        }
    }
    out << "initialised " << address.substr(0, address.find("://") + 3) << address.substr(address.rfind('@') + 1)
        << '\n';
    return 0;
}

int import(const std::string &address, const std::string &table, const std::string &csvPath, std::ostream &out,
           std::ostream &err)
{
    const Table *t = findTable(table);
    auto db = t ? connect(address, "import", err) : nullptr;
    if (t && !db)
        return 1;
    Scratch scratch;
    std::ostringstream checked;
    const int rc = CsvImporter::run(scratch.db(), table, csvPath, checked, err);
    if (rc != 0)
        return rc;
    sqlite3 *src = openScratch(scratch.db(), err);
    if (!src)
        return 1;
    std::string error;
    long long rows = 0, existing = 1;
    bool ok = db->exec(createSql(*t), error);
    const std::string probe = "SELECT EXISTS(SELECT 1 FROM " + quoteIdent(t->name) + ")";
    if (ok && mysql_real_query(db->handle(), probe.data(), probe.size()) == 0) {
        if (MYSQL_RES *res = mysql_store_result(db->handle())) {
            if (MYSQL_ROW row = mysql_fetch_row(res))
                existing = row[0] ? std::atoll(row[0]) : 1;
            mysql_free_result(res);
        }
    }
    // Into an empty table the indexes are built after the data, once.
    ok = ok && (existing || dropIndexes(*db, *t, error)) && copyTable(src, *db, *t, rows, error) &&
         createIndexes(*db, *t, error);
    sqlite3_close_v2(src);
    if (!ok) {
        db->exec("ROLLBACK", error);
        err << "import: " << error << "; nothing imported\n";
        return 1;
    }
    out << "imported " << rows << " rows into " << t->name << '\n';
    return 0;
}

int generateDemo(const std::string &address, DemoOptions options, std::ostream &out, std::ostream &err)
{
    auto db = connect(address, "generate-demo", err);
    if (!db)
        return 1;
    Scratch scratch;
    options.dbPath = scratch.db();
    const int rc = ::generateDemo(options, out, err);
    if (rc != 0)
        return rc;
    sqlite3 *src = openScratch(scratch.db(), err);
    if (!src)
        return 1;
    std::string error;
    bool ok = true;
    for (const Table &t : mariadbschema::kTables) {
        long long rows = 0;
        ok = db->exec("DROP TABLE IF EXISTS " + quoteIdent(t.name), error) && db->exec(createSql(t), error) &&
             copyTable(src, *db, t, rows, error) && createIndexes(*db, t, error);
        if (!ok)
            break;
        out << "loaded " << rows << " rows into " << t.name << '\n';
    }
    sqlite3_close_v2(src);
    if (!ok) {
        err << "generate-demo: " << error << '\n';
        return 1;
    }
    out << "demo loaded into " << address.substr(0, address.find("://") + 3) << address.substr(address.rfind('@') + 1)
        << '\n';
    return 0;
}

} // namespace mariadbloader
