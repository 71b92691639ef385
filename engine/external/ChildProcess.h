#pragma once

#include "StopToken.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace zurbo::engine {

// How a finished child process ended.
struct ChildExit {
    // The exit status, or -1 when the child was killed by a signal.
    int status = -1;
    // Everything the child wrote to standard error, as raw bytes.
    std::string standardError;
    // It was still running at its deadline, and was ended then.
    bool timedOut = false;

    bool exitedWith(int code) const { return status == code; }
};

// What a child may take; no limit by default.
struct ChildLimits {
    // Past it the child is ended as a stop ends it (ChildExit::timedOut).
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // Its address space (RLIMIT_AS): a runaway child fails an allocation
    // instead of taking the machine's memory.
    std::optional<std::uint64_t> addressSpaceBytes;
};

// The executable could not be started (missing, not executable, not a program).
class LaunchError : public std::system_error {
public:
    using std::system_error::system_error;
};

// Runs `executable` with `arguments` (argv[1...], no shell, no quoting) and
// waits for it. Standard input and output are the null
// device, so nothing the child prints reaches ours; standard error is drained
// while the child runs, so a chatty child never blocks on a full pipe.
//
// The child runs in a process group of its own and is killed when the thread
// that started it dies, so it never outlives us. When `stop` is requested the
// group gets SIGTERM, then SIGKILL after a short grace, and Cancelled
// is thrown once the child is gone. The open files `passedFiles` become the
// child's descriptors 3, 4, ... in order; no other descriptor of ours reaches
// it. `limits` bound its time and memory. Throws LaunchError when the
// executable cannot be started, std::system_error when the child cannot be
// made.
//
// The child's exit is seen as it happens (a pidfd), with no polling delay.
ChildExit runChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          StopToken stop = {}, std::span<const int> passedFiles = {},
                          const ChildLimits& limits = {});

} // namespace zurbo::engine
