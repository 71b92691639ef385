#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zurbo {

// ----------------------------------------------------------------------------
// The three compression strengths a user picks from, gentlest first.
// The raw value of each case is its own name; the declaration order is the
// order of allCompressionProfiles() and of the window's profile selector.
// ----------------------------------------------------------------------------
enum class CompressionProfile { respectful, balanced, demolition };

inline constexpr std::array<CompressionProfile, 3> allCompressionProfiles{
    CompressionProfile::respectful, CompressionProfile::balanced, CompressionProfile::demolition};

// "respectful", "balanced" or "demolition".
std::string_view rawValue(CompressionProfile profile);

// The profile whose raw value is exactly `raw` (case-sensitive, no trimming), or none.
std::optional<CompressionProfile> compressionProfileFromRaw(std::string_view raw);

} // namespace zurbo
