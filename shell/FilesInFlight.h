#pragma once

#include "CompressionRun.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace zurbo {

// ----------------------------------------------------------------------------
// FilesInFlight: the engine calls of a command-line run, each on a thread of
// its own, with their outcomes handed back to the one thread that drives the
// run as they come, whatever their order.
// ----------------------------------------------------------------------------
class FilesInFlight {
public:
    using Call = std::function<CompressionRun::Outcome(std::size_t index)>;
    using Ended = std::pair<std::size_t, CompressionRun::Outcome>;

    explicit FilesInFlight(Call call) : m_call(std::move(call)) {}
    FilesInFlight(const FilesInFlight&) = delete;
    FilesInFlight& operator=(const FilesInFlight&) = delete;
    // Waits for the calls still running.
    ~FilesInFlight();

    // Starts the call for file `index`.
    void start(std::size_t index);
    // When the call for file `index`, not yet ended, started.
    std::chrono::steady_clock::time_point startedAt(std::size_t index) const;
    // Waits for a started call to end: which file, and what came of it.
    Ended nextEnded();

private:
    struct Running {
        std::thread thread;
        std::chrono::steady_clock::time_point started;
    };

    Call m_call;
    std::mutex m_mutex;
    std::condition_variable m_endedOne;
    std::deque<Ended> m_ended;
    std::map<std::size_t, Running> m_running;
};

} // namespace zurbo
