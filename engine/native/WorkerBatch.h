#pragma once

#include "PDFEngine.h"
#include "StopToken.h"
#include "WorkerPool.h"

#include <memory>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// WorkerBatch: work the calling thread prepares from a document, one task at
// a time, and the process's shared workers carry out away from it; the tasks
// come back once all are done, for the calling thread to put their results
// into the document. Each task holds its memory reserved in the process's
// MemoryBudget until its work is done, as images in flight do, and only the
// tasks in the pool's queue wait before they run.
// ----------------------------------------------------------------------------
class WorkerBatch {
public:
    WorkerBatch() = delete;

    // Calls `prepare` on each of `items`, which gives a task or nullptr, and
    // `work` on each task on a worker; `work` must not throw. A task's
    // `memory` (a MemoryBudget::Reservation that `prepare` takes) is let go
    // once its work is done. Throws PDFEngine::Cancelled between two items,
    // or once the workers are done, when `stop` is requested.
    template <typename Task, typename Items, typename Prepare, typename Work>
    static std::vector<std::unique_ptr<Task>> run(Items& items, Prepare prepare, Work work,
                                                  StopToken stop)
    {
        std::vector<std::unique_ptr<Task>> tasks;
        {
            // Declared after the tasks, so that it waits for the workers before they go.
            WorkerPool::Batch workers(WorkerPool::shared());
            for (auto& item : items) {
                if (stop.stopRequested()) {
                    throw PDFEngine::Cancelled();
                }
                if (std::unique_ptr<Task> task = prepare(item)) {
                    tasks.push_back(std::move(task));
                    workers.submit([task = tasks.back().get(), &work] {
                        work(*task);
                        task->memory = {};
                    });
                }
            }
        }
        if (stop.stopRequested()) {
            throw PDFEngine::Cancelled();
        }
        return tasks;
    }
};

} // namespace zurbo::engine
