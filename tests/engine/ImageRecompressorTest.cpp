#include "ImageRecompressor.h"

#include "TurboJpeg.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>

#include <cmath>

namespace zurbo::engine {
namespace {

const FilterDescription::ImageSettings balanced{0.82, 150, 2550, 0};

struct SizingCase {
    const char* name;
    Dimensions pixels;
    std::optional<ShownSize> shownPoints;
    FilterDescription::ImageSettings settings;
    Dimensions expected;
};

class TargetDimensionsTest : public ::testing::TestWithParam<SizingCase> {};

TEST_P(TargetDimensionsTest, SizesForTheLargestPlaceShownThenBoundsTheLongestSide)
{
    const SizingCase& c = GetParam();
    EXPECT_EQ(ImageRecompressor::targetDimensions(c.pixels, c.shownPoints, c.settings), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TargetDimensionsTest,
    ::testing::Values(
        SizingCase{"shownAtTwoInches", {1200, 900}, ShownSize{144, 108}, balanced, {300, 225}},
        SizingCase{
            "alreadyBelowTheResolution", {200, 150}, ShownSize{144, 108}, balanced, {200, 150}},
        SizingCase{
            "stretchedDifferentlyPerAxis", {1000, 1000}, ShownSize{72, 288}, balanced, {150, 600}},
        SizingCase{"unknownPlaceOnlyBounded", {4000, 3000}, std::nullopt, balanced, {2550, 1913}},
        SizingCase{"unknownPlaceWithinBound", {2000, 1000}, std::nullopt, balanced, {2000, 1000}},
        SizingCase{"resolutionThenBound", {6000, 300}, ShownSize{1440, 72}, balanced, {2550, 128}},
        SizingCase{"shownAtNoSize", {1000, 800}, ShownSize{0, 0}, balanced, {1, 1}},
        SizingCase{"belowTheSmallestSize",
                   {400, 300},
                   ShownSize{10, 10},
                   {0.82, 150, 2550, 500},
                   {400, 300}}),
    [](const auto& info) { return std::string(info.param.name); });

Raster gradient(int width, int height, int components)
{
    Raster raster{width, height, components, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                const double wave = std::sin((x * (3 + c) + y * 2) * 0.02) * 0.5 + 0.5;
                raster.samples.push_back(static_cast<unsigned char>(30 + 190 * wave));
            }
        }
    }
    return raster;
}

using Encoding = ImageRecompressor::Source::Encoding;

ImageRecompressor::Source jpegSource(int width, int height, int components)
{
    ImageRecompressor::Source source;
    source.encoding = Encoding::jpeg;
    source.data = TurboJpeg::compressor().encode(gradient(width, height, components), 95);
    source.dimensions = {width, height};
    source.components = components;
    return source;
}

ImageRecompressor::Source pixelSource(int width, int height, int components)
{
    ImageRecompressor::Source source;
    source.encoding = Encoding::samples;
    source.raster = gradient(width, height, components);
    source.dimensions = {width, height};
    source.components = components;
    return source;
}

ImageRecompressor::Source flateSource(int width, int height, int components)
{
    const Raster raster = gradient(width, height, components);
    Pl_Buffer buffer("flate");
    Pl_Flate deflate("deflate", &buffer, Pl_Flate::a_deflate);
    deflate.write(raster.samples.data(), raster.samples.size());
    deflate.finish();
    const auto bytes = buffer.getBufferSharedPointer();
    ImageRecompressor::Source source;
    source.encoding = Encoding::flate;
    source.data.assign(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
    source.dimensions = {width, height};
    source.components = components;
    return source;
}

class RecompressTest : public ::testing::TestWithParam<int> {};

TEST_P(RecompressTest, ShrinksJpegAndPixelSourcesToTheTarget)
{
    const int components = GetParam();
    for (const auto& source : {jpegSource(800, 600, components), pixelSource(800, 600, components),
                               flateSource(800, 600, components)}) {
        ImageRecompressor::Job job{source, std::nullopt, {190, 150}, 80, 1u << 30};
        const auto result = ImageRecompressor::recompress(job);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->dimensions, (Dimensions{190, 150}));
        const TurboJpeg::Header header = TurboJpeg::decompressor().header(result->jpeg);
        EXPECT_EQ(header.width, 190);
        EXPECT_EQ(header.height, 150);
        EXPECT_EQ(header.components, components);
    }
}

INSTANTIATE_TEST_SUITE_P(Components, RecompressTest, ::testing::Values(1, 3, 4),
                         [](const auto& info) {
                             return info.param == 1 ? "gray" : info.param == 3 ? "rgb" : "cmyk";
                         });

TEST(ImageRecompressorTest, JpegQualityFollowsTheFilterQualityWithinLibjpegRange)
{
    int previous = 0;
    for (int step = 0; step <= 100; ++step) {
        const int quality = ImageRecompressor::jpegQuality(step / 100.0);
        EXPECT_GE(quality, previous) << step;
        EXPECT_GE(quality, 1);
        EXPECT_LE(quality, 100);
        previous = quality;
    }
    EXPECT_LT(ImageRecompressor::jpegQuality(0.72), ImageRecompressor::jpegQuality(0.82));
    EXPECT_LT(ImageRecompressor::jpegQuality(0.82), ImageRecompressor::jpegQuality(0.90));
}

TEST(ImageRecompressorTest, DropsAReencodingThatIsNotSmaller)
{
    const auto source = jpegSource(400, 300, 3);
    ImageRecompressor::Job job{source, std::nullopt, {400, 300}, 100, source.data.size() / 4};
    EXPECT_FALSE(ImageRecompressor::recompress(job));
}

TEST(ImageRecompressorTest, ShrinksTheSoftMaskInProportionAndKeepsItUncompressed)
{
    ImageRecompressor::Job job{
        jpegSource(400, 300, 3), pixelSource(200, 150, 1), {100, 75}, 80, 1u << 30};
    const auto result = ImageRecompressor::recompress(job);
    ASSERT_TRUE(result && result->softMask);
    EXPECT_EQ(result->softMask->width, 50);
    EXPECT_EQ(result->softMask->height, 38);
    EXPECT_EQ(result->softMask->samples.size(), 50u * 38u);
}

TEST(ImageRecompressorTest, RefusesDataThatDoesNotMatchTheDeclaredImage)
{
    auto mismatched = jpegSource(400, 300, 3);
    mismatched.dimensions = {401, 300};
    EXPECT_THROW(ImageRecompressor::recompress({mismatched, std::nullopt, {100, 75}, 80, 1u << 30}),
                 TurboJpeg::Error);

    auto truncated = jpegSource(400, 300, 3);
    truncated.data.resize(truncated.data.size() / 2);
    EXPECT_THROW(ImageRecompressor::recompress({truncated, std::nullopt, {100, 75}, 80, 1u << 30}),
                 TurboJpeg::Error);

    auto overlong = flateSource(400, 300, 3);
    overlong.dimensions = {400, 200};
    EXPECT_THROW(ImageRecompressor::recompress({overlong, std::nullopt, {100, 50}, 80, 1u << 30}),
                 std::length_error);

    auto cut = flateSource(400, 300, 3);
    cut.data.resize(cut.data.size() / 2);
    EXPECT_ANY_THROW(ImageRecompressor::recompress({cut, std::nullopt, {100, 75}, 80, 1u << 30}));
}

} // namespace
} // namespace zurbo::engine
