#include "Downsampler.h"

#include <gtest/gtest.h>

namespace zurbo::engine {
namespace {

Raster raster(int width, int height, int components, std::vector<unsigned char> samples)
{
    return Raster{width, height, components, std::move(samples)};
}

TEST(DownsamplerTest, AveragesEveryCoveredPixelInsteadOfPickingOne)
{
    // A one-pixel checkerboard: nearest-neighbour sampling would give all
    // black or all white, averaging gives mid grey.
    std::vector<unsigned char> samples;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            samples.push_back((x + y) % 2 ? 255 : 0);
        }
    }
    const Raster result = Downsampler::downsample(raster(8, 8, 1, samples), 2, 2);
    ASSERT_EQ(result.samples.size(), 4u);
    for (const unsigned char sample : result.samples) {
        EXPECT_NEAR(sample, 128, 1);
    }
}

TEST(DownsamplerTest, WeighsPartlyCoveredPixelsByTheCoveredFraction)
{
    // Three pixels into two: each output covers one and a half inputs.
    const Raster result = Downsampler::downsample(raster(3, 1, 1, {0, 90, 180}), 2, 1);
    ASSERT_EQ(result.samples.size(), 2u);
    EXPECT_EQ(result.samples[0], 30);  // (0 * 1 + 90 * 0.5) / 1.5
    EXPECT_EQ(result.samples[1], 150); // (90 * 0.5 + 180 * 1) / 1.5
}

TEST(DownsamplerTest, KeepsComponentsApart)
{
    std::vector<unsigned char> samples;
    for (int i = 0; i < 16; ++i) {
        samples.insert(samples.end(), {10, 200, 90});
    }
    const Raster result = Downsampler::downsample(raster(4, 4, 3, samples), 3, 2);
    EXPECT_EQ(result.width, 3);
    EXPECT_EQ(result.height, 2);
    for (std::size_t i = 0; i < result.samples.size(); i += 3) {
        EXPECT_EQ(result.samples[i], 10);
        EXPECT_EQ(result.samples[i + 1], 200);
        EXPECT_EQ(result.samples[i + 2], 90);
    }
}

TEST(DownsamplerTest, RefusesToEnlargeOrToReachZero)
{
    const Raster source = raster(2, 2, 1, {1, 2, 3, 4});
    EXPECT_THROW(Downsampler::downsample(source, 3, 2), std::invalid_argument);
    EXPECT_THROW(Downsampler::downsample(source, 0, 1), std::invalid_argument);
    EXPECT_EQ(Downsampler::downsample(source, 2, 2).samples, source.samples);
}

} // namespace
} // namespace zurbo::engine
