#pragma once

#include "FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <sys/stat.h>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// SourceFile: the PDF a run reads, opened once at the start and read through
// that descriptor for the whole run, so that a save that renames a new file
// over the name cannot mix two files. What it was when opened (device, inode,
// size, modification and change times) is kept, to tell before an outcome is
// installed whether the name still holds the same, unchanged file.
// ----------------------------------------------------------------------------
class SourceFile {
public:
    // Opens `path` without waiting for a pipe's writer and refuses anything
    // but a regular file (EngineError::sourceNotRegular) before a byte is
    // read. Throws std::filesystem::filesystem_error when it cannot be opened.
    explicit SourceFile(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return m_path; }
    int descriptor() const { return m_file.get(); }
    // A name of the open file that no rename can change: /proc/self/fd/N.
    std::filesystem::path descriptorPath() const;
    std::int64_t size() const { return m_opened.st_size; }
    // The permission bits it had when opened.
    mode_t mode() const { return m_opened.st_mode & 07777; }

    // Whether `path` itself, not what a link there leads to, is the file opened.
    bool isFileAt(const std::filesystem::path& path) const;

    // Throws EngineError::sourceChanged unless the path still names the file
    // opened, with the size and times it had then.
    void requireUnchanged() const;

private:
    std::filesystem::path m_path;
    FileDescriptor m_file;
    struct stat m_opened = {};
};

} // namespace zurbo::engine
