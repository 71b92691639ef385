#include "ChildProcess.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace zurbo::engine {

namespace {

[[noreturn]] void throwSystemError(int code, const std::string& what)
{
    throw std::system_error(code, std::generic_category(), what);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return m_fd; }
    void reset()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

class SpawnFileActions {
public:
    SpawnFileActions() { posix_spawn_file_actions_init(&m_actions); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&m_actions); }

    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

std::string readAll(int fd)
{
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            return bytes;
        }
    }
}

int waitForExit(pid_t pid)
{
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0) {
        if (errno != EINTR) {
            throwSystemError(errno, "waitpid");
        }
    }
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

} // namespace

ChildExit runChildProcess(const std::string& executable, const std::vector<std::string>& arguments)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throwSystemError(errno, "pipe2");
    }
    FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);

    SpawnFileActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError =
        ::posix_spawn(&pid, executable.c_str(), actions.get(), nullptr, argv.data(), environ);
    if (spawnError != 0) {
        throwSystemError(spawnError, "No se pudo lanzar " + executable);
    }
    // Our copy of the write end must go, or the read below never sees the end.
    writeEnd.reset();

    ChildExit exit;
    exit.standardError = readAll(readEnd.get());
    exit.status = waitForExit(pid);
    return exit;
}

} // namespace zurbo::engine
