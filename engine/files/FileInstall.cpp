#include "FileInstall.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zurbo::engine {

namespace {

using Overwrite = PDFEngine::Overwrite;

[[noreturn]] void fail(const char* what, const fs::path& path, int code)
{
    throw fs::filesystem_error(what, path, std::error_code(code, std::generic_category()));
}

fs::path targetOf(const fs::path& destination, Overwrite overwrite)
{
    std::error_code error;
    if (overwrite != Overwrite::throughLinks || !fs::exists(destination, error)) {
        return destination;
    }
    fs::path target = fs::canonical(destination, error);
    if (error) {
        fail("canonical", destination, error.value());
    }
    return target;
}

// A file is replaced only when its user could write it, as an editor would
// save it, and it is not write-protected, which `mv` would ask about.
void requireReplaceable(const fs::path& target, const struct stat& existing)
{
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        fail("replace", target, errno);
    }
    if ((existing.st_mode & 0222) == 0) {
        fail("replace", target, EACCES);
    }
}

// The replaced file's owner and group, as far as we may give them away; a
// file we may not hand over stays ours, as with any editor.
void keepOwner(int fd, const struct stat& replaced)
{
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
    }
}

// Renames only while nothing has the target's name; where the file system
// cannot do that in one step, a hard link does the same.
void renameExclusively(const fs::path& from, const fs::path& to)
{
    int result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        result = ::link(from.c_str(), to.c_str());
        if (result == 0) {
            ::unlink(from.c_str());
        }
    }
    if (result == 0) {
        return;
    }
    if (errno == EEXIST) {
        throw PDFEngine::EngineError::destinationExists(to.filename().string());
    }
    fail("rename", to, errno);
}

} // namespace

FileInstall::FileInstall(const fs::path& destination, Overwrite overwrite)
    : m_target(targetOf(destination, overwrite)), m_overwrite(overwrite)
{
    struct stat existing = {};
    if (::lstat(m_target.c_str(), &existing) != 0) {
        return;
    }
    if (overwrite == Overwrite::never) {
        throw PDFEngine::EngineError::destinationExists(m_target.filename().string());
    }
    if (S_ISDIR(existing.st_mode)) {
        fail("install", destination, EISDIR);
    }
    // Replacing a made-up name was asked for in so many words, as `mv -f` is.
    if (S_ISREG(existing.st_mode) && overwrite == Overwrite::throughLinks) {
        requireReplaceable(m_target, existing);
    }
}

void FileInstall::prepare(const fs::path& workingFile, mode_t newFileMode) const
{
    const FileDescriptor file(::open(workingFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        fail("open", workingFile, errno);
    }
    struct stat existing = {};
    mode_t mode = newFileMode;
    if (::lstat(m_target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        // First: a change of owner clears the set-id bits the mode below restores.
        keepOwner(file.get(), existing);
        mode = existing.st_mode;
    }
    if (::fchmod(file.get(), mode & 07777) != 0) {
        fail("fchmod", workingFile, errno);
    }
    if (::fsync(file.get()) != 0) {
        fail("fsync", workingFile, errno);
    }
}

void FileInstall::commit(const fs::path& workingFile) const
{
    // A folder we may write but not read cannot be flushed; the rename is still atomic.
    const FileDescriptor folder(
        ::open(m_target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (m_overwrite == Overwrite::never) {
        renameExclusively(workingFile, m_target);
    } else {
        fs::rename(workingFile, m_target);
    }
    if (folder) {
        ::fsync(folder.get());
    }
}

} // namespace zurbo::engine
