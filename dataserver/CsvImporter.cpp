#include "CsvImporter.h"

#include "FormSchema.h"
#include "QueryString.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <strings.h>
#include <vector>

namespace {

struct Record {
    long line = 0;
    std::vector<std::optional<std::string>> fields;
};

// RFC 4180 records; quoted fields may hold commas, doubled quotes and line breaks.
bool parseCsv(const std::string &text, std::vector<Record> &records, std::string &error)
{
    size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    long line = 1;
    while (i < text.size()) {
        Record rec;
        rec.line = line;
        bool endOfRecord = false;
        while (!endOfRecord) {
            std::string field;
            bool quoted = false;
            if (i < text.size() && text[i] == '"') {
                quoted = true;
                ++i;
                while (true) {
                    if (i >= text.size()) {
                        error = "line " + std::to_string(rec.line) + ": unterminated quoted field";
                        return false;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n')
                        ++line;
                    field += text[i++];
                }
            }
            while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                field += text[i++];
            if (quoted && field.empty())
                rec.fields.emplace_back(std::string());
            else if (field.empty())
                rec.fields.emplace_back(std::nullopt);
            else
                rec.fields.emplace_back(field);
            if (i < text.size() && text[i] == ',') {
                ++i;
            } else {
                if (i < text.size() && text[i] == '\r')
                    ++i;
                if (i < text.size() && text[i] == '\n')
                    ++i;
                ++line;
                endOfRecord = true;
            }
        }
        const bool blankLine = rec.fields.size() == 1 && !rec.fields[0];
        if (!blankLine)
            records.push_back(std::move(rec));
    }
    return true;
}

bool isWholeNumber(const std::string &v)
{
    size_t i = (v[0] == '-' || v[0] == '+') ? 1 : 0;
    if (i >= v.size() || v.size() > 18)
        return false;
    return std::all_of(v.begin() + static_cast<long>(i), v.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool digitsAt(const std::string &v, size_t from, size_t count)
{
    if (from + count > v.size())
        return false;
    return std::all_of(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(from + count),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Providers write some prices as money ("$4.50", "$1,250"): the amount is stored as a number, so that both
// backends hold the same value (a MariaDB number column could not hold the text).
void normaliseMoney(std::string &v)
{
    const size_t sign = (!v.empty() && (v[0] == '-' || v[0] == '+')) ? 1 : 0;
    if (v.size() < sign + 2 || v[sign] != '$')
        return;
    std::string amount = v.substr(0, sign);
    bool digits = false, point = false;
    for (size_t i = sign + 1; i < v.size(); ++i) {
        const char c = v[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits = true;
            amount += c;
        } else if (c == '.' && !point) {
            point = true;
            amount += c;
        } else if (!(c == ',' && digits && !point)) {
            return; // not an amount of money: kept as written
        }
    }
    if (digits)
        v = amount;
}

// Dates are stored 'YYYY-MM-DD' (date-times 'YYYY-MM-DD HH:MM:SS'); 'YYYY/MM/DD' is accepted and converted.
bool normaliseDate(std::string &v, bool allowTime)
{
    if (v.size() >= 10 && (v[4] == '/' || v[4] == '-') && v[7] == v[4]) {
        v[4] = v[7] = '-';
    }
    if (!digitsAt(v, 0, 4) || v.size() < 10 || v[4] != '-' || !digitsAt(v, 5, 2) || v[7] != '-' || !digitsAt(v, 8, 2))
        return false;
    const int month = std::stoi(v.substr(5, 2)), day = std::stoi(v.substr(8, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    if (v.size() == 10)
        return true;
    return allowTime && v.size() == 19 && v[10] == ' ' && digitsAt(v, 11, 2) && v[13] == ':' && digitsAt(v, 14, 2) &&
           v[16] == ':' && digitsAt(v, 17, 2);
}

enum class ColumnKind { Text, Integer, Numeric, Date, DateTime };

struct Column {
    std::string name;
    ColumnKind kind;
};

bool isDateColumn(const std::string &name)
{
    for (const char *d : {"WRaceDate", "RDate", "MDate", "HDob"}) {
        if (strcasecmp(d, name.c_str()) == 0)
            return true;
    }
    return false;
}

std::vector<Column> tableColumns(sqlite3 *db, const std::string &table)
{
    std::vector<Column> cols;
    sqlite3_stmt *stmt = nullptr;
    const std::string sql = "PRAGMA table_info(\"" + table + "\")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1));
            const std::string type = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2));
            ColumnKind kind = ColumnKind::Text;
            if (strcasecmp(type.c_str(), "INTEGER") == 0)
                kind = ColumnKind::Integer;
            else if (strcasecmp(type.c_str(), "NUMERIC") == 0)
                kind = ColumnKind::Numeric;
            else if (isDateColumn(name))
                kind = ColumnKind::Date;
            else if (strcasecmp(name.c_str(), "DateUpdated") == 0)
                kind = ColumnKind::DateTime;
            cols.push_back({name, kind});
        }
    }
    sqlite3_finalize(stmt);
    return cols;
}

bool exec(sqlite3 *db, const char *sql, std::ostream &err)
{
    char *msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        err << "import: " << (msg ? msg : "database error") << '\n';
        sqlite3_free(msg);
        return false;
    }
    return true;
}

} // namespace

int CsvImporter::run(const std::string &dbPath, const std::string &tableArg, const std::string &csvPath,
                     std::ostream &out, std::ostream &err)
{
    const char *const *tableIt = std::find_if(std::begin(formschema::kFormTables), std::end(formschema::kFormTables),
                                              [&](const char *t) { return strcasecmp(t, tableArg.c_str()) == 0; });
    if (tableIt == std::end(formschema::kFormTables)) {
        err << "import: unknown table " << tableArg << " (form tables: WORKRACE, RACEMAST, HORSMAST, MEETMAST, "
            << "Track, RaceShortCode)\n";
        return 2;
    }
    const std::string table = *tableIt;
    std::ifstream file(csvPath, std::ios::binary);
    if (!file) {
        err << "import: cannot read " << csvPath << '\n';
        return 1;
    }
    std::stringstream buffer;
    buffer << file.rdbuf();
    std::vector<Record> records;
    std::string parseError;
    if (!parseCsv(buffer.str(), records, parseError)) {
        err << "import: " << csvPath << ": " << parseError << "; nothing imported\n";
        return 1;
    }
    if (records.empty()) {
        err << "import: " << csvPath << ": no header row\n";
        return 1;
    }

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        err << "import: cannot open " << dbPath << ": " << sqlite3_errmsg(db) << '\n';
        sqlite3_close_v2(db);
        return 1;
    }
    struct Closer {
        sqlite3 *db;
        ~Closer() { sqlite3_close_v2(db); }
    } closer{db};
    if (!exec(db, formschema::kCreateSql, err))
        return 1;

    const std::vector<Column> columns = tableColumns(db, table);
    std::vector<const Column *> mapping;
    for (const auto &h : records[0].fields) {
        const std::string name = h.value_or(std::string());
        const auto it = std::find_if(columns.begin(), columns.end(),
                                     [&](const Column &c) { return strcasecmp(c.name.c_str(), name.c_str()) == 0; });
        if (it == columns.end()) {
            err << "import: " << csvPath << ": line " << records[0].line << ": " << table << " has no column \"" << name
                << "\"; nothing imported\n";
            return 1;
        }
        if (std::find(mapping.begin(), mapping.end(), &*it) != mapping.end()) {
            err << "import: " << csvPath << ": line " << records[0].line << ": column " << name
                << " named twice; nothing imported\n";
            return 1;
        }
        mapping.push_back(&*it);
    }

    // Check everything before writing anything.
    int bad = 0;
    for (size_t r = 1; r < records.size(); ++r) {
        Record &rec = records[r];
        std::string why;
        if (rec.fields.size() != mapping.size()) {
            why = std::to_string(rec.fields.size()) + " fields where the header has " + std::to_string(mapping.size());
        } else {
            for (size_t c = 0; c < mapping.size() && why.empty(); ++c) {
                if (!rec.fields[c])
                    continue;
                std::string &v = *rec.fields[c];
                const Column &col = *mapping[c];
                if (col.kind == ColumnKind::Numeric)
                    normaliseMoney(v);
                if (!QueryString::isValidUtf8(v))
                    why = col.name + " is not valid UTF-8";
                else if (col.kind == ColumnKind::Integer && !isWholeNumber(v))
                    why = col.name + " \"" + v + "\" is not a whole number";
                else if (col.kind == ColumnKind::Date && !normaliseDate(v, false))
                    why = col.name + " \"" + v + "\" is not a date YYYY-MM-DD";
                else if (col.kind == ColumnKind::DateTime && !normaliseDate(v, true))
                    why = col.name + " \"" + v + "\" is not a date-time YYYY-MM-DD HH:MM:SS";
            }
        }
        if (!why.empty()) {
            if (++bad <= 20)
                err << "import: " << csvPath << ": line " << rec.line << ": " << why << '\n';
        }
    }
    if (bad > 0) {
        err << "import: " << bad << " bad row" << (bad == 1 ? "" : "s") << "; nothing imported\n";
        return 1;
    }

    std::string sql = "INSERT INTO \"" + table + "\" (";
    for (size_t c = 0; c < mapping.size(); ++c)
        sql += (c ? ", \"" : "\"") + mapping[c]->name + '"';
    sql += ") VALUES (";
    for (size_t c = 0; c < mapping.size(); ++c)
        sql += c ? ", ?" : "?";
    sql += ')';

    if (!exec(db, "BEGIN IMMEDIATE", err))
        return 1;
    sqlite3_stmt *stmt = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    for (size_t r = 1; ok && r < records.size(); ++r) {
        const Record &rec = records[r];
        for (size_t c = 0; c < mapping.size(); ++c) {
            const int idx = static_cast<int>(c) + 1;
            if (!rec.fields[c])
                sqlite3_bind_null(stmt, idx);
            else if (mapping[c]->kind == ColumnKind::Integer)
                sqlite3_bind_int64(stmt, idx, std::stoll(*rec.fields[c]));
            else
                sqlite3_bind_text(stmt, idx, rec.fields[c]->data(), static_cast<int>(rec.fields[c]->size()),
                                  SQLITE_TRANSIENT);
        }
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        if (!ok)
            err << "import: " << csvPath << ": line " << rec.line << ": " << sqlite3_errmsg(db) << '\n';
        sqlite3_reset(stmt);
    }
    if (!ok && !stmt)
        err << "import: " << sqlite3_errmsg(db) << '\n';
    sqlite3_finalize(stmt);
    if (ok)
        ok = exec(db, formschema::kIndexSql, err) && exec(db, "COMMIT", err);
    if (!ok) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        err << "import: nothing imported\n";
        return 1;
    }
    out << "imported " << records.size() - 1 << " rows into " << table << '\n';
    return 0;
}
