#include "GrayImage.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zurbo::bench {
namespace {

using zurbo::testing::TestFolder;
using zurbo::testing::writeFile;

TEST(GrayImageTest, ReadsBinaryPgmWithCommentsInTheHeader)
{
    const TestFolder folder;
    writeFile(folder / "page.pgm",
              std::string("P5\n# made by hand\n3 2\n255\n") + "\x01\x02\x03\xfd\xfe\xff");
    const GrayImage image = GrayImage::readPgm(folder / "page.pgm");
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.at(0, 0), 1);
    EXPECT_EQ(image.at(2, 0), 3);
    EXPECT_EQ(image.at(0, 1), 0xfd);
    EXPECT_EQ(image.at(2, 1), 0xff);
}

struct MalformedPgm {
    const char* name;
    std::string bytes;
};

void PrintTo(const MalformedPgm& input, std::ostream* out)
{
    *out << input.name;
}

class GrayImageRejectsTest : public ::testing::TestWithParam<MalformedPgm> {};

TEST_P(GrayImageRejectsTest, Throws)
{
    const TestFolder folder;
    writeFile(folder / "page.pgm", GetParam().bytes);
    EXPECT_THROW(GrayImage::readPgm(folder / "page.pgm"), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Inputs, GrayImageRejectsTest,
                         ::testing::Values(MalformedPgm{"ColourPpm", "P6\n1 1\n255\n\x01\x02\x03"},
                                           MalformedPgm{"SixteenBit", "P5\n1 1\n65535\n\x01\x02"},
                                           MalformedPgm{"TruncatedPixels",
                                                        "P5\n2 2\n255\n\x01\x02\x03"},
                                           MalformedPgm{"MissingSize", "P5\n255\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::bench
