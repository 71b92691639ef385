#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace zurbo::engine {
namespace {

// Runs from several threads share the pool: no more tasks run at once than it
// has threads, and each run's wait covers its own tasks.
TEST(WorkerPoolTest, RunsAtOnceShareItsThreads)
{
    WorkerPool pool(2);
    std::atomic<int> running = 0;
    std::atomic<int> most = 0;
    std::vector<std::thread> runs;
    for (int run = 0; run < 4; ++run) {
        runs.emplace_back([&] {
            std::atomic<int> done = 0;
            WorkerPool::Batch batch(pool);
            for (int task = 0; task < 8; ++task) {
                batch.submit([&] {
                    const int now = ++running;
                    for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    --running;
                    ++done;
                });
            }
            batch.wait();
            EXPECT_EQ(done, 8);
        });
    }
    for (std::thread& run : runs) {
        run.join();
    }
    EXPECT_LE(most, 2);
}

} // namespace
} // namespace zurbo::engine
