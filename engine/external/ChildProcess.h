#pragma once

#include "StopToken.h"

#include <span>
#include <string>
#include <vector>

namespace zurbo::engine {

// How a finished child process ended.
struct ChildExit {
    // The exit status, or -1 when the child was killed by a signal.
    int status = -1;
    // Everything the child wrote to standard error, as raw bytes.
    std::string standardError;

    bool exitedWith(int code) const { return status == code; }
};

// Runs `executable` with `arguments` (argv[1...], no shell, no quoting) and
// waits for it without a time limit. Standard input and output are the null
// device, so nothing the child prints reaches ours; standard error is drained
// while the child runs, so a chatty child never blocks on a full pipe.
//
// The child runs in a process group of its own and is killed when the thread
// that started it dies, so it never outlives us. When `stop` is requested the
// group gets SIGTERM, then SIGKILL after a short grace, and Cancelled
// is thrown once the child is gone. The open files `passedFiles` become the
// child's descriptors 3, 4, ... in order; no other descriptor of ours reaches
// it. Throws std::system_error when the child cannot be started.
ChildExit runChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          StopToken stop = {}, std::span<const int> passedFiles = {});

} // namespace zurbo::engine
