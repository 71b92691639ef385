#include "CompressionProfile.h"

namespace zurbo {

std::string_view rawValue(CompressionProfile profile)
{
    switch (profile) {
    case CompressionProfile::respectful:
        return "respectful";
    case CompressionProfile::balanced:
        return "balanced";
    case CompressionProfile::demolition:
        return "demolition";
    }
    return {};
}

std::optional<CompressionProfile> compressionProfileFromRaw(std::string_view raw)
{
    for (CompressionProfile profile : allCompressionProfiles) {
        if (rawValue(profile) == raw) {
            return profile;
        }
    }
    return std::nullopt;
}

} // namespace zurbo
