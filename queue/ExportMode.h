#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zurbo {

// ----------------------------------------------------------------------------
// Where a batch writes its results: over each source, or under a name the
// user picks for each file before the batch starts. The raw value of each
// case is its own name; the declaration order is that of allExportModes.
// ----------------------------------------------------------------------------
enum class ExportMode { replaceOriginal, chooseName };

inline constexpr std::array<ExportMode, 2> allExportModes{ExportMode::replaceOriginal,
                                                          ExportMode::chooseName};

// "replaceOriginal" or "chooseName".
std::string_view rawValue(ExportMode mode);

// The mode whose raw value is exactly `raw` (case-sensitive, no trimming), or none.
std::optional<ExportMode> exportModeFromRaw(std::string_view raw);

} // namespace zurbo
