#pragma once

#include <filesystem>
#include <optional>

namespace zurbo::engine {

// The number of pages of the PDF at `path`, or none when it cannot be opened
// (not a PDF, damaged beyond repair, needs a password).
std::optional<int> pdfPageCount(const std::filesystem::path& path);

} // namespace zurbo::engine
