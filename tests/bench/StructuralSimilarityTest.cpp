#include "StructuralSimilarity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zurbo::bench {
namespace {

GrayImage filled(int width, int height, std::uint8_t value)
{
    return {width, height,
            std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, value)};
}

// A textured picture: gradients plus a checker, so windows have variance.
GrayImage textured(int width, int height)
{
    GrayImage image = filled(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int checker = ((x / 4 + y / 4) % 2) * 60;
            image.pixels[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>(40 + checker + (x * 100) / width);
        }
    }
    return image;
}

GrayImage withNoise(GrayImage image, double sigma)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, sigma);
    for (auto& pixel : image.pixels) {
        pixel = static_cast<std::uint8_t>(std::clamp(pixel + noise(random), 0.0, 255.0));
    }
    return image;
}

TEST(StructuralSimilarityTest, IdenticalPicturesScoreOne)
{
    const GrayImage image = textured(64, 48);
    EXPECT_NEAR(structuralSimilarity(image, image), 1.0, 1e-12);
}

TEST(StructuralSimilarityTest, FlatPicturesFollowTheLuminanceTermWithStandardConstants)
{
    // Without variance only (2ab + C1) / (a^2 + b^2 + C1) remains, C1 = (0.01 * 255)^2.
    const double c1 = 6.5025;
    const double expected = (2 * 100 * 120 + c1) / (100 * 100 + 120 * 120 + c1);
    EXPECT_NEAR(structuralSimilarity(filled(30, 20, 100), filled(30, 20, 120)), expected, 1e-9);
}

TEST(StructuralSimilarityTest, PicturesOfDifferentSizeScoreZero)
{
    EXPECT_EQ(structuralSimilarity(textured(64, 48), textured(48, 64)), 0.0);
    EXPECT_EQ(structuralSimilarity(textured(64, 48), textured(64, 47)), 0.0);
}

TEST(StructuralSimilarityTest, MoreNoiseScoresLowerAndOrderDoesNotMatter)
{
    const GrayImage clean = textured(96, 96);
    const GrayImage light = withNoise(clean, 4);
    const GrayImage heavy = withNoise(clean, 30);
    const double lightScore = structuralSimilarity(clean, light);
    const double heavyScore = structuralSimilarity(clean, heavy);
    EXPECT_LT(lightScore, 1.0);
    EXPECT_GT(lightScore, heavyScore);
    EXPECT_GT(heavyScore, 0.0);
    EXPECT_DOUBLE_EQ(structuralSimilarity(heavy, clean), heavyScore);
}

TEST(StructuralSimilarityTest, InvertedPictureScoresNearOrBelowZero)
{
    GrayImage inverted = textured(64, 64);
    for (auto& pixel : inverted.pixels) {
        pixel = static_cast<std::uint8_t>(255 - pixel);
    }
    EXPECT_LT(structuralSimilarity(textured(64, 64), inverted), 0.05);
}

TEST(StructuralSimilarityTest, PicturesNarrowerThanOneWindowStillCompare)
{
    const double c1 = 6.5025;
    EXPECT_NEAR(structuralSimilarity(filled(4, 3, 50), filled(4, 3, 60)),
                (2 * 50 * 60 + c1) / (50 * 50 + 60 * 60 + c1), 1e-9);
    const GrayImage thin = textured(40, 6);
    EXPECT_NEAR(structuralSimilarity(thin, thin), 1.0, 1e-12);
    EXPECT_LT(structuralSimilarity(thin, withNoise(thin, 20)), 0.9);
    EXPECT_EQ(structuralSimilarity(GrayImage{}, GrayImage{}), 0.0);
}

} // namespace
} // namespace zurbo::bench
