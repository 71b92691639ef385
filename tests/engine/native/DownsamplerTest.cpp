#include "Downsampler.h"

#include <gtest/gtest.h>

namespace zurbo::engine {
namespace {

TEST(DownsamplerTest, AveragesWhatEachPixelCoversInsteadOfPickingOne)
{
    // Three pixels into two: each output covers one and a half inputs, per
    // component, and across rows as across columns.
    EXPECT_EQ(Downsampler::downsample({3, 1, 3, {0, 10, 5, 90, 10, 5, 180, 10, 5}}, 2, 1).samples,
              (std::vector<unsigned char>{30, 10, 5, 150, 10, 5}));
    EXPECT_EQ(
        Downsampler::downsample({3, 3, 1, {0, 30, 90, 60, 90, 120, 150, 180, 210}}, 2, 2).samples,
        (std::vector<unsigned char>{30, 83, 130, 170}));
}

} // namespace
} // namespace zurbo::engine
