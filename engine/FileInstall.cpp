#include "FileInstall.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zurbo::engine {

namespace {

[[noreturn]] void fail(const char* what, const fs::path& path, int code)
{
    throw fs::filesystem_error(what, path, std::error_code(code, std::generic_category()));
}

void flushToDisk(const fs::path& path, int openFlags)
{
    const int fd = ::open(path.c_str(), openFlags | O_CLOEXEC);
    if (fd < 0) {
        fail("open", path, errno);
    }
    const int result = ::fsync(fd);
    const int code = errno;
    ::close(fd);
    if (result != 0) {
        fail("fsync", path, code);
    }
}

} // namespace

void installFile(const fs::path& workingFile, const fs::path& destination,
                 const fs::path& permissionsFrom)
{
    std::error_code missing;
    const fs::file_status existing = fs::status(destination, missing);
    const fs::path& permissionSource = fs::exists(existing) ? destination : permissionsFrom;
    std::error_code unreadable;
    const fs::perms permissions = fs::status(permissionSource, unreadable).permissions();
    if (!unreadable) {
        fs::permissions(workingFile, permissions & fs::perms::mask);
    }
    flushToDisk(workingFile, O_RDONLY);
    fs::rename(workingFile, destination);
    flushToDisk(destination.parent_path(), O_RDONLY | O_DIRECTORY);
}

} // namespace zurbo::engine
