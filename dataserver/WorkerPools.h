#pragma once

#include "ConnectionPool.h"
#include "QueryConnection.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Runs every accepted connection on a thread of its own (up to a cap), so a client that sends its
// request slowly or not at all holds only its own thread and never delays anyone else's. Threads
// that stay idle end after a while; past the cap, connections wait for the next free thread.
class ConnectionThreads : public httplib::TaskQueue
{
public:
    explicit ConnectionThreads(size_t maxThreads);
    ~ConnectionThreads() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    void work();

    const size_t m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_ended;
    std::deque<std::function<void()>> m_tasks;
    size_t m_threads = 0;
    size_t m_idle = 0;
    bool m_shutdown = false;
};

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
