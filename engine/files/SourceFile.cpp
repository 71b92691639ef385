#include "SourceFile.h"

#include "PDFEngine.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>

namespace fs = std::filesystem;

namespace zurbo::engine {

namespace {

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool sameContent(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           sameTime(a.st_mtim, b.st_mtim) && sameTime(a.st_ctim, b.st_ctim);
}

} // namespace

SourceFile::SourceFile(const fs::path& path)
    : m_path(path), m_file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{
    if (!m_file || ::fstat(m_file.get(), &m_opened) != 0) {
        throw fs::filesystem_error("open", path, std::error_code(errno, std::generic_category()));
    }
    if (!S_ISREG(m_opened.st_mode)) {
        throw PDFEngine::EngineError::sourceNotRegular();
    }
}

fs::path SourceFile::descriptorPath() const
{
    return "/proc/self/fd/" + std::to_string(m_file.get());
}

bool SourceFile::isFileAt(const fs::path& path) const
{
    struct stat there = {};
    return ::lstat(path.c_str(), &there) == 0 && there.st_dev == m_opened.st_dev &&
           there.st_ino == m_opened.st_ino;
}

void SourceFile::requireUnchanged() const
{
    struct stat now = {};
    if (::stat(m_path.c_str(), &now) != 0 || !sameContent(now, m_opened)) {
        throw PDFEngine::EngineError::sourceChanged();
    }
}

} // namespace zurbo::engine
