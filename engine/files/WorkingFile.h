#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>

namespace zurbo::engine {

// Whether a failed write's error `code` says the disk, or the user's quota, is full.
inline bool isOutOfSpace(int code)
{
    return code == ENOSPC || code == EDQUOT;
}

// ----------------------------------------------------------------------------
// WorkingFile: the hidden ".zurbo-UUID.pdf" beside the file an outcome will
// replace, where the engines write. Zurbo creates it itself, exclusively and
// readable by the owner only, so that a leftover after a crash never exposes
// a private document. Removed when the value goes, unless it was installed.
// ----------------------------------------------------------------------------
class WorkingFile {
public:
    // Creates the file in `target`'s folder; throws std::filesystem::filesystem_error
    // with the system's reason when the folder is missing or cannot be written.
    explicit WorkingFile(const std::filesystem::path& target);
    WorkingFile(const WorkingFile&) = delete;
    WorkingFile& operator=(const WorkingFile&) = delete;
    ~WorkingFile();

    const std::filesystem::path& path() const { return m_path; }

    // Starts again from an empty file, as each engine attempt does.
    void reset() const;
    // Replaces the content with the first `bytes` bytes of the open file
    // `source`, read without moving its offset; keeps the file's own mode.
    void copyFrom(int source, std::int64_t bytes) const;

private:
    void create() const;

    std::filesystem::path m_path;
};

} // namespace zurbo::engine
