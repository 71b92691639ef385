#include "ByteCountText.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

TEST(ByteCountTextTest, PicksKilobytesMegabytesOrGigabytes)
{
    const std::pair<std::int64_t, const char*> rows[] = {
        {-5, "0 kB"},           {499, "0 kB"},           {500, "1 kB"},
        {999499, "999 kB"},     {999999, "1.0 MB"},      {1234567, "1.2 MB"},
        {999960000, "1.00 GB"}, {3456789012, "3.46 GB"}, {4000000000000, "4000.00 GB"}};
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(byteCountText(bytes), text) << bytes << " bytes";
    }
    EXPECT_EQ(byteCountText(1234567, ","), "1,2 MB");
    EXPECT_EQ(byteCountText(3456789012, "٫"), "3٫46 GB");
}

} // namespace
} // namespace zurbo
