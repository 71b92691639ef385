#pragma once

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
// waits for it without a time limit. Standard input and output are inherited;
// standard error is drained while the child runs, so a chatty child never
// blocks on a full pipe. Throws std::system_error when the child cannot be
// started.
ChildExit runChildProcess(const std::string& executable, const std::vector<std::string>& arguments);

} // namespace zurbo::engine
