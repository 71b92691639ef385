#pragma once

#include <filesystem>

namespace zurbo::bench {

// A fresh folder under the system's temporary directory, removed with its
// contents when the value goes, however the benchmark leaves the scope.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace zurbo::bench
