#include "PDFEngine.h"

#include <cstddef>

namespace zurbo {

namespace {

// Indexed by the profile's position: respectful, balanced, demolition.
constexpr std::int64_t profileResolutions[] = {200, 150, 110};
constexpr std::int64_t profileJpegQualities[] = {90, 82, 72};

} // namespace

PDFEngine::Configuration PDFEngine::configuration(CompressionProfile profile)
{
    const auto index = static_cast<std::size_t>(profile);
    return {profileResolutions[index], profileJpegQualities[index]};
}

const std::vector<PDFEngine::Configuration>& PDFEngine::targetLadder()
{
    static const std::vector<Configuration> ladder{
        {240, 93}, {200, 89}, {170, 85}, {150, 81}, {130, 76}, {110, 70}, {96, 63}, {82, 56},
    };
    return ladder;
}

std::vector<PDFEngine::Configuration>
PDFEngine::attemptList(CompressionProfile profile, std::optional<std::int64_t> targetBytes)
{
    // With a target the profile is not consulted at all.
    if (targetBytes) {
        return targetLadder();
    }
    return {configuration(profile)};
}

} // namespace zurbo
