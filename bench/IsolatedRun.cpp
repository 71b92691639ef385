#include "IsolatedRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>

extern char** environ;

namespace zurbo::bench {

namespace {

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

ProcessCost runIsolated(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int error = ::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "posix_spawn " + arguments[0]);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "wait4");
        }
    }
    ProcessCost cost;
    cost.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    cost.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return cost;
}

std::int64_t peakResidentBytes()
{
    std::int64_t kilobytes = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            kilobytes = std::stoll(line.substr(6));
        }
    }
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    return std::max<std::int64_t>(kilobytes, children.ru_maxrss) * 1024;
}

} // namespace zurbo::bench
