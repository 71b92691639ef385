// The queue's plain pieces: job records, size estimates, target sizes,
// engine failures as text, and the progress ticker's steps.
#include "BatchSettings.h"
#include "JobListModel.h"
#include "ProgressTicker.h"
#include "QueueFigures.h"
#include "QueueTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace zurbo {
namespace {

PDFJob jobOf(std::int64_t bytes, std::optional<std::int64_t> outputBytes = std::nullopt)
{
    PDFJob job = PDFJob::queued("/tmp/in/a.pdf", bytes);
    job.outputBytes = outputBytes;
    return job;
}

TEST(JobRecordsTest, StatesAreEqualOnlyWithEqualKindAndMessage)
{
    EXPECT_EQ(JobState::failed("a"), JobState::failed("a"));
    EXPECT_NE(JobState::failed("a"), JobState::failed("b"));
    EXPECT_NE(JobState::failed({}), JobState::waiting());
    EXPECT_NE(JobState::waiting(), JobState::compressing());
    EXPECT_EQ(JobState(), JobState::waiting());
}

TEST(JobRecordsTest, SavingsAreTruncatedAndNeverNegative)
{
    const struct {
        std::int64_t original;
        std::optional<std::int64_t> output;
        std::optional<int> savings;
    } cases[] = {{1'000'000, 250'000, 75}, {3, 2, 33},
                 {1000, 1000, 0},          {1000, 1500, 0},
                 {1, INT64_MAX, 0},        {1000, 0, 100},
                 {0, 10, std::nullopt},    {1000, std::nullopt, std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(jobOf(c.original, c.output).savings(), c.savings)
            << c.original << " -> " << c.output.value_or(-1);
    }
}

TEST(QueueFiguresTest, EstimatesAddTruncatedPerFileFiguresAcrossTheSizeBands)
{
    // Every job counts, whatever its result.
    EXPECT_EQ(estimatedBytes({jobOf(400'000), jobOf(3'145'728, 10)}, CompressionProfile::balanced),
              1'311'175);
    const struct {
        std::int64_t bytes;
        CompressionProfile profile;
        std::int64_t estimate;
    } cases[] = {{524'287, CompressionProfile::respectful, 482'344},
                 {524'288, CompressionProfile::balanced, 298'844},
                 {524'288, CompressionProfile::demolition, 214'958},
                 {2'097'151, CompressionProfile::respectful, 1'593'834},
                 {2'097'152, CompressionProfile::balanced, 650'117},
                 {2'097'152, CompressionProfile::respectful, 1'090'519},
                 {2'097'152, CompressionProfile::demolition, 398'458},
                 {100, CompressionProfile::demolition, 76}};
    for (const auto& c : cases) {
        EXPECT_EQ(estimatedBytes({jobOf(c.bytes)}, c.profile), c.estimate)
            << c.bytes << " bytes, profile " << rawValue(c.profile);
    }
}

TEST(BatchSettingsTest, TargetByteCountsAreBoundedAndTruncated)
{
    const std::pair<double, std::int64_t> cases[] = {
        {2.5, 2'621'440},
        {0.0, 10'485},
        {0.005, 10'485},
        {-3.0, 10'485},
        {std::nan(""), 10'485},
        {1e300, INT64_MAX},
        {8'796'093'022'208.0, INT64_MAX},
        {8'796'093'022'207.0, 9'223'372'036'853'727'232}};
    for (const auto& [megabytes, bytes] : cases) {
        EXPECT_EQ(BatchSettings::targetByteCount(megabytes), bytes) << megabytes << " MB";
    }
}

TEST(CompressOutcomeTest, EveryFailureBecomesTheTextTheUserReads)
{
    const auto denied = std::make_error_code(std::errc::permission_denied);
    const std::pair<std::function<void()>, QString> failures[] = {
        {[] { throw PDFEngine::EngineError::compressionFailed("gs: bad xref"); }, "gs: bad xref"},
        {[&] { throw std::filesystem::filesystem_error("cannot rename", "/tmp/x.pdf", denied); },
         QString::fromStdString(denied.message())},
        {[] { throw std::runtime_error("sin memoria"); }, "sin memoria"},
        {[] { throw 42; }, "El PDF se ha puesto digno y no se ha dejado comprimir."}};
    for (const auto& [fail, text] : failures) {
        const CompressOutcome outcome = runCompress(
            [&fail](const CompressRequest&) -> PDFEngine::Result {
                fail();
                return {};
            },
            {});
        EXPECT_FALSE(outcome.result);
        EXPECT_EQ(outcome.errorMessage, text);
    }
}

// Driven by hand: the interval never elapses during the test.
TEST(ProgressTickerTest, GrowsFastThenSlowlyHoldsAtTheCapAndStopsOnceTheJobIsDone)
{
    JobListModel jobs;
    jobs.append({PDFJob::queued("/tmp/a.pdf", 100)});
    jobs.update(0, [](PDFJob& job) { job.state = JobState::compressing(), job.progress = 0.04; });
    ProgressTicker ticker(&jobs, jobs.jobs().at(0).id, std::chrono::hours(1));
    ticker.start();
    const double expected[] = {0.115, 0.19, 0.265, 0.34, 0.415, 0.49, 0.565, 0.59,
                               0.615, 0.64, 0.665, 0.69, 0.715, 0.74, 0.765, 0.79,
                               0.815, 0.84, 0.865, 0.89, 0.915, 0.93, 0.93,  0.93};
    for (std::size_t tick = 0; tick < std::size(expected); ++tick) {
        ticker.tick();
        EXPECT_NEAR(jobs.jobs().at(0).progress, expected[tick], 1e-12) << "tick " << tick + 1;
    }
    // A tick after the outcome leaves the final bar alone.
    jobs.update(0, [](PDFJob& job) { job.state = JobState::complete(), job.progress = 1.0; });
    ticker.tick();
    EXPECT_EQ(jobs.jobs().at(0).progress, 1.0);
    EXPECT_FALSE(ticker.isRunning());
}

} // namespace
} // namespace zurbo
