#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace zurbo::engine {

// For each page of the PDF at `path`, in order, whether it paints anything:
// it draws with a font, an image or form, a shading or a pattern, or its
// content is more than a few operators long. None when the PDF cannot be
// opened (not a PDF, damaged beyond repair, needs a password).
std::optional<std::vector<bool>> surveyPages(const std::filesystem::path& path);

} // namespace zurbo::engine
