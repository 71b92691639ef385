#include "WorkerPool.h"

#include <algorithm>

namespace zurbo::engine {

WorkerPool::WorkerPool(unsigned threads) : m_capacity(std::max(threads, 1u))
{
    for (std::size_t i = 0; i < m_capacity; ++i) {
        m_threads.emplace_back([this] { work(); });
    }
}

WorkerPool::~WorkerPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

WorkerPool& WorkerPool::shared()
{
    static WorkerPool pool(std::thread::hardware_concurrency());
    return pool;
}

void WorkerPool::submit(std::function<void()> task)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < m_capacity; });
    m_queue.push_back(std::move(task));
    lock.unlock();
    m_changed.notify_all();
}

void WorkerPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) {
            return;
        }
        std::function<void()> task = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        m_changed.notify_all();
        task();
        lock.lock();
    }
}

void WorkerPool::Batch::submit(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_pending;
    }
    m_pool.submit([this, task = std::move(task)] {
        task();
        // Notified under the lock: once wait() sees nothing pending, the
        // batch may be gone.
        const std::lock_guard lock(m_mutex);
        --m_pending;
        m_finished.notify_all();
    });
}

void WorkerPool::Batch::wait()
{
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [this] { return m_pending == 0; });
}

} // namespace zurbo::engine
