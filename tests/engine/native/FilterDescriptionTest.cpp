#include "FilterDescription.h"

#include "ImageRecompressor.h"

#include <gtest/gtest.h>

namespace zurbo::engine {
namespace {

TEST(FilterDescriptionTest, HoldsTheConfigurationsNumbersInTheirPlaces)
{
    const std::vector<std::tuple<std::int64_t, std::int64_t, double, std::int64_t>> rows{
        {200, 90, 0.90, 3400}, {150, 82, 0.82, 2550}, {82, 56, 0.56, 1394}};
    for (const auto& [resolution, jpegQuality, quality, sizeMax] : rows) {
        const auto filter = FilterDescription::forConfiguration({resolution, jpegQuality});
        const auto& image = filter.at("FilterData").at("ColorSettings").at("ImageSettings");
        const auto& scale = image.at("ImageScaleSettings");
        EXPECT_EQ(
            std::tuple(filter.at("FilterType").integer(), filter.at("Name").text(),
                       filter.at("Domains").at("Applications").boolean(),
                       image.at("Compression Quality").real(), image.at("ImageCompression").text(),
                       scale.at("ImageResolution").integer(),
                       scale.at("ImageScaleInterpolate").boolean(),
                       scale.at("ImageSizeMax").integer(), scale.at("ImageSizeMin").integer()),
            std::tuple(1, "ZURBO " + std::to_string(resolution) + " ppp", true, quality,
                       "ImageJPEGCompress", resolution, true, sizeMax, 0));
        // The recompression takes its numbers from the description.
        const auto settings = filter.imageSettings();
        EXPECT_EQ(std::tuple(settings.compressionQuality, settings.resolution, settings.sizeMax,
                             settings.sizeMin),
                  std::tuple(quality, static_cast<double>(resolution), sizeMax, 0));
    }
    EXPECT_LT(ImageRecompressor::jpegQuality(0.72), ImageRecompressor::jpegQuality(0.82));
    EXPECT_LT(ImageRecompressor::jpegQuality(0.82), ImageRecompressor::jpegQuality(0.90));
}

} // namespace
} // namespace zurbo::engine
