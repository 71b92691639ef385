#include "WorkingFile.h"

#include "FileDescriptor.h"
#include "Uuid.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <system_error>

namespace fs = std::filesystem;

namespace zurbo::engine {

namespace {

[[noreturn]] void fail(const char* what, const fs::path& path, int code)
{
    throw fs::filesystem_error(what, path, std::error_code(code, std::generic_category()));
}

FileDescriptor openOrFail(const fs::path& path, int flags, mode_t mode = 0)
{
    FileDescriptor fd(::open(path.c_str(), flags | O_CLOEXEC, mode));
    if (!fd) {
        fail("open", path, errno);
    }
    return fd;
}

} // namespace

WorkingFile::WorkingFile(const fs::path& target)
    : m_path(target.parent_path() / (".zurbo-" + randomUuidText() + ".pdf"))
{
    create();
}

WorkingFile::~WorkingFile()
{
    std::error_code ignored;
    fs::remove(m_path, ignored);
}

void WorkingFile::create() const
{
    openOrFail(m_path, O_WRONLY | O_CREAT | O_EXCL, 0600);
}

void WorkingFile::reset() const
{
    std::error_code ignored;
    fs::remove(m_path, ignored);
    create();
}

void WorkingFile::copyFrom(int source, std::int64_t bytes) const
{
    const FileDescriptor out = openOrFail(m_path, O_WRONLY | O_TRUNC);
    off_t offset = 0;
    while (offset < bytes) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::int64_t>(bytes - offset, 1 << 30));
        const ssize_t copied = ::sendfile(out.get(), source, &offset, chunk);
        if (copied == 0) {
            return;
        }
        if (copied < 0 && errno != EINTR) {
            fail("sendfile", m_path, errno);
        }
    }
}

} // namespace zurbo::engine
