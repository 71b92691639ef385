#include "JobListModel.h"
#include "ProgressTicker.h"
#include "QueueTestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zurbo {
namespace {

using namespace std::chrono_literals;

PDFJob compressingJob()
{
    PDFJob job = PDFJob::queued("/tmp/a.pdf", 100);
    job.state = JobState::compressing();
    job.progress = 0.04;
    return job;
}

std::unique_ptr<JobListModel> queueOf(const PDFJob& job)
{
    auto jobs = std::make_unique<JobListModel>();
    jobs->append({job});
    return jobs;
}

class ProgressTickerTest : public ::testing::Test {
protected:
    const PDFJob& job() const { return jobs->jobs().at(0); }

    PDFJob initial = compressingJob();
    std::unique_ptr<JobListModel> jobs = queueOf(initial);
    // Driven by hand: the interval never elapses during a test.
    ProgressTicker ticker{jobs.get(), initial.id, 1h};
};

TEST_F(ProgressTickerTest, GrowsFastThenSlowlyAndHoldsAtTheCap)
{
    const std::vector<double> expected{0.115, 0.19, 0.265, 0.34,  0.415, 0.49,  0.565, 0.59,
                                       0.615, 0.64, 0.665, 0.69,  0.715, 0.74,  0.765, 0.79,
                                       0.815, 0.84, 0.865, 0.89,  0.915, 0.93,  0.93,  0.93};
    ticker.start();
    for (std::size_t tick = 0; tick < expected.size(); ++tick) {
        ticker.tick();
        EXPECT_NEAR(job().progress, expected[tick], 1e-12) << "tick " << tick + 1;
    }
    EXPECT_TRUE(ticker.isRunning());
}

class TickAfterOutcomeTest : public ProgressTickerTest,
                             public ::testing::WithParamInterface<std::pair<JobState, double>> {};

TEST_P(TickAfterOutcomeTest, LeavesTheFinalBarAloneAndStops)
{
    ticker.start();
    ticker.tick();
    const auto [state, progress] = GetParam();
    jobs->update(0, [&](PDFJob& finished) {
        finished.state = state;
        finished.progress = progress;
    });
    ticker.tick();
    EXPECT_EQ(job().progress, progress);
    EXPECT_FALSE(ticker.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, TickAfterOutcomeTest,
                         ::testing::Values(std::pair{JobState::complete(), 1.0},
                                           std::pair{JobState::failed("x"), 0.0}),
                         [](const auto& info) {
                             return info.param.first.rawValue().toStdString();
                         });

TEST_F(ProgressTickerTest, StopsWhenTheJobOrTheQueueIsGone)
{
    ticker.start();
    jobs->remove(job().id);
    ticker.tick();
    EXPECT_FALSE(ticker.isRunning());

    ticker.start();
    jobs.reset();
    ticker.tick();
    EXPECT_FALSE(ticker.isRunning());
}

TEST(ProgressTickerTimerTest, TicksOnItsInterval)
{
    const PDFJob job = compressingJob();
    const auto jobs = queueOf(job);
    ProgressTicker ticker(jobs.get(), job.id, 1ms);
    ticker.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return jobs->jobs().at(0).progress >= 0.15; }, 5000));
}

} // namespace
} // namespace zurbo
