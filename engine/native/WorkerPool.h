#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// WorkerPool: a few threads running submitted tasks. The queue holds at most
// as many waiting tasks as there are threads, so a producer that reads work
// faster than it is done waits instead of piling it up in memory.
// ----------------------------------------------------------------------------
class WorkerPool {
public:
    // `threads` of at least one.
    explicit WorkerPool(unsigned threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    // Runs what is still queued, then joins the threads.
    ~WorkerPool();

    // Queues `task`, waiting while the queue is full. Tasks must not throw.
    void submit(std::function<void()> task);
    // Waits until every submitted task has run.
    void wait();

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_queue;
    std::size_t m_running = 0;
    std::size_t m_capacity;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace zurbo::engine
