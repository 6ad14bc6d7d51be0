#include "WorkerPools.h"

QueryConnectionPool::QueryConnectionPool(std::string dbPath, size_t size) : m_dbPath(std::move(dbPath)), m_pool(size) {}

QueryOutcome QueryConnectionPool::run(const std::string &sql, const QueryLimits &limits)
{
    std::unique_ptr<QueryConnection> conn = m_pool.take();
    QueryOutcome outcome;
    std::string error;
    if (!conn)
        conn = QueryConnection::open(m_dbPath, error);
    if (conn) {
        outcome = conn->run(sql, limits);
    } else {
        outcome.errorKind = "database";
        outcome.body = "Error: form database unavailable: " + error + "\n";
    }
    m_pool.give(std::move(conn));
    return outcome;
}
