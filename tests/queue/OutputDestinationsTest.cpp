#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using testing::fileUrls;
using testing::pathIn;
using testing::states;
using testing::waitForBatch;
using testing::writeSizedFile;

const QString saveCancelled = QStringLiteral("Guardado cancelado. El PDF sigue aquí, tan ancho.");

class OutputDestinationsTest : public ::testing::Test {
protected:
    OutputDestinationsTest()
    {
        model.setCompressFunction(engine.function());
        model.setSavePanel(panel);
        model.add(fileUrls({writeSizedFile(folder, "a.pdf", 10),
                            writeSizedFile(folder, "in/b.pdf", 10),
                            writeSizedFile(folder, "c.pdf", 10)}));
    }

    QStringList calledDestinations() const
    {
        QStringList destinations;
        for (const auto& call : engine.calls()) {
            destinations.append(call.request.destination);
        }
        return destinations;
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
    CompressorModel model;
};

TEST_F(OutputDestinationsTest, ReplacingWritesOverEachSourceWithoutAsking)
{
    model.setExportMode(ExportMode::replaceOriginal);
    model.compressAll();
    ASSERT_TRUE(waitForBatch(model));
    EXPECT_TRUE(panel->shown.isEmpty());
    EXPECT_EQ(calledDestinations(),
              (QStringList{pathIn(folder, "a.pdf"), pathIn(folder, "in/b.pdf"),
                           pathIn(folder, "c.pdf")}));
}

TEST_F(OutputDestinationsTest, ChoosingNamesAsksForEveryJobInQueueOrder)
{
    model.setExportMode(ExportMode::replaceOriginal);
    model.compressAll();
    ASSERT_TRUE(waitForBatch(model));

    model.setExportMode(ExportMode::chooseName);
    panel->answers = {pathIn(folder, "out/1.pdf"), pathIn(folder, "out/2.pdf"),
                      pathIn(folder, "out/1.pdf")};
    model.compressAll();
    ASSERT_TRUE(waitForBatch(model));

    ASSERT_EQ(panel->shown.size(), 3);
    const QStringList proposed{panel->shown.at(0).proposedName, panel->shown.at(1).proposedName,
                               panel->shown.at(2).proposedName};
    EXPECT_EQ(proposed, (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    const SavePanel::Settings& second = panel->shown.at(1);
    EXPECT_EQ(second.startFolder, pathIn(folder, "in"));
    EXPECT_EQ(second.message, "Ponle el nombre que quieras. Si eliges el original, macOS te "
                              "pedirá confirmar la sustitución.");
    EXPECT_EQ(second.prompt, "GUARDAR PDF");
    EXPECT_TRUE(second.pdfOnly);
    EXPECT_TRUE(second.canCreateFolders);
    EXPECT_EQ(calledDestinations().mid(3),
              (QStringList{pathIn(folder, "out/1.pdf"), pathIn(folder, "out/2.pdf"),
                           pathIn(folder, "out/1.pdf")}));
    EXPECT_EQ(model.jobs().at(2).output, pathIn(folder, "out/1.pdf"));
}

TEST_F(OutputDestinationsTest, CancellingAnyPanelCancelsTheWholeBatch)
{
    panel->answers = {pathIn(folder, "x.pdf"), pathIn(folder, "y.pdf"), std::nullopt};
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.compressAll();

    EXPECT_EQ(panel->shown.size(), 3);
    EXPECT_EQ(model.globalMessage(), saveCancelled);
    EXPECT_EQ(working.size(), 0);
    EXPECT_EQ(announced.size(), 0);
    EXPECT_TRUE(engine.calls().isEmpty());
    EXPECT_EQ(states(model.jobs()), QList<JobState>(3, JobState::waiting()));
}

TEST_F(OutputDestinationsTest, APanelThatGivesNoPathCountsAsCancelled)
{
    panel->answers = {QString()};
    model.compressAll();
    EXPECT_EQ(panel->shown.size(), 1);
    EXPECT_EQ(model.globalMessage(), saveCancelled);
    EXPECT_FALSE(model.isWorking());
}

TEST_F(OutputDestinationsTest, AFileQueuedWhileThePanelsAreUpWaitsForTheNextBatch)
{
    const QString late = writeSizedFile(folder, "late.pdf", 10);
    panel->whileShown = [&] {
        if (panel->shown.size() == 1) {
            model.add(fileUrls({late}));
        }
    };
    panel->answers = {pathIn(folder, "1.pdf"), pathIn(folder, "2.pdf"), pathIn(folder, "3.pdf")};
    model.compressAll();
    ASSERT_TRUE(waitForBatch(model));

    EXPECT_EQ(panel->shown.size(), 3);
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_EQ(states(model.jobs()),
              (QList<JobState>{JobState::complete(), JobState::complete(), JobState::complete(),
                               JobState::waiting()}));
}

} // namespace
} // namespace zurbo
