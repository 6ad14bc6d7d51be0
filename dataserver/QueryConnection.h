#pragma once

#include "FormBackend.h"

#include <chrono>
#include <memory>
#include <set>
#include <string>

struct sqlite3;

// One read-only, guarded connection to the form database; used by one worker thread at a time.
// The guard is the engine's: read-only open, query_only, an authorizer that admits reading the six
// form tables and an allow-list of functions, tight limits and a progress-handler time limit.
class QueryConnection
{
public:
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

    sqlite3 *m_db = nullptr;
    std::string m_refusal;
    std::set<std::string> m_schemaTables; // lower-case names of the file's tables and views
    std::chrono::steady_clock::time_point m_deadline;
    bool m_timedOut = false;
};
