#pragma once

#include <filesystem>

namespace zurbo::engine {

// The file an outcome for `destination` replaces or creates: where its
// symbolic links lead when it exists, else the destination itself. Throws
// std::filesystem::filesystem_error when that is a folder.
std::filesystem::path installTarget(const std::filesystem::path& destination);

// Puts `workingFile` (which lies in the target's folder) at `target` in one
// rename. Everything that can fail happens before it: the permission bits of
// the replaced file (or, for a new file, of `permissionsFrom`) and, where we
// are allowed, its owner and group go onto the working file, which is then
// flushed to disk. The folder is flushed after the rename when it can be
// opened; by then the outcome is installed and nothing fails any more.
// Throws std::filesystem::filesystem_error.
void installFile(const std::filesystem::path& workingFile, const std::filesystem::path& target,
                 const std::filesystem::path& permissionsFrom);

} // namespace zurbo::engine
