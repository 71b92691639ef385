#include "ByteCountText.h"

#include <gtest/gtest.h>

using zurbo::byteCountText;

TEST(ByteCountTextTest, PicksKilobytesMegabytesOrGigabytes)
{
    const std::vector<std::pair<std::int64_t, std::string>> rows{
        {0, "0 kB"},
        {-5, "0 kB"},
        {499, "0 kB"},
        {500, "1 kB"},
        {845'123, "845 kB"},
        {999'499, "999 kB"},
        {999'999, "1.0 MB"},
        {1'234'567, "1.2 MB"},
        {12'400'000, "12.4 MB"},
        {999'960'000, "1.00 GB"},
        {3'456'789'012, "3.46 GB"},
        {4'000'000'000'000, "4000.00 GB"},
    };
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(byteCountText(bytes), text) << bytes << " bytes";
    }
}

TEST(ByteCountTextTest, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(byteCountText(1'234'567, ","), "1,2 MB");
    EXPECT_EQ(byteCountText(12'400'000, ","), "12,4 MB");
    EXPECT_EQ(byteCountText(7'060'000, "٫"), "7٫1 MB");
}
