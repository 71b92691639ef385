#include "FilterDescription.h"

#include <gtest/gtest.h>

namespace zurbo::engine {
namespace {

TEST(FilterDescriptionTest, BalancedConfigurationGivesTheTabulatedDescription)
{
    const FilterDescription filter = FilterDescription::forConfiguration({150, 82});
    const FilterDescription& image =
        filter.at("FilterData").at("ColorSettings").at("ImageSettings");
    const FilterDescription& scale = image.at("ImageScaleSettings");

    EXPECT_EQ(filter.at("FilterType").integer(), 1);
    EXPECT_EQ(filter.at("Name").text(), "ZURBO 150 ppp");
    EXPECT_TRUE(filter.at("Domains").at("Applications").boolean());
    EXPECT_DOUBLE_EQ(image.at("Compression Quality").real(), 0.82);
    EXPECT_EQ(image.at("ImageCompression").text(), "ImageJPEGCompress");
    EXPECT_EQ(scale.at("ImageResolution").integer(), 150);
    EXPECT_TRUE(scale.at("ImageScaleInterpolate").boolean());
    EXPECT_EQ(scale.at("ImageSizeMax").integer(), 2550);
    EXPECT_EQ(scale.at("ImageSizeMin").integer(), 0);

    EXPECT_EQ(filter.size(), 4u);
    EXPECT_EQ(filter.at("Domains").size(), 1u);
    EXPECT_EQ(filter.at("FilterData").size(), 1u);
    EXPECT_EQ(filter.at("FilterData").at("ColorSettings").size(), 1u);
    EXPECT_EQ(image.size(), 3u);
    EXPECT_EQ(scale.size(), 4u);
}

TEST(FilterDescriptionTest, MissingKeysAndWrongTypesAreRefused)
{
    const FilterDescription filter = FilterDescription::forConfiguration({150, 82});
    EXPECT_THROW(filter.at("Nope"), std::out_of_range);
    EXPECT_THROW(filter.at("Name").at("Anything"), std::out_of_range);
    EXPECT_THROW(filter.at("Name").integer(), std::bad_variant_access);
}

struct SettingsCase {
    const char* name;
    PDFEngine::Configuration configuration;
    double compressionQuality;
    double resolution;
    std::int64_t sizeMax;
};

class FilterSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(FilterSettingsTest, RecompressionReadsItsNumbersFromTheDescription)
{
    const SettingsCase& c = GetParam();
    const auto settings = FilterDescription::forConfiguration(c.configuration).imageSettings();
    EXPECT_DOUBLE_EQ(settings.compressionQuality, c.compressionQuality);
    EXPECT_DOUBLE_EQ(settings.resolution, c.resolution);
    EXPECT_EQ(settings.sizeMax, c.sizeMax);
    EXPECT_EQ(settings.sizeMin, 0);
}

INSTANTIATE_TEST_SUITE_P(Configurations, FilterSettingsTest,
                         ::testing::Values(SettingsCase{"respectful", {200, 90}, 0.90, 200, 3400},
                                           SettingsCase{"balanced", {150, 82}, 0.82, 150, 2550},
                                           SettingsCase{"demolition", {110, 72}, 0.72, 110, 1870},
                                           SettingsCase{"ladderFirst", {240, 93}, 0.93, 240, 4080},
                                           SettingsCase{"ladderLast", {82, 56}, 0.56, 82, 1394}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
