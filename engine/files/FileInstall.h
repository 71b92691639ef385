#pragma once

#include "PDFEngine.h"

#include <filesystem>
#include <sys/types.h>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FileInstall: puts an outcome at a destination in one rename, after settling,
// before any engine runs, where it goes and whether it may.
// ----------------------------------------------------------------------------
class FileInstall {
public:
    // The target is where the destination's symbolic links lead when it
    // exists and `overwrite` is throughLinks, else the destination itself.
    // Throws std::filesystem::filesystem_error with the system's reason when
    // the target is a folder, or, for throughLinks, a file the user may not
    // write or that is write-protected; EngineError::destinationExists when
    // `overwrite` is never and something has the name.
    FileInstall(const std::filesystem::path& destination, PDFEngine::Overwrite overwrite);

    // The file an outcome replaces or creates.
    const std::filesystem::path& target() const { return m_target; }

    // Readies `workingFile` (in the target's folder) to take the target's
    // place: the permission bits of the regular file it replaces (`newFileMode`
    // for a new file) and, where we are allowed, its owner and group; then
    // flushes it to disk. Throws std::filesystem::filesystem_error.
    void prepare(const std::filesystem::path& workingFile, mode_t newFileMode) const;

    // Renames `workingFile` onto the target; with Overwrite::never only while
    // nothing has the name (EngineError::destinationExists otherwise). The
    // folder is flushed after the rename when it can be opened; by then the
    // outcome is installed and nothing fails any more. Throws
    // std::filesystem::filesystem_error when the rename fails.
    void commit(const std::filesystem::path& workingFile) const;

private:
    std::filesystem::path m_target;
    PDFEngine::Overwrite m_overwrite;
};

} // namespace zurbo::engine
