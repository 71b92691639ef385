#include "QueueFigures.h"
#include "QueueTestSupport.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

PDFJob jobOf(std::int64_t bytes, JobState state = JobState::waiting(), double progress = 0.0,
             std::optional<std::int64_t> outputBytes = std::nullopt)
{
    PDFJob job = PDFJob::queued("/tmp/a.pdf", bytes);
    job.state = state;
    job.progress = progress;
    job.outputBytes = outputBytes;
    return job;
}

TEST(EstimatedBytesTest, AddsTruncatedEstimatesOverTheQueue)
{
    const QList<PDFJob> jobs{jobOf(400'000), jobOf(3'145'728, JobState::complete(), 1.0, 10)};
    EXPECT_EQ(estimatedBytes(jobs, CompressionProfile::balanced), 1'311'175);
    EXPECT_EQ(estimatedBytes({}, CompressionProfile::balanced), 0);
    EXPECT_EQ(estimatedBytes({jobOf(0)}, CompressionProfile::demolition), 0);
}

struct EstimateCase {
    const char* name;
    friend void PrintTo(const EstimateCase& value, std::ostream* out) { *out << value.name; }
    std::int64_t bytes;
    CompressionProfile profile;
    std::int64_t estimate;
};

class EstimateRatioTest : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(EstimateRatioTest, FollowsTheSizeBands)
{
    EXPECT_EQ(estimatedBytes({jobOf(GetParam().bytes)}, GetParam().profile), GetParam().estimate);
}

INSTANTIATE_TEST_SUITE_P(
    Queue, EstimateRatioTest,
    ::testing::Values(
        EstimateCase{"JustBelowHalfMebibyte", 524'287, CompressionProfile::balanced, 440'401},
        EstimateCase{"HalfMebibyte", 524'288, CompressionProfile::balanced, 298'844},
        EstimateCase{"HalfMebibyteDemolition", 524'288, CompressionProfile::demolition, 214'958},
        EstimateCase{"JustBelowTwoMebibytes", 2'097'151, CompressionProfile::balanced, 1'195'376},
        EstimateCase{"TwoMebibytes", 2'097'152, CompressionProfile::balanced, 650'117},
        EstimateCase{"TwoMebibytesRespectful", 2'097'152, CompressionProfile::respectful,
                     1'090'519}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OverallProgressTest, AveragesBarsWithCompleteJobsAsWhole)
{
    EXPECT_EQ(overallProgress({}), 0.0);
    EXPECT_DOUBLE_EQ(overallProgress({jobOf(1, JobState::complete(), 0.2), jobOf(1)}), 0.5);
    EXPECT_DOUBLE_EQ(overallProgress({jobOf(1, JobState::compressing(), 0.415),
                                      jobOf(1, JobState::failed("x"), 0.0),
                                      jobOf(1, JobState::complete(), 1.0)}),
                     (0.415 + 1.0) / 3.0);
}

TEST(TotalsTest, CountOnlyCompleteJobs)
{
    const QList<PDFJob> jobs{jobOf(1000, JobState::complete(), 1.0, 250),
                             jobOf(3000, JobState::complete(), 1.0, 750),
                             jobOf(5000, JobState::failed("x"), 0.0, 10),
                             jobOf(7000, JobState::compressing(), 0.3, 10)};
    EXPECT_EQ(totalOutputBytes(jobs), 1000);
    EXPECT_EQ(totalCompletedOriginalBytes(jobs), 4000);
    EXPECT_EQ(totalSavings(jobs), 75);
}

TEST(TotalsTest, SavingsAreNeverNegativeAndZeroWithoutBytes)
{
    EXPECT_EQ(totalSavings({jobOf(1000)}), 0);
    EXPECT_EQ(totalSavings({jobOf(1000, JobState::complete(), 1.0, 1500)}), 0);
    EXPECT_EQ(totalSavings({jobOf(0, JobState::complete(), 1.0, 0)}), 0);
    EXPECT_EQ(totalSavings({jobOf(3, JobState::complete(), 1.0, 2)}), 33);
}

} // namespace
} // namespace zurbo
