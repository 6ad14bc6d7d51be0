#include "QueryConnection.h"

#include "DialectFunctions.h"
#include "FormSchema.h"
#include "SqlDialect.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <strings.h>
#include <utility>

namespace {

bool equalsNoCase(const char *a, const char *b)
{
    return a && b && strcasecmp(a, b) == 0;
}

bool isFormTable(const char *name)
{
    return std::any_of(std::begin(formschema::kFormTables), std::end(formschema::kFormTables),
                       [&](const char *t) { return equalsNoCase(t, name); });
}

// SQLite's own functions that a read-only report may use; everything else (randomblob, zeroblob, printf,
// load_extension, sqlite_* introspection …) is refused.
constexpr const char *kAllowedFunctions[] = {
    "count",   "min",    "max",    "avg",    "sum",       "total",    "group_concat", "abs",       "round",
    "upper",   "lower",  "length", "substr", "substring", "coalesce", "ifnull",       "nullif",    "iif",
    "replace", "trim",   "ltrim",  "rtrim",  "date",      "time",     "datetime",     "julianday", "strftime",
    "like",    "typeof", "sign",   "floor",  "ceil",      "ceiling",  "unicode"};

bool isAllowedFunction(const char *name)
{
    return std::any_of(std::begin(kAllowedFunctions), std::end(kAllowedFunctions),
                       [&](const char *f) { return equalsNoCase(f, name); }) ||
           std::any_of(std::begin(dialectfunctions::kNames), std::end(dialectfunctions::kNames),
                       [&](const char *f) { return equalsNoCase(f, name); });
}

std::string lowerAscii(const char *text)
{
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool onlyBlanksAndSemicolons(const char *tail)
{
    for (; tail && *tail; ++tail) {
        const char c = *tail;
        if (c != ';' && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v')
            return false;
    }
    return true;
}

} // namespace

std::unique_ptr<QueryConnection> QueryConnection::open(const std::string &path, std::string &error)
{
    std::unique_ptr<QueryConnection> conn(new QueryConnection);
    const int rc = sqlite3_open_v2(path.c_str(), &conn->m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        error = conn->m_db ? sqlite3_errmsg(conn->m_db) : sqlite3_errstr(rc);
        return nullptr;
    }
    sqlite3 *db = conn->m_db;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    // Settings first, while no authorizer is installed yet (it refuses every PRAGMA).
    const char *setup = "PRAGMA query_only = 1; PRAGMA mmap_size = 1073741824; PRAGMA cache_size = -32000;"
                        "PRAGMA temp_store = FILE;";
    char *msg = nullptr;
    if (sqlite3_exec(db, setup, nullptr, nullptr, &msg) != SQLITE_OK) {
        error = msg ? msg : "cannot configure the connection";
        sqlite3_free(msg);
        return nullptr;
    }
    // Loads the schema now, so a file that is not a form database fails here and not on the first query;
    // the names of its tables tell the authorizer a real table from a common table expression.
    const auto collect = [](void *names, int, char **values, char **) {
        if (values[0])
            static_cast<std::set<std::string> *>(names)->insert(lowerAscii(values[0]));
        return 0;
    };
    if (sqlite3_exec(db, "SELECT name FROM sqlite_schema WHERE type IN ('table', 'view')", collect,
                     &conn->m_schemaTables, &msg) != SQLITE_OK) {
        error = msg ? msg : "cannot read the database";
        sqlite3_free(msg);
        return nullptr;
    }
    if (!dialectfunctions::registerAll(db)) {
        error = "cannot register the SQL functions";
        return nullptr;
    }
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 200000);
    sqlite3_limit(db, SQLITE_LIMIT_COLUMN, 200);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 200);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 20);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, 250000);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 32);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 200);
    sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 0);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    sqlite3_limit(db, SQLITE_LIMIT_WORKER_THREADS, 0);
    sqlite3_set_authorizer(db, &QueryConnection::authorize, conn.get());
    sqlite3_progress_handler(db, 1000, &QueryConnection::progress, conn.get());
    return conn;
}

QueryConnection::~QueryConnection()
{
    for (const Kept &k : m_kept)
        sqlite3_finalize(k.stmt);
    sqlite3_close_v2(m_db);
}

void QueryConnection::configureEngine()
{
    // The allocator's statistics take one process-wide lock around every allocation, which all the worker
    // threads contend for, and nothing here reads them. SQLite then enforces no heap limit either: each
    // connection is bounded by its page cache and the limits set in open().
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

int QueryConnection::authorize(void *selfPtr, int action, const char *a3, const char *a4, const char *a5, const char *)
{
    auto *self = static_cast<QueryConnection *>(selfPtr);
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_READ:
        if (isFormTable(a3) && (!a5 || equalsNoCase(a5, "main")))
            return SQLITE_OK;
        // No schema name: a common table expression, or a real table read without any column (count(*),
        // SELECT 1 FROM t). Only the former may pass; its own reads of real tables are checked one by one.
        if (!a5 && a3 && !self->m_schemaTables.count(lowerAscii(a3)) && strncasecmp(a3, "sqlite_", 7) != 0)
            return SQLITE_OK;
        self->m_refusal = std::string("reading table ") + (a3 ? a3 : "?") + " is not allowed";
        return SQLITE_DENY;
    case SQLITE_FUNCTION:
        if (isAllowedFunction(a4))
            return SQLITE_OK;
        self->m_refusal = std::string("function ") + (a4 ? a4 : "?") + " is not allowed";
        return SQLITE_DENY;
    default:
        self->m_refusal = "only a SELECT over the form tables is allowed";
        return SQLITE_DENY;
    }
}

int QueryConnection::progress(void *selfPtr)
{
    auto *self = static_cast<QueryConnection *>(selfPtr);
    if (std::chrono::steady_clock::now() > self->m_deadline) {
        self->m_timedOut = true;
        return 1;
    }
    return 0;
}

sqlite3_stmt *QueryConnection::prepare(const std::string &clientSql, std::string &kind, std::string &why)
{
    const auto refuse = [&](const char *k, std::string text) {
        kind = k;
        why = std::move(text);
        return nullptr;
    };
    std::string tooComplex;
    const std::string sql = SqlDialect::translate(clientSql, &tooComplex);
    if (!tooComplex.empty())
        return refuse("refused", tooComplex);
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc =
        sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
    struct Finalizer {
        sqlite3_stmt *&s;
        ~Finalizer() { sqlite3_finalize(s); }
    } finalizer{stmt};
    if (rc != SQLITE_OK) {
        if (!m_refusal.empty())
            return refuse("refused", "statement refused: " + m_refusal);
        if (m_timedOut)
            return refuse("timeout", "time limit exceeded");
        return refuse("sql", sqlite3_errmsg(m_db));
    }
    if (!stmt)
        return refuse("sql", "empty query");
    if (!onlyBlanksAndSemicolons(tail))
        return refuse("refused", "statement refused: only one statement per query");
    if (!sqlite3_stmt_readonly(stmt) || sqlite3_stmt_isexplain(stmt))
        return refuse("refused", "statement refused: only a SELECT over the form tables is allowed");
    if (m_kept.size() == kKeptStatements) {
        sqlite3_finalize(m_kept.back().stmt);
        m_kept.pop_back();
    }
    m_kept.insert(m_kept.begin(), Kept{clientSql, std::exchange(stmt, nullptr)});
    return m_kept.front().stmt;
}

QueryOutcome QueryConnection::run(const std::string &clientSql, const QueryLimits &limits)
{
    AnswerWriter answer(limits);
    const auto timedOut = [&] {
        return answer.fail("timeout", "time limit of " + std::to_string(limits.timeoutMs) + " ms exceeded");
    };
    m_refusal.clear();
    m_timedOut = false;
    m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.timeoutMs);

    sqlite3_stmt *stmt = nullptr;
    const auto kept =
        std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept &k) { return k.clientSql == clientSql; });
    if (kept != m_kept.end()) {
        std::rotate(m_kept.begin(), kept, kept + 1);
        stmt = m_kept.front().stmt;
    } else {
        std::string kind, why;
        stmt = prepare(clientSql, kind, why);
        if (!stmt)
            return kind == "timeout" ? timedOut() : answer.fail(kind.c_str(), why);
    }
    // Ready for its next run whatever happens to this one.
    struct Resetter {
        sqlite3_stmt *s;
        ~Resetter() { sqlite3_reset(s); }
    } resetter{stmt};

    const int columns = sqlite3_column_count(stmt);
    int step;
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                answer.null();
                break;
            case SQLITE_INTEGER:
                answer.integer(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                answer.real(sqlite3_column_double(stmt, c));
                break;
            default:
                answer.text(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                            static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
            }
        }
        if (!answer.endRow())
            return answer.finish();
    }
    if (step != SQLITE_DONE) {
        if (m_timedOut)
            return timedOut();
        return answer.fail("sql", sqlite3_errmsg(m_db));
    }
    return answer.finish();
}
