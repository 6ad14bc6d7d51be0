#pragma once

#include "ConnectionPool.h"
#include "QueryConnection.h"

#include <memory>
#include <string>

// The guarded read-only connections to the form database: at most `size` queries run at once,
// whatever number of connections is open. Connections open on first use and are kept.
class QueryConnectionPool : public FormBackend
{
public:
    QueryConnectionPool(std::string dbPath, size_t size);

    // Runs one query on a free connection, waiting for one when all are busy.
    QueryOutcome run(const std::string &sql, const QueryLimits &limits) override;

private:
    std::string m_dbPath;
    ConnectionPool<QueryConnection> m_pool;
};
