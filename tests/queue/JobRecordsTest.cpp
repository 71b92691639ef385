#include "ExportMode.h"
#include "PDFJob.h"
#include "QueueTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace zurbo {
namespace {

TEST(JobStateTest, FailuresAreEqualOnlyWithEqualMessages)
{
    EXPECT_EQ(JobState::failed("a"), JobState::failed("a"));
    EXPECT_NE(JobState::failed("a"), JobState::failed("b"));
    EXPECT_NE(JobState::failed({}), JobState::waiting());
    EXPECT_NE(JobState::waiting(), JobState::compressing());
    EXPECT_EQ(JobState::complete(), JobState::complete());
    EXPECT_EQ(JobState(), JobState::waiting());
}

TEST(ExportModeTest, BuildsOnlyFromExactRawValues)
{
    for (ExportMode mode : allExportModes) {
        EXPECT_EQ(exportModeFromRaw(rawValue(mode)), mode);
    }
    EXPECT_EQ(rawValue(allExportModes[0]), "replaceOriginal");
    EXPECT_EQ(rawValue(allExportModes[1]), "chooseName");
    EXPECT_EQ(exportModeFromRaw("choosename"), std::nullopt);
    EXPECT_EQ(exportModeFromRaw("ChooseName"), std::nullopt);
    EXPECT_EQ(exportModeFromRaw(" chooseName"), std::nullopt);
    EXPECT_EQ(exportModeFromRaw(""), std::nullopt);
}

struct SavingsCase {
    const char* name;
    friend void PrintTo(const SavingsCase& value, std::ostream* out) { *out << value.name; }
    std::int64_t originalBytes;
    std::optional<std::int64_t> outputBytes;
    std::optional<int> savings;
};

class SavingsTest : public ::testing::TestWithParam<SavingsCase> {};

TEST_P(SavingsTest, IsTruncatedAndNeverNegative)
{
    PDFJob job = PDFJob::queued("/tmp/a.pdf", GetParam().originalBytes);
    job.outputBytes = GetParam().outputBytes;
    EXPECT_EQ(job.savings(), GetParam().savings);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, SavingsTest,
    ::testing::Values(SavingsCase{"ThreeQuartersOff", 1'000'000, 250'000, 75},
                      SavingsCase{"TruncatedThird", 3, 2, 33},
                      SavingsCase{"SameSize", 1000, 1000, 0},
                      SavingsCase{"LargerResult", 1000, 1500, 0},
                      SavingsCase{"FarLargerResult", 1, INT64_MAX, 0},
                      SavingsCase{"EmptyResult", 1000, 0, 100},
                      SavingsCase{"EmptySource", 0, 10, std::nullopt},
                      SavingsCase{"NeverRun", 1000, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PDFJobTest, QueuedJobsStartWaitingWithTheirOwnIds)
{
    const PDFJob first = PDFJob::queued("/tmp/dir/../a.pdf", 12);
    const PDFJob second = PDFJob::queued("/tmp/a.pdf", 12);
    EXPECT_FALSE(first.id.isNull());
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(first.source, "/tmp/dir/../a.pdf");
    EXPECT_EQ(first.fileName(), "a.pdf");
    EXPECT_EQ(first.state, JobState::waiting());
    EXPECT_EQ(first.progress, 0.0);
    EXPECT_FALSE(first.output || first.outputBytes || first.targetReached);
}

} // namespace
} // namespace zurbo
