#include "QueueTestSupport.h"
#include "ScriptedEngine.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileNames;
using testing::fileUrls;
using testing::states;
using testing::waitForBatch;
using testing::writeSizedFile;
using Answer = testing::ScriptedEngine::Answer;

const QString nothingSlimmed =
    QStringLiteral("No ha adelgazado nadie. Revisa esos PDFs, que vienen torcidos.");

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest()
    {
        model.setCompressFunction(engine.function());
        model.setExportMode(ExportMode::replaceOriginal);
        model.setTickInterval(5ms);
    }

    void queue(const QStringList& names)
    {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(writeSizedFile(folder, name, 1000));
        }
        model.add(fileUrls(paths));
    }

    void runBatch()
    {
        model.compressAll();
        ASSERT_TRUE(waitForBatch(model));
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    CompressorModel model;
};

TEST_F(BatchRunTest, NothingHappensWithAnEmptyQueue)
{
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    QSignalSpy message(&model, &CompressorModel::globalMessageChanged);
    model.compressAll();
    EXPECT_EQ(working.size() + message.size(), 0);
    EXPECT_TRUE(engine.calls().isEmpty());
}

TEST_F(BatchRunTest, OneFailureNeverStopsTheBatch)
{
    queue({"a.pdf", "b.pdf", "c.pdf"});
    engine.script("a.pdf", Answer::succeeds(250));
    engine.script("b.pdf", Answer::fails("gs: se rompió"));
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    runBatch();

    EXPECT_EQ(states(model.jobs()), (QList<JobState>{JobState::complete(),
                                                     JobState::failed("gs: se rompió"),
                                                     JobState::complete()}));
    const PDFJob& first = model.jobs().at(0);
    EXPECT_EQ(first.output, first.source);
    EXPECT_EQ(first.outputBytes, 250);
    EXPECT_EQ(first.progress, 1.0);
    EXPECT_EQ(first.savings(), 75);
    EXPECT_EQ(model.jobs().at(1).progress, 0.0);
    EXPECT_FALSE(model.jobs().at(1).output);
    EXPECT_EQ(working.size(), 2);
    EXPECT_FALSE(model.isWorking());
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    for (const auto& call : engine.calls()) {
        EXPECT_FALSE(call.onMainThread);
    }
}

TEST_F(BatchRunTest, ABatchWhereEveryJobFailsSaysSo)
{
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::fails("uno"));
    engine.script("b.pdf", Answer::fails("dos"));
    runBatch();
    EXPECT_EQ(states(model.jobs()),
              (QList<JobState>{JobState::failed("uno"), JobState::failed("dos")}));
    EXPECT_EQ(model.globalMessage(), nothingSlimmed);
    EXPECT_TRUE(model.hasFailedJobs());
}

TEST_F(BatchRunTest, ASecondBatchRunsEveryJobAgainAndAFailureKeepsTheEarlierResult)
{
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::succeeds(500));
    runBatch();
    engine.script("a.pdf", Answer::fails("ya no"));
    model.add({});
    runBatch();

    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf", "a.pdf", "b.pdf"}));
    const PDFJob& first = model.jobs().at(0);
    EXPECT_EQ(first.state, JobState::failed("ya no"));
    EXPECT_EQ(first.outputBytes, 500);
    EXPECT_EQ(first.output, first.source);
    // The batch start emptied the message of the failed add.
    EXPECT_EQ(model.globalMessage(), "");
}

TEST_F(BatchRunTest, WhileRunningTheQueueOnlyGrows)
{
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::succeeds(1, std::nullopt, 100ms));
    model.compressAll();
    ASSERT_TRUE(model.isWorking());
    model.compressAll();
    model.remove(model.jobs().at(0).id);
    model.clearAll();
    queue({"late.pdf"});
    ASSERT_TRUE(waitForBatch(model));

    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"a.pdf", "b.pdf", "late.pdf"}));
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(model.jobs().at(2).state, JobState::waiting());
}

TEST_F(BatchRunTest, SettingsAreTakenOnceWhenTheBatchStarts)
{
    queue({"a.pdf", "b.pdf"});
    model.setProfile(CompressionProfile::demolition);
    model.setCleanMetadata(true);
    model.compressAll();
    model.setProfile(CompressionProfile::respectful);
    model.setCleanMetadata(false);
    model.setTargetEnabled(true);
    ASSERT_TRUE(waitForBatch(model));

    for (const auto& call : engine.calls()) {
        EXPECT_EQ(call.request.profile, CompressionProfile::demolition);
        EXPECT_TRUE(call.request.cleanMetadata);
        EXPECT_EQ(call.request.targetBytes, std::nullopt);
    }
    EXPECT_EQ(engine.calls().size(), 2);
}

TEST_F(BatchRunTest, TheBarMovesWhileTheEngineWorks)
{
    queue({"slow.pdf"});
    engine.script("slow.pdf", Answer::succeeds(10, true, 300ms));
    double seen = 0.0;
    QObject::connect(&model, &CompressorModel::jobsChanged, [&] {
        if (const auto active = model.activeJob()) {
            seen = std::max(seen, active->progress);
        }
    });
    runBatch();
    EXPECT_GT(seen, 0.04);
    EXPECT_LE(seen, 0.93);
    EXPECT_EQ(model.jobs().at(0).progress, 1.0);
    EXPECT_EQ(model.jobs().at(0).targetReached, true);
}

struct TargetCase {
    const char* name;
    friend void PrintTo(const TargetCase& value, std::ostream* out) { *out << value.name; }
    bool enabled;
    double megabytes;
    std::optional<std::int64_t> targetBytes;
};

class BatchTargetTest : public BatchRunTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(BatchTargetTest, ReachesTheEngineInBytes)
{
    queue({"a.pdf"});
    model.setTargetEnabled(GetParam().enabled);
    model.setTargetMegabytes(GetParam().megabytes);
    runBatch();
    ASSERT_EQ(engine.calls().size(), 1);
    EXPECT_EQ(engine.calls().at(0).request.targetBytes, GetParam().targetBytes);
}

INSTANTIATE_TEST_SUITE_P(Targets, BatchTargetTest,
                         ::testing::Values(TargetCase{"Zero", true, 0.0, 10'485},
                                           TargetCase{"TwoAndAHalf", true, 2.5, 2'621'440},
                                           TargetCase{"Ten", true, 10.0, 10'485'760},
                                           TargetCase{"Disabled", false, 2.5, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo
