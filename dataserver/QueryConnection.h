#pragma once

#include "FormBackend.h"

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One read-only, guarded connection to the form database; used by one worker thread at a time.
// The guard is the engine's: read-only open, query_only, an authorizer that admits reading the six
// form tables and an allow-list of functions, tight limits and a progress-handler time limit.
class QueryConnection
{
public:
    // Process-wide engine settings; call before the first connection of any kind is opened.
    static void configureEngine();

    static std::unique_ptr<QueryConnection> open(const std::string &path, std::string &error);
    ~QueryConnection();
    QueryConnection(const QueryConnection &) = delete;
    QueryConnection &operator=(const QueryConnection &) = delete;

    // Translates the client's text to SQLite's dialect and runs it; never throws.
    QueryOutcome run(const std::string &clientSql, const QueryLimits &limits);

private:
    QueryConnection() = default;
    static int authorize(void *self, int action, const char *a3, const char *a4, const char *a5, const char *a6);
    static int progress(void *self);
    // Translates, prepares and checks the client's text and keeps the statement; null with kind and why when refused.
    sqlite3_stmt *prepare(const std::string &clientSql, std::string &kind, std::string &why);

    // Statements that passed every check, newest use first, by the client's text: clients send the same
    // texts again and again (the enrichment's is 3.7 KB), and preparing costs more than running many.
    struct Kept {
        std::string clientSql;
        sqlite3_stmt *stmt;
    };
    static constexpr size_t kKeptStatements = 32;
    std::vector<Kept> m_kept;

    sqlite3 *m_db = nullptr;
    std::string m_refusal;
    std::set<std::string> m_schemaTables; // lower-case names of the file's tables and views
    std::chrono::steady_clock::time_point m_deadline;
    bool m_timedOut = false;
};
