#include "QueueTestSupport.h"
#include "ScriptedPanels.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <filesystem>

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using testing::pathIn;

// Two corpus files with pictures in them, small enough to keep the suite quick.
class RealEngineBatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZURBO_REQUIRE_CORPUS();
        for (const char* name : {"pdflatex-image.pdf", "base64image.pdf"}) {
            const fs::path original = testing::corpusDirectory() / name;
            ASSERT_TRUE(fs::exists(original)) << original;
            fs::copy_file(original, folder / name);
            fs::permissions(folder / name, fs::perms::owner_read | fs::perms::owner_write);
            sources.append(pathIn(folder, name));
            originals.push_back(testing::readFile(original));
        }
        model.add(testing::fileUrls(sources));
    }

    // Runs the batch; every job's file is then on disk, a PDF of the size the engine gave.
    void runBatch(ExportMode mode)
    {
        model.setExportMode(mode);
        model.compressAll();
        ASSERT_TRUE(testing::waitForBatch(model, 300));
        ASSERT_EQ(model.jobs().size(), sources.size());
        for (const PDFJob& job : model.jobs()) {
            ASSERT_EQ(job.state, JobState::complete());
            ASSERT_TRUE(job.output && job.outputBytes);
            EXPECT_EQ(QFileInfo(*job.output).size(), *job.outputBytes);
            EXPECT_EQ(testing::readFile(job.output->toStdString()).substr(0, 5), "%PDF-");
            EXPECT_LE(*job.outputBytes, job.originalBytes);
        }
    }

    testing::TestFolder folder;
    QStringList sources;
    std::vector<std::string> originals;
    CompressorModel model;
};

TEST_F(RealEngineBatchTest, ReplacesTheOriginalsInPlace)
{
    runBatch(ExportMode::replaceOriginal);
    for (const PDFJob& job : model.jobs()) {
        EXPECT_EQ(job.output, job.source);
    }
    // Nothing but the two files is left behind: no working files.
    EXPECT_EQ(folder.entries().size(), 2u);
}

TEST_F(RealEngineBatchTest, WritesChosenNamesAndLeavesTheSourcesAlone)
{
    auto panel = std::make_shared<testing::ScriptedSavePanel>();
    const QStringList chosen{pathIn(folder, "first-small.pdf"), pathIn(folder, "second-small.pdf")};
    panel->answers = {chosen.at(0), chosen.at(1)};
    model.setSavePanel(panel);
    runBatch(ExportMode::chooseName);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(model.jobs().at(i).output, chosen.at(i));
        EXPECT_EQ(testing::readFile(sources.at(i).toStdString()), originals.at(i));
    }
    EXPECT_EQ(folder.entries().size(), 4u);
    EXPECT_GT(model.totalSavings(), 0);
}

} // namespace
} // namespace zurbo
