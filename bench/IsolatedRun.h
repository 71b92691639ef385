#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurbo::bench {

// What one child process cost, as the kernel counted it.
struct ProcessCost {
    int exitStatus = -1;
    double wallSeconds = 0;
    // User and system time of the child and of every child it waited for.
    double cpuSeconds = 0;
};

// Runs `arguments` (the executable first, no shell) as a child process, with
// our standard streams, and waits for it. Measuring in a fresh process keeps
// one run's memory and threads apart from the next and from the benchmark's
// own. Throws std::system_error when the child cannot be started.
ProcessCost runIsolated(const std::vector<std::string>& arguments);

// The largest resident set of this process since it started its program, or
// of any child it waited for. The kernel's own count for a child would
// include the memory of the parent that started it.
std::int64_t peakResidentBytes();

} // namespace zurbo::bench
