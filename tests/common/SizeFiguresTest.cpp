#include "SizeFigures.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

TEST(SizeFiguresTest, SavingsAreTruncatedAndNeverNegativeAndMegabytesWholeBytes)
{
    const std::tuple<std::int64_t, std::int64_t, int> savings[] = {
        {1'000'000, 250'000, 75}, {3, 2, 33},     {1000, 1000, 0}, {1000, 1500, 0},
        {1, INT64_MAX, 0},        {1000, 0, 100}, {0, 10, 0}};
    for (const auto& [original, output, percent] : savings) {
        EXPECT_EQ(savingsPercent(original, output), percent) << original << " to " << output;
    }
    const std::pair<double, std::int64_t> megabytes[] = {
        {2.5, 2'621'440}, {0.01, 10'485}, {0, 0}, {1e300, INT64_MAX}};
    for (const auto& [count, bytes] : megabytes) {
        EXPECT_EQ(bytesFromMegabytes(count), bytes) << count << " MB";
    }
}

} // namespace
} // namespace zurbo
