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

void WorkerPool::submit(std::function<void()> task)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < m_capacity; });
    m_queue.push_back(std::move(task));
    lock.unlock();
    m_changed.notify_all();
}

void WorkerPool::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty() && m_running == 0; });
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
        ++m_running;
        lock.unlock();
        m_changed.notify_all();
        task();
        lock.lock();
        --m_running;
        m_changed.notify_all();
    }
}

} // namespace zurbo::engine
