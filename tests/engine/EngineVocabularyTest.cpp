#include "PDFEngine.h"
#include "QPDFRunner.h"

#include <gtest/gtest.h>

using namespace zurbo;
using Configuration = PDFEngine::Configuration;
using EngineError = PDFEngine::EngineError;

TEST(CompressionProfileTest, RawValuesRoundTripExactly)
{
    EXPECT_EQ(allCompressionProfiles,
              (std::array{CompressionProfile::respectful, CompressionProfile::balanced,
                          CompressionProfile::demolition}));
    for (CompressionProfile profile : allCompressionProfiles) {
        EXPECT_EQ(compressionProfileFromRaw(rawValue(profile)), profile);
    }
    EXPECT_EQ(rawValue(CompressionProfile::balanced), "balanced");
    for (const char* near : {"Balanced", "BALANCED", " balanced", "balanced ", ""}) {
        EXPECT_EQ(compressionProfileFromRaw(near), std::nullopt) << "'" << near << "'";
    }
}

struct ProfileRow {
    const char* name;
    CompressionProfile profile;
    Configuration configuration;

    friend void PrintTo(const ProfileRow& row, std::ostream* out) { *out << row.name; }
};

class ProfileConfigurationTest : public ::testing::TestWithParam<ProfileRow> {};

TEST_P(ProfileConfigurationTest, WithoutTargetOneAttemptAtTheProfileRow)
{
    const ProfileRow& row = GetParam();
    EXPECT_EQ(PDFEngine::configuration(row.profile), row.configuration);
    EXPECT_EQ(PDFEngine::attemptList(row.profile, std::nullopt),
              std::vector<Configuration>{row.configuration});
}

TEST_P(ProfileConfigurationTest, WithTargetTheWholeLadderWhateverTheProfile)
{
    const std::vector<Configuration> ladder{{240, 93}, {200, 89}, {170, 85}, {150, 81},
                                            {130, 76}, {110, 70}, {96, 63},  {82, 56}};
    EXPECT_EQ(PDFEngine::attemptList(GetParam().profile, 1), ladder);
    EXPECT_EQ(PDFEngine::targetLadder(), ladder);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ProfileConfigurationTest,
    ::testing::Values(ProfileRow{"respectful", CompressionProfile::respectful, {200, 90}},
                      ProfileRow{"balanced", CompressionProfile::balanced, {150, 82}},
                      ProfileRow{"demolition", CompressionProfile::demolition, {110, 72}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QPDFQualityTest, ThresholdsFollowTheResolution)
{
    const std::vector<std::pair<std::int64_t, std::int64_t>> rows{
        {240, 68}, {190, 68}, {189, 45}, {150, 45}, {130, 45}, {129, 32}, {82, 32}};
    for (const auto& [resolution, quality] : rows) {
        EXPECT_EQ(engine::qpdfJpegQuality(resolution), quality) << "resolution " << resolution;
    }
}

TEST(EngineErrorTest, DescriptionsAreTheUserFacingTexts)
{
    EXPECT_STREQ(EngineError::compressionFailed("").what(),
                 "El PDF se ha puesto digno y no se ha dejado comprimir.");
    EXPECT_STREQ(EngineError::compressionFailed("gs: boom").what(), "gs: boom");
    EXPECT_STREQ(EngineError::documentUnreadable().what(),
                 "Este PDF viene con las tripas raras y macOS no consigue abrirlo.");
    EXPECT_STREQ(EngineError::systemFilterUnavailable().what(),
                 "El motor PDF de macOS se ha ido a fumar. Reinicia la app y volvemos al ataque.");
    EXPECT_STREQ(EngineError::outputMissing().what(),
                 "El motor terminó, pero el PDF nuevo se fue a por tabaco.");
    EXPECT_EQ(EngineError::compressionFailed("a"), EngineError::compressionFailed("a"));
    EXPECT_FALSE(EngineError::compressionFailed("a") == EngineError::compressionFailed("b"));
}
