// The queue's plain pieces: job records, the figures over them, target sizes,
// engine outcomes, the list model QML reads and the progress ticker.
#include "BatchSettings.h"
#include "CompressRequest.h"
#include "ExportMode.h"
#include "JobListModel.h"
#include "ProgressTicker.h"
#include "QueueFigures.h"
#include "QueueTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace zurbo {
namespace {

using namespace std::chrono_literals;

PDFJob jobOf(std::int64_t bytes, JobState state = JobState::waiting(), double progress = 0.0,
             std::optional<std::int64_t> outputBytes = std::nullopt)
{
    PDFJob job = PDFJob::queued("/tmp/in/a.pdf", bytes);
    job.state = state;
    job.progress = progress;
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

TEST(JobRecordsTest, ExportModesBuildOnlyFromExactRawValues)
{
    EXPECT_EQ(rawValue(allExportModes[0]), "replaceOriginal");
    EXPECT_EQ(rawValue(allExportModes[1]), "chooseName");
    for (ExportMode mode : allExportModes) {
        EXPECT_EQ(exportModeFromRaw(rawValue(mode)), mode);
    }
    for (const char* raw : {"choosename", "ChooseName", " chooseName", ""}) {
        EXPECT_EQ(exportModeFromRaw(raw), std::nullopt) << raw;
    }
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
        SCOPED_TRACE(::testing::Message() << c.original << " -> " << c.output.value_or(-1));
        EXPECT_EQ(jobOf(c.original, JobState::complete(), 1.0, c.output).savings(), c.savings);
    }
}

TEST(QueueFiguresTest, EstimatesAddTruncatedPerFileFiguresAcrossTheSizeBands)
{
    EXPECT_EQ(estimatedBytes({jobOf(400'000), jobOf(3'145'728, JobState::complete(), 1.0, 10)},
                             CompressionProfile::balanced),
              1'311'175);
    EXPECT_EQ(estimatedBytes({}, CompressionProfile::balanced), 0);
    EXPECT_EQ(estimatedBytes({jobOf(0)}, CompressionProfile::demolition), 0);
    const struct {
        std::int64_t bytes;
        CompressionProfile profile;
        std::int64_t estimate;
    } cases[] = {{524'287, CompressionProfile::balanced, 440'401},
                 {524'288, CompressionProfile::balanced, 298'844},
                 {524'288, CompressionProfile::demolition, 214'958},
                 {2'097'151, CompressionProfile::balanced, 1'195'376},
                 {2'097'152, CompressionProfile::balanced, 650'117},
                 {2'097'152, CompressionProfile::respectful, 1'090'519}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bytes << " bytes, profile " << int(c.profile));
        EXPECT_EQ(estimatedBytes({jobOf(c.bytes)}, c.profile), c.estimate);
    }
}

TEST(QueueFiguresTest, ProgressAveragesBarsAndTotalsCountOnlyCompleteJobs)
{
    EXPECT_EQ(overallProgress({}), 0.0);
    EXPECT_DOUBLE_EQ(overallProgress({jobOf(1, JobState::complete(), 0.2), jobOf(1)}), 0.5);
    EXPECT_DOUBLE_EQ(overallProgress({jobOf(1, JobState::compressing(), 0.415),
                                      jobOf(1, JobState::failed("x"), 0.0),
                                      jobOf(1, JobState::complete(), 1.0)}),
                     (0.415 + 1.0) / 3.0);

    const QList<PDFJob> jobs{
        jobOf(1000, JobState::complete(), 1.0, 250), jobOf(3000, JobState::complete(), 1.0, 750),
        jobOf(5000, JobState::failed("x"), 0.0, 10), jobOf(7000, JobState::compressing(), 0.3, 10)};
    EXPECT_EQ(totalOutputBytes(jobs), 1000);
    EXPECT_EQ(totalCompletedOriginalBytes(jobs), 4000);
    EXPECT_EQ(totalSavings(jobs), 75);
    EXPECT_EQ(totalSavings({jobOf(1000)}), 0);
    EXPECT_EQ(totalSavings({jobOf(1000, JobState::complete(), 1.0, 1500)}), 0);
    EXPECT_EQ(totalSavings({jobOf(0, JobState::complete(), 1.0, 0)}), 0);
    EXPECT_EQ(totalSavings({jobOf(3, JobState::complete(), 1.0, 2)}), 33);
}

TEST(BatchSettingsTest, TargetByteCountsAreBoundedAndTruncated)
{
    constexpr std::int64_t smallest = 10'485;
    constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    const std::pair<double, std::int64_t> cases[] = {
        {10.0, 10'485'760},
        {2.5, 2'621'440},
        {0.0, smallest},
        {0.005, smallest},
        {-3.0, smallest},
        {std::nan(""), smallest},
        {-INFINITY, smallest},
        {1e300, largest},
        {INFINITY, largest},
        {8'796'093'022'207.0, 9'223'372'036'853'727'232},
        {8'796'093'022'208.0, largest}};
    for (const auto& [megabytes, bytes] : cases) {
        SCOPED_TRACE(::testing::Message() << megabytes << " MB");
        EXPECT_EQ(BatchSettings::targetByteCount(megabytes), bytes);
    }
}

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::error_code(code, std::generic_category()).message());
}

TEST(CompressOutcomeTest, PassesResultsOnAndTurnsEveryFailureIntoText)
{
    const CompressOutcome ok = runCompress(
        [](const CompressRequest& request) {
            return PDFEngine::Result{request.destination.toStdString(), 42, true};
        },
        {"/a.pdf", "/b.pdf", CompressionProfile::balanced, std::nullopt, false});
    ASSERT_TRUE(ok.result);
    EXPECT_EQ(ok.result->url, "/b.pdf");
    EXPECT_EQ(ok.result->bytes, 42);
    EXPECT_EQ(ok.result->targetReached, true);
    EXPECT_TRUE(ok.errorMessage.isEmpty());

    const std::pair<std::function<void()>, QString> failures[] = {
        {[] { throw PDFEngine::EngineError::compressionFailed("gs: bad xref"); }, "gs: bad xref"},
        {[] {
             throw std::filesystem::filesystem_error(
                 "cannot rename", "/tmp/x.pdf", std::error_code(EACCES, std::generic_category()));
         },
         systemText(EACCES)},
        {[] { throw std::system_error(ENOENT, std::generic_category(), "posix_spawn gs"); },
         systemText(ENOENT)},
        {[] { throw std::runtime_error("sin memoria"); }, "sin memoria"},
        {[] { throw 42; }, "El PDF se ha puesto digno y no se ha dejado comprimir."}};
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.second.toStdString());
        const CompressOutcome outcome = runCompress(
            [&failure](const CompressRequest&) -> PDFEngine::Result {
                failure.first();
                return {};
            },
            {});
        EXPECT_FALSE(outcome.result);
        EXPECT_EQ(outcome.errorMessage, failure.second);
    }
}

TEST(JobListModelTest, RowsShowEveryFieldUnderItsRoleNameInStepWithTheJobs)
{
    JobListModel jobs;
    QSignalSpy inserted(&jobs, &JobListModel::rowsInserted);
    QSignalSpy removed(&jobs, &JobListModel::rowsRemoved);
    QSignalSpy changed(&jobs, &JobListModel::dataChanged);
    QSignalSpy announced(&jobs, &JobListModel::jobsChanged);
    PDFJob done = jobOf(1000, JobState::complete(), 1.0, 250);
    done.output = "/tmp/out/a-small.pdf";
    done.targetReached = false;
    jobs.append({done, jobOf(0, JobState::failed("roto"))});
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 1);

    const QVariantMap row = jobs.get(0);
    EXPECT_EQ(row.value("id").toString(), done.id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(row.value("source").toString(), "/tmp/in/a.pdf");
    EXPECT_EQ(row.value("fileName").toString(), "a.pdf");
    EXPECT_EQ(row.value("output").toString(), "/tmp/out/a-small.pdf");
    EXPECT_EQ(row.value("originalBytes").toLongLong(), 1000);
    EXPECT_EQ(row.value("outputBytes").toLongLong(), 250);
    EXPECT_EQ(row.value("state").toString(), "complete");
    EXPECT_EQ(row.value("message").toString(), "");
    EXPECT_EQ(row.value("progress").toDouble(), 1.0);
    EXPECT_EQ(row.value("targetReached"), QVariant(false));
    EXPECT_EQ(row.value("savings").toInt(), 75);
    EXPECT_EQ(jobs.roleNames().size(), row.size());
    const QVariantMap broken = jobs.get(1);
    EXPECT_EQ(broken.value("state").toString(), "failed");
    EXPECT_EQ(broken.value("message").toString(), "roto");
    for (const char* absent : {"output", "outputBytes", "targetReached", "savings"}) {
        EXPECT_TRUE(broken.contains(absent) && !broken.value(absent).isValid()) << absent;
    }
    EXPECT_TRUE(jobs.get(2).isEmpty());

    jobs.update(1, [](PDFJob& job) { job.progress = 0.5; });
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(jobs.data(jobs.index(1), JobListModel::ProgressRole).toDouble(), 0.5);
    jobs.remove(done.id);
    jobs.remove(QUuid::createUuid());
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 0);
    EXPECT_EQ(jobs.get(0).value("message").toString(), "roto");
    jobs.clear();
    EXPECT_EQ(jobs.rowCount(), 0);
    EXPECT_EQ(announced.size(), 5);
}

class ProgressTickerTest : public ::testing::Test {
protected:
    ProgressTickerTest() { jobs->append({initial}); }
    double progress() const { return jobs->jobs().at(0).progress; }

    PDFJob initial = jobOf(100, JobState::compressing(), 0.04);
    std::unique_ptr<JobListModel> jobs = std::make_unique<JobListModel>();
    // Driven by hand: the interval never elapses during a test.
    ProgressTicker ticker{jobs.get(), initial.id, 1h};
};

TEST_F(ProgressTickerTest, GrowsFastThenSlowlyAndHoldsAtTheCap)
{
    const double expected[] = {0.115, 0.19, 0.265, 0.34, 0.415, 0.49, 0.565, 0.59,
                               0.615, 0.64, 0.665, 0.69, 0.715, 0.74, 0.765, 0.79,
                               0.815, 0.84, 0.865, 0.89, 0.915, 0.93, 0.93,  0.93};
    ticker.start();
    for (std::size_t tick = 0; tick < std::size(expected); ++tick) {
        ticker.tick();
        EXPECT_NEAR(progress(), expected[tick], 1e-12) << "tick " << tick + 1;
    }
    EXPECT_TRUE(ticker.isRunning());
}

TEST_F(ProgressTickerTest, ATickAfterTheOutcomeLeavesTheFinalBarAloneAndStops)
{
    for (const auto& outcome :
         {std::pair{JobState::complete(), 1.0}, std::pair{JobState::failed("x"), 0.0}}) {
        SCOPED_TRACE(outcome.first.rawValue().toStdString());
        jobs->update(0, [&](PDFJob& job) { job = initial; });
        ticker.start();
        ticker.tick();
        jobs->update(0, [&](PDFJob& job) {
            job.state = outcome.first;
            job.progress = outcome.second;
        });
        ticker.tick();
        EXPECT_EQ(progress(), outcome.second);
        EXPECT_FALSE(ticker.isRunning());
    }
}

TEST_F(ProgressTickerTest, StopsWhenTheJobOrTheQueueIsGone)
{
    ticker.start();
    jobs->remove(initial.id);
    ticker.tick();
    EXPECT_FALSE(ticker.isRunning());
    ticker.start();
    jobs.reset();
    ticker.tick();
    EXPECT_FALSE(ticker.isRunning());
}

} // namespace
} // namespace zurbo
