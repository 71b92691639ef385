#pragma once

#include <filesystem>

namespace zurbo::engine {

// Puts `workingFile` (which lies in the destination's folder) at `destination`
// in one rename, after flushing it to disk, then flushes the folder, so a
// power cut leaves either the old file or the new one. Over an existing
// destination its permission bits carry over; a new destination takes those of
// `permissionsFrom`. Throws std::filesystem::filesystem_error.
void installFile(const std::filesystem::path& workingFile, const std::filesystem::path& destination,
                 const std::filesystem::path& permissionsFrom);

} // namespace zurbo::engine
