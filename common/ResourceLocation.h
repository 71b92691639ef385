#pragma once

#include <filesystem>
#include <optional>

namespace zurbo {

// The application's resource folder: <exe dir>/resources in a build tree, or
// <exe dir>/../share/zurbo in an installed one; none when neither exists.
// Looked up afresh on every call.
std::optional<std::filesystem::path> applicationResourceDirectory();

} // namespace zurbo
