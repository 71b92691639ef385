#include "ChildProcess.h"

#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <span>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace zurbo::engine {

namespace {

using namespace std::chrono_literals;

// How often a running child is checked for a stop request (its exit wakes the wait at once).
constexpr auto pollInterval = 50ms;
// How long a stopped child may take to clean up after SIGTERM.
constexpr auto terminationGrace = 300ms;

[[noreturn]] void throwSystemError(int code, const std::string& what)
{
    throw std::system_error(code, std::generic_category(), what);
}

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;

    static Pipe open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throwSystemError(errno, "pipe2");
        }
        return Pipe{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
    }
};

// The descriptors a child starts with, as the parent holds them.
struct ChildFiles {
    int nullDevice;
    int errorEnd;
    int launchReport;
    // Become the child's 3, 4, ...; each held at clearOfChildSlots or above.
    std::span<const int> passed;
    // The child's RLIMIT_AS; 0 leaves it as ours.
    rlim_t addressSpace;
};

// Descriptors from here up are clear of those a child is handed (0, 1, 2, then
// the passed files), so that placing those never overwrites one still needed.
constexpr int clearOfChildSlots = 64;

// In the forked child of a threaded process: async-signal-safe calls only.
[[noreturn]] void becomeTool(const char* path, char* const* argv, ChildFiles files, pid_t parent)
{
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        ::sigaction(signal, &defaults, nullptr);
    }
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(127);
    }
    if (files.addressSpace != 0) {
        const rlimit bound{files.addressSpace, files.addressSpace};
        ::setrlimit(RLIMIT_AS, &bound);
    }
    const int launchReport = ::fcntl(files.launchReport, F_DUPFD_CLOEXEC, clearOfChildSlots);
    ::dup2(files.nullDevice, STDIN_FILENO);
    ::dup2(files.nullDevice, STDOUT_FILENO);
    ::dup2(files.errorEnd, STDERR_FILENO);
    for (std::size_t i = 0; i < files.passed.size(); ++i) {
        ::dup2(files.passed[i], STDERR_FILENO + 1 + static_cast<int>(i));
    }
    ::execv(path, argv);
    const int code = errno;
    [[maybe_unused]] const auto written = ::write(launchReport, &code, sizeof code);
    ::_exit(127);
}

// Copies of `files` above the slots they will take in the child.
std::vector<FileDescriptor> copiesOutOfTheWay(std::span<const int> files)
{
    std::vector<FileDescriptor> copies;
    for (const int fd : files) {
        copies.emplace_back(::fcntl(fd, F_DUPFD_CLOEXEC, clearOfChildSlots));
        if (!copies.back()) {
            throwSystemError(errno, "fcntl");
        }
    }
    return copies;
}

// A started child and its process group; whatever is left of them is killed
// and reaped when the value goes.
class RunningChild {
public:
    // glibc 2.36 declares pidfd_open() without C linkage, so the call is made directly.
    explicit RunningChild(pid_t pid)
        : m_pid(pid), m_exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)))
    {
    }
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;
    ~RunningChild()
    {
        if (m_pid > 0) {
            ::kill(-m_pid, SIGKILL);
            reap();
        }
    }

    // Readable once the child has ended; -1 on a kernel without pidfds, which
    // poll() skips, so that the exit is then seen at the next check instead.
    int exitDescriptor() const { return m_exited.get(); }

    // Whether the child has ended; it stays unreaped, so its group id cannot be reused yet.
    bool hasExited() const
    {
        siginfo_t info = {};
        return ::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == m_pid;
    }

    void terminate()
    {
        ::kill(-m_pid, SIGTERM);
        pollfd exited{exitDescriptor(), POLLIN, 0};
        ::poll(&exited, 1, static_cast<int>(terminationGrace.count()));
        ::kill(-m_pid, SIGKILL);
        reap();
    }

    // Ends what the child left running in its group, then collects its exit.
    int finish()
    {
        ::kill(-m_pid, SIGKILL);
        return reap();
    }

private:
    int reap()
    {
        int waitStatus = 0;
        while (::waitpid(m_pid, &waitStatus, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    }

    pid_t m_pid;
    FileDescriptor m_exited;
};

// Reads what is there without waiting; `open` turns false at the end.
void drain(int fd, std::string& bytes, bool& open)
{
    char chunk[65536];
    while (open) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            open = false;
        } else if (errno == EAGAIN) {
            return;
        }
    }
}

// The exec's errno from the child, or 0 once the report pipe closed on a successful exec.
int launchError(int reportEnd)
{
    int code = 0;
    ssize_t count;
    while ((count = ::read(reportEnd, &code, sizeof code)) < 0 && errno == EINTR) {
    }
    return count == sizeof code ? code : 0;
}

// How long to wait for news of the child before looking at the stop request
// again: never past the deadline.
int waitMilliseconds(const ChildLimits& limits)
{
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(pollInterval);
    if (limits.deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            *limits.deadline - std::chrono::steady_clock::now());
        wait = std::clamp(left, 0ms, wait);
    }
    return static_cast<int>(wait.count());
}

bool isPast(const std::optional<std::chrono::steady_clock::time_point>& deadline)
{
    return deadline && std::chrono::steady_clock::now() >= *deadline;
}

} // namespace

ChildExit runChildProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          StopToken stop, std::span<const int> passedFiles,
                          const ChildLimits& limits)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const FileDescriptor nullDevice(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (nullDevice.get() < 0) {
        throwSystemError(errno, "/dev/null");
    }
    Pipe errors = Pipe::open();
    Pipe launchReport = Pipe::open();
    const std::vector<FileDescriptor> passedCopies = copiesOutOfTheWay(passedFiles);
    std::vector<int> passed;
    for (const FileDescriptor& copy : passedCopies) {
        passed.push_back(copy.get());
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throwSystemError(errno, "fork");
    }
    if (pid == 0) {
        becomeTool(executable.c_str(), argv.data(),
                   {nullDevice.get(), errors.writeEnd.get(), launchReport.writeEnd.get(), passed,
                    static_cast<rlim_t>(limits.addressSpaceBytes.value_or(0))},
                   parent);
    }
    // Also here, so that the group exists before anything signals it.
    ::setpgid(pid, pid);
    RunningChild child(pid);
    errors.writeEnd.reset();
    launchReport.writeEnd.reset();
    if (const int code = launchError(launchReport.readEnd.get())) {
        throw LaunchError(code, std::generic_category(), "No se pudo lanzar " + executable);
    }

    ::fcntl(errors.readEnd.get(), F_SETFL, O_NONBLOCK);
    ChildExit exit;
    bool errorsOpen = true;
    for (;;) {
        // A closed pipe is left out (poll skips a negative descriptor).
        pollfd ready[] = {{child.exitDescriptor(), POLLIN, 0},
                          {errorsOpen ? errors.readEnd.get() : -1, POLLIN, 0}};
        ::poll(ready, std::size(ready), waitMilliseconds(limits));
        drain(errors.readEnd.get(), exit.standardError, errorsOpen);
        if (stop.stopRequested()) {
            child.terminate();
            throw Cancelled();
        }
        if (child.hasExited()) {
            break;
        }
        if (isPast(limits.deadline)) {
            child.terminate();
            exit.timedOut = true;
            return exit;
        }
    }
    drain(errors.readEnd.get(), exit.standardError, errorsOpen);
    exit.status = child.finish();
    return exit;
}

} // namespace zurbo::engine
