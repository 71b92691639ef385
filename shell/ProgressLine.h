#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace zurbo {

// ----------------------------------------------------------------------------
// ProgressLine: which file of how many is being compressed and the time so
// far ("[2/5] informe.pdf · 0:07"), on one terminal line redrawn in place
// every second, and cleared when the file is done.
// ----------------------------------------------------------------------------
class ProgressLine {
public:
    // Draws the line for file `index` (from 1) of `count`, started at `start`,
    // on `terminal` and keeps it up to date from a thread of its own.
    ProgressLine(std::ostream& terminal, const std::string& name, std::size_t index,
                 std::size_t count,
                 std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now());
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    // Stops redrawing and clears the line, so that what follows starts on a
    // clean one.
    ~ProgressLine();

private:
    void redraw();

    std::ostream& m_terminal;
    std::string m_prefix;
    std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace zurbo
