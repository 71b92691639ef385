#pragma once

#include "PDFEngine.h"
#include "StopToken.h"
#include "WorkerPool.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// WorkerBatch: work the calling thread prepares from a document, one task at
// a time, and a worker per processor carries out away from it; the tasks
// come back once all are done, for the calling thread to put their results
// into the document. Only the tasks in the pool's queue wait in memory
// before they run.
// ----------------------------------------------------------------------------
class WorkerBatch {
public:
    WorkerBatch() = delete;

    // Calls `prepare` on each of `items`, which gives a task or nullptr, and
    // `work` on each task on a worker; `work` must not throw. Throws
    // PDFEngine::Cancelled between two items, or once the workers are done,
    // when `stop` is requested.
    template <typename Task, typename Items, typename Prepare, typename Work>
    static std::vector<std::unique_ptr<Task>> run(Items& items, Prepare prepare, Work work,
                                                  StopToken stop)
    {
        std::vector<std::unique_ptr<Task>> tasks;
        {
            WorkerPool pool(std::max(1U, std::thread::hardware_concurrency()));
            for (auto& item : items) {
                if (stop.stopRequested()) {
                    throw PDFEngine::Cancelled();
                }
                if (std::unique_ptr<Task> task = prepare(item)) {
                    tasks.push_back(std::move(task));
                    pool.submit([task = tasks.back().get(), &work] { work(*task); });
                }
            }
            pool.wait();
        }
        if (stop.stopRequested()) {
            throw PDFEngine::Cancelled();
        }
        return tasks;
    }
};

} // namespace zurbo::engine
