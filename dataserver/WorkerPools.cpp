#include "WorkerPools.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace {
constexpr auto kIdleThreadLife = std::chrono::seconds(30);
}

ConnectionThreads::ConnectionThreads(size_t maxThreads)
    : m_maxThreads(std::max<size_t>(1, maxThreads))
{
}

ConnectionThreads::~ConnectionThreads()
{
    shutdown();
}

void ConnectionThreads::enqueue(std::function<void()> fn)
{
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(fn));
    if (m_idle >= m_tasks.size() || m_threads >= m_maxThreads) {
        m_wake.notify_one();
        return;
    }
    try {
        std::thread([this] { work(); }).detach();
        ++m_threads;
    } catch (const std::system_error &) {
        // Out of threads: the connection waits for one of the running threads.
    }
}

void ConnectionThreads::shutdown()
{
    std::unique_lock lock(m_mutex);
    m_shutdown = true;
    m_wake.notify_all();
    m_ended.wait(lock, [this] { return m_threads == 0; });
}

void ConnectionThreads::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        const bool woken = m_wake.wait_for(lock, kIdleThreadLife, [this] { return m_shutdown || !m_tasks.empty(); });
        --m_idle;
        if (!woken || m_tasks.empty())
            break; // idle too long, or shutting down with nothing left to serve
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
    --m_threads;
    m_ended.notify_all();
}

QueryConnectionPool::QueryConnectionPool(std::string dbPath, size_t size)
    : m_dbPath(std::move(dbPath))
    , m_pool(size)
{
}

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
