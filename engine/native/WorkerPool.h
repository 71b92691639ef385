#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// WorkerPool: a few threads running submitted tasks. Every native engine run
// of the process uses the shared() pool, so that runs at once (a batch beside
// quick-action panels) never start more threads than the machine has
// processors. The queue holds at most as many waiting tasks as there are
// threads, so a producer that reads work faster than it is done waits
// instead of piling it up in memory.
// ----------------------------------------------------------------------------
class WorkerPool {
public:
    // `threads` of at least one.
    explicit WorkerPool(unsigned threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    // Runs what is still queued, then joins the threads.
    ~WorkerPool();

    // The process's pool: a thread per processor.
    static WorkerPool& shared();

    // The tasks of one caller, waited for apart from other callers' tasks.
    class Batch {
    public:
        explicit Batch(WorkerPool& pool) : m_pool(pool) {}
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Waits for the batch's tasks.
        ~Batch() { wait(); }

        // Queues `task`, waiting while the pool's queue is full. Tasks must not throw.
        void submit(std::function<void()> task);
        // Waits until every task of this batch has run.
        void wait();

    private:
        WorkerPool& m_pool;
        std::mutex m_mutex;
        std::condition_variable m_finished;
        std::size_t m_pending = 0;
    };

private:
    void submit(std::function<void()> task);
    void work();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_queue;
    std::size_t m_capacity;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace zurbo::engine
