#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

// At most `size` queries at once over connections of type T, which are kept between queries. take() waits for
// a free place and hands over a kept connection, or null when the caller has to open one; give() hands it back
// (null when it was lost) and frees the place.
template <class T> class ConnectionPool
{
public:
    explicit ConnectionPool(size_t size) : m_size(std::max<size_t>(1, size)) {}

    std::unique_ptr<T> take()
    {
        std::unique_lock lock(m_mutex);
        m_freed.wait(lock, [this] { return m_inUse < m_size; });
        ++m_inUse;
        if (m_free.empty())
            return nullptr;
        std::unique_ptr<T> conn = std::move(m_free.back());
        m_free.pop_back();
        return conn;
    }

    void give(std::unique_ptr<T> conn)
    {
        std::lock_guard lock(m_mutex);
        --m_inUse;
        if (conn)
            m_free.push_back(std::move(conn));
        m_freed.notify_one();
    }

private:
    const size_t m_size;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<T>> m_free;
    size_t m_inUse = 0;
};
