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
const QStringList corpusNames{"pdflatex-image.pdf", "base64image.pdf"};

class RealEngineBatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZURBO_REQUIRE_CORPUS();
        for (const QString& name : corpusNames) {
            const fs::path original = testing::corpusDirectory() / name.toStdString();
            ASSERT_TRUE(fs::exists(original)) << original;
            const fs::path copy = folder / name.toStdString();
            fs::copy_file(original, copy);
            fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
            sources.append(pathIn(folder, name));
            originals.push_back(testing::readFile(original));
        }
        model.add(testing::fileUrls(sources));
    }

    void runBatch()
    {
        model.compressAll();
        ASSERT_TRUE(testing::waitForBatch(model, 300));
        ASSERT_EQ(model.jobs().size(), sources.size());
    }

    // A finished job's file is on disk, is a PDF and has the size the engine gave.
    static void expectResultOnDisk(const PDFJob& job)
    {
        ASSERT_EQ(job.state, JobState::complete());
        ASSERT_TRUE(job.output && job.outputBytes);
        EXPECT_EQ(QFileInfo(*job.output).size(), *job.outputBytes);
        EXPECT_EQ(testing::readFile(job.output->toStdString()).substr(0, 5), "%PDF-");
        EXPECT_LE(*job.outputBytes, job.originalBytes);
    }

    testing::TestFolder folder;
    QStringList sources;
    std::vector<std::string> originals;
    CompressorModel model;
};

TEST_F(RealEngineBatchTest, ReplacesTheOriginalsInPlace)
{
    model.setExportMode(ExportMode::replaceOriginal);
    runBatch();
    for (const PDFJob& job : model.jobs()) {
        expectResultOnDisk(job);
        EXPECT_EQ(job.output, job.source);
    }
    // Nothing but the two files is left behind: no working files.
    EXPECT_EQ(folder.entries().size(), 2u);
}

TEST_F(RealEngineBatchTest, WritesChosenNamesAndLeavesTheSourcesAlone)
{
    auto panel = std::make_shared<testing::ScriptedSavePanel>();
    panel->answers = {pathIn(folder, "first-small.pdf"), pathIn(folder, "second-small.pdf")};
    model.setSavePanel(panel);
    model.setExportMode(ExportMode::chooseName);
    runBatch();
    EXPECT_EQ(model.jobs().at(0).output, pathIn(folder, "first-small.pdf"));
    EXPECT_EQ(model.jobs().at(1).output, pathIn(folder, "second-small.pdf"));
    for (const PDFJob& job : model.jobs()) {
        expectResultOnDisk(job);
    }
    for (qsizetype i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(testing::readFile(sources.at(i).toStdString()), originals.at(i));
    }
    EXPECT_EQ(folder.entries().size(), 4u);
    EXPECT_GT(model.totalSavings(), 0);
}

} // namespace
} // namespace zurbo
