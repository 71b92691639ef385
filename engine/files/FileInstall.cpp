#include "FileInstall.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zurbo::engine {

namespace {

[[noreturn]] void fail(const char* what, const fs::path& path, int code)
{
    throw fs::filesystem_error(what, path, std::error_code(code, std::generic_category()));
}

// The replaced file's owner and group, as far as we may give them away; a
// file we may not hand over stays ours, as with any editor.
void keepOwner(int fd, const struct stat& replaced)
{
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
    }
}

} // namespace

fs::path installTarget(const fs::path& destination)
{
    std::error_code error;
    const fs::path target =
        fs::exists(destination, error) ? fs::canonical(destination, error) : destination;
    if (error) {
        fail("canonical", destination, error.value());
    }
    if (fs::is_directory(target, error)) {
        fail("install", destination, EISDIR);
    }
    return target;
}

void installFile(const fs::path& workingFile, const fs::path& target,
                 const fs::path& permissionsFrom)
{
    const FileDescriptor file(::open(workingFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        fail("open", workingFile, errno);
    }
    struct stat existing = {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing) {
        // First: a change of owner clears the set-id bits the mode below restores.
        keepOwner(file.get(), existing);
    }
    if (replacing || ::stat(permissionsFrom.c_str(), &existing) == 0) {
        if (::fchmod(file.get(), existing.st_mode & 07777) != 0) {
            fail("fchmod", workingFile, errno);
        }
    }
    if (::fsync(file.get()) != 0) {
        fail("fsync", workingFile, errno);
    }
    // A folder we may write but not read cannot be flushed; the rename is still atomic.
    const FileDescriptor folder(
        ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    fs::rename(workingFile, target);
    if (folder) {
        ::fsync(folder.get());
    }
}

} // namespace zurbo::engine
