// CompressorModel driven as the window drives it: files in, batches run on a
// scripted engine, destinations from scripted panels, and the same through QML.
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QCoreApplication>
#include <QDir>
#include <QJSEngine>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileNames;
using testing::fileUrls;
using testing::pathIn;
using testing::states;
using testing::waitForBatch;
using Answer = testing::ScriptedEngine::Answer;

const QString notAPdf = QStringLiteral("Eso no era un PDF. Buen intento, criatura.");
const QString nothingSlimmed =
    QStringLiteral("No ha adelgazado nadie. Revisa esos PDFs, que vienen torcidos.");
const QString saveCancelled = QStringLiteral("Guardado cancelado. El PDF sigue aquí, tan ancho.");

class QueueModelTest : public ::testing::Test {
protected:
    QueueModelTest()
    {
        model.setCompressFunction(engine.function());
        model.setSavePanel(savePanel);
        model.setOpenPanel(openPanel);
        model.setTickInterval(5ms);
    }

    QString file(const QString& name, std::int64_t bytes = 1000)
    {
        return testing::writeSizedFile(folder, name, bytes);
    }

    void queue(const QStringList& names)
    {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(file(name));
        }
        model.add(fileUrls(paths));
    }

    void runBatch()
    {
        model.compressAll();
        ASSERT_TRUE(waitForBatch(model));
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
    std::shared_ptr<testing::ScriptedSavePanel> savePanel =
        std::make_shared<testing::ScriptedSavePanel>();
    std::shared_ptr<testing::ScriptedOpenPanel> openPanel =
        std::make_shared<testing::ScriptedOpenPanel>();
    CompressorModel model;
};

TEST_F(QueueModelTest, AddQueuesReadablePdfsOnly)
{
    const struct {
        QStringList existing; // made before the call; a trailing "/" makes a folder
        QStringList given;    // names inside the folder, or whole URLs
        QStringList queued;
        QString message;
    } cases[] = {{{"A.PDF"}, {"A.PDF"}, {"A.PDF"}, ""},
                 {{"a.pdf.zip"}, {"a.pdf.zip"}, {}, notAPdf},
                 {{"notes.txt"}, {"notes.txt"}, {}, notAPdf},
                 {{"dir.pdf/"}, {"dir.pdf"}, {}, notAPdf},
                 {{"b.pdf"}, {"missing.pdf", "b.pdf"}, {"b.pdf"}, ""},
                 {{}, {"missing.pdf"}, {}, notAPdf},
                 {{"a.pdf"}, {"a.pdf", "a.pdf"}, {"a.pdf", "a.pdf"}, ""},
                 {{"b.pdf", "a.pdf"}, {"b.pdf", "a.pdf"}, {"b.pdf", "a.pdf"}, ""},
                 {{}, {"https://example.org/a.pdf"}, {}, notAPdf},
                 {{}, {}, {}, notAPdf}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given.join(", ").toStdString());
        const testing::TestFolder own;
        CompressorModel fresh;
        QList<QUrl> urls;
        for (const QString& name : c.existing) {
            if (name.endsWith('/')) {
                QDir().mkpath(pathIn(own, name));
            } else {
                testing::writeSizedFile(own, name, 100);
            }
        }
        for (const QString& name : c.given) {
            urls.append(name.contains("://") ? QUrl(name) : QUrl::fromLocalFile(pathIn(own, name)));
        }
        fresh.add(urls);
        EXPECT_EQ(fileNames(fresh.jobs()), c.queued);
        EXPECT_EQ(fresh.globalMessage(), c.message);
    }
}

TEST_F(QueueModelTest, AFileAlreadyQueuedIsRecognisedThroughDotDot)
{
    QDir().mkpath(pathIn(folder, "sub"));
    queue({"a.pdf"});
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.add(fileUrls({pathIn(folder, "sub/../a.pdf"), pathIn(folder, "./a.pdf")}));
    EXPECT_EQ(model.jobs().size(), 1);
    EXPECT_EQ(model.globalMessage(), notAPdf);

    const QString newThroughDotDot = pathIn(folder, "sub/../b.pdf");
    file("b.pdf");
    model.add(fileUrls({newThroughDotDot}));
    ASSERT_EQ(model.jobs().size(), 2);
    EXPECT_EQ(model.jobs().at(1).source, newThroughDotDot);
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_EQ(announced.size(), 2);
}

TEST_F(QueueModelTest, AnEmptyPdfIsQueuedWithoutSavingsOrEstimate)
{
    model.add(fileUrls({file("empty.pdf", 0)}));
    ASSERT_EQ(model.jobs().size(), 1);
    EXPECT_EQ(model.jobs().at(0).originalBytes, 0);
    EXPECT_EQ(model.jobs().at(0).state, JobState::waiting());
    EXPECT_EQ(model.jobs().at(0).savings(), std::nullopt);
    EXPECT_EQ(model.estimatedBytes(CompressionProfile::respectful), 0);
}

TEST_F(QueueModelTest, RemoveTakesOutOneJobByIdAndClearAllEmptiesEverything)
{
    queue({"a.pdf", "b.pdf", "c.pdf"});
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.remove(model.jobs().at(1).id);
    model.remove(model.jobs().at(0).id.toString(QUuid::WithoutBraces));
    model.remove(QUuid::createUuid());
    EXPECT_EQ(fileNames(model.jobs()), QStringList{"c.pdf"});
    EXPECT_EQ(announced.size(), 3);

    model.add({});
    model.setDropTargeted(true);
    model.clearAll();
    EXPECT_TRUE(model.jobs().isEmpty());
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_FALSE(model.isDropTargeted());
}

TEST_F(QueueModelTest, ChooseFilesQueuesTheChoiceInOrderAndACancelChangesNothing)
{
    model.add({});
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    model.chooseFiles();
    EXPECT_EQ(announced.size(), 0);
    EXPECT_EQ(model.globalMessage(), notAPdf);

    openPanel->answer = fileUrls({file("b.pdf"), file("a.pdf")});
    model.chooseFiles();
    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"b.pdf", "a.pdf"}));
    ASSERT_EQ(openPanel->shown.size(), 2);
    const OpenPanel::Settings& settings = openPanel->shown.at(1);
    EXPECT_EQ(settings.message, "Elige los PDFs que necesitan adelgazar urgentemente.");
    EXPECT_TRUE(settings.multipleSelection && settings.pdfOnly && !settings.canChooseFolders);
}

TEST_F(QueueModelTest, ADropIsAcceptedAtOnceAndQueuedFromTheEventLoop)
{
    EXPECT_TRUE(model.acceptDrop({QUrl("https://example.org/b.pdf")}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.jobs().isEmpty());
    EXPECT_EQ(model.globalMessage(), notAPdf);

    model.setDropTargeted(true);
    EXPECT_TRUE(model.isDropTargeted());
    QSignalSpy announced(&model, &CompressorModel::jobsChanged);
    EXPECT_TRUE(
        model.acceptDrop({QUrl::fromLocalFile(file("a.pdf")), QUrl("https://example.org/b.pdf"),
                          QUrl::fromLocalFile(file("c.pdf"))}));
    EXPECT_FALSE(model.isDropTargeted());
    EXPECT_TRUE(model.jobs().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"a.pdf", "c.pdf"}));
    EXPECT_EQ(announced.size(), 1);
}

TEST_F(QueueModelTest, OneFailureNeverStopsTheBatchAndTheEngineRunsOffTheMainThread)
{
    model.setExportMode(ExportMode::replaceOriginal);
    queue({"a.pdf", "b.pdf", "c.pdf"});
    engine.script("a.pdf", Answer::succeeds(250));
    engine.script("b.pdf", Answer::fails("gs: se rompió"));
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    runBatch();

    EXPECT_EQ(states(model.jobs()),
              (QList<JobState>{JobState::complete(), JobState::failed("gs: se rompió"),
                               JobState::complete()}));
    const PDFJob& first = model.jobs().at(0);
    EXPECT_EQ(first.output, first.source);
    EXPECT_EQ(first.outputBytes, 250);
    EXPECT_EQ(first.progress, 1.0);
    EXPECT_EQ(first.savings(), 75);
    EXPECT_EQ(model.jobs().at(1).progress, 0.0);
    EXPECT_FALSE(model.jobs().at(1).output);
    EXPECT_EQ(working.size(), 2);
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    for (const auto& call : engine.calls()) {
        EXPECT_FALSE(call.onMainThread);
    }
}

TEST_F(QueueModelTest, AllFailingSaysSoAndASecondBatchRunsEveryJobAgain)
{
    model.setExportMode(ExportMode::replaceOriginal);
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    QSignalSpy message(&model, &CompressorModel::globalMessageChanged);
    model.compressAll(); // an empty queue starts nothing
    EXPECT_EQ(working.size() + message.size(), 0);
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::fails("uno"));
    engine.script("b.pdf", Answer::fails("dos"));
    runBatch();
    EXPECT_EQ(states(model.jobs()),
              (QList<JobState>{JobState::failed("uno"), JobState::failed("dos")}));
    EXPECT_EQ(model.globalMessage(), nothingSlimmed);
    EXPECT_TRUE(model.hasFailedJobs());

    engine.script("a.pdf", Answer::succeeds(500));
    engine.script("b.pdf", Answer::succeeds(1));
    runBatch();
    engine.script("a.pdf", Answer::fails("ya no"));
    model.add({});
    runBatch();
    EXPECT_EQ(engine.calledFiles(),
              (QStringList{"a.pdf", "b.pdf", "a.pdf", "b.pdf", "a.pdf", "b.pdf"}));
    const PDFJob& first = model.jobs().at(0);
    EXPECT_EQ(first.state, JobState::failed("ya no"));
    EXPECT_EQ(first.outputBytes, 500);
    EXPECT_EQ(first.output, first.source);
    // The batch start emptied the message of the failed add.
    EXPECT_EQ(model.globalMessage(), "");
}

TEST_F(QueueModelTest, WhileRunningTheQueueOnlyGrowsAndSettingsStayAsTheyStarted)
{
    model.setExportMode(ExportMode::replaceOriginal);
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::succeeds(10, true, 300ms));
    model.setProfile(CompressionProfile::demolition);
    model.setCleanMetadata(true);
    double seen = 0.0;
    QObject::connect(&model, &CompressorModel::jobsChanged, [&] {
        if (const auto active = model.activeJob()) {
            seen = std::max(seen, active->progress);
        }
    });
    model.compressAll();
    ASSERT_TRUE(model.isWorking());
    model.setProfile(CompressionProfile::respectful);
    model.setCleanMetadata(false);
    model.setTargetEnabled(true);
    model.compressAll();
    model.remove(model.jobs().at(0).id);
    model.clearAll();
    queue({"late.pdf"});
    ASSERT_TRUE(waitForBatch(model));

    EXPECT_EQ(fileNames(model.jobs()), (QStringList{"a.pdf", "b.pdf", "late.pdf"}));
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(model.jobs().at(2).state, JobState::waiting());
    EXPECT_EQ(model.jobs().at(0).targetReached, true);
    // The bar moved while the engine worked, without passing the cap.
    EXPECT_GT(seen, 0.04);
    EXPECT_LE(seen, 0.93);
    for (const auto& call : engine.calls()) {
        EXPECT_EQ(call.request.profile, CompressionProfile::demolition);
        EXPECT_TRUE(call.request.cleanMetadata);
        EXPECT_EQ(call.request.targetBytes, std::nullopt);
    }
}

TEST_F(QueueModelTest, TargetsReachTheEngineInBytesOnlyWhenEnabled)
{
    model.setExportMode(ExportMode::replaceOriginal);
    queue({"a.pdf"});
    const struct {
        bool enabled;
        double megabytes;
        std::optional<std::int64_t> bytes;
    } cases[] = {{true, 0.0, 10'485},
                 {true, 2.5, 2'621'440},
                 {true, 10.0, 10'485'760},
                 {false, 2.5, std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.megabytes << " MB, enabled " << c.enabled);
        model.setTargetEnabled(c.enabled);
        model.setTargetMegabytes(c.megabytes);
        runBatch();
        EXPECT_EQ(engine.calls().constLast().request.targetBytes, c.bytes);
    }
    EXPECT_EQ(engine.calls().size(), 4);
}

TEST_F(QueueModelTest, ReplacingAsksNothingAndChoosingNamesAsksForEveryJobInQueueOrder)
{
    queue({"a.pdf", "in/b.pdf", "c.pdf"});
    model.setExportMode(ExportMode::replaceOriginal);
    runBatch();
    EXPECT_TRUE(savePanel->shown.isEmpty());
    EXPECT_EQ(calledDestinations(),
              (QStringList{pathIn(folder, "a.pdf"), pathIn(folder, "in/b.pdf"),
                           pathIn(folder, "c.pdf")}));
    model.setExportMode(ExportMode::chooseName);
    const QStringList chosen{pathIn(folder, "out/1.pdf"), pathIn(folder, "out/2.pdf"),
                             pathIn(folder, "out/1.pdf")};
    savePanel->answers = {chosen.at(0), chosen.at(1), chosen.at(2)};
    runBatch();

    ASSERT_EQ(savePanel->shown.size(), 3);
    QStringList proposed;
    for (const SavePanel::Settings& shown : savePanel->shown) {
        proposed.append(shown.proposedName);
    }
    EXPECT_EQ(proposed, (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    const SavePanel::Settings& second = savePanel->shown.at(1);
    EXPECT_EQ(second.startFolder, pathIn(folder, "in"));
    EXPECT_EQ(second.message, "Ponle el nombre que quieras. Si eliges el original, macOS te "
                              "pedirá confirmar la sustitución.");
    EXPECT_EQ(second.prompt, "GUARDAR PDF");
    EXPECT_TRUE(second.pdfOnly && second.canCreateFolders);
    EXPECT_EQ(calledDestinations().mid(3), chosen);
    EXPECT_EQ(model.jobs().at(2).output, chosen.at(2));
}

TEST_F(QueueModelTest, CancellingAnyPanelOrGivingNoPathCancelsTheWholeBatch)
{
    queue({"a.pdf", "b.pdf", "c.pdf"});
    const QList<QList<std::optional<QString>>> answerLists{
        {pathIn(folder, "x.pdf"), pathIn(folder, "y.pdf"), std::nullopt}, {QString()}};
    for (const auto& answers : answerLists) {
        SCOPED_TRACE(::testing::Message() << answers.size() << " panels");
        savePanel->shown.clear();
        savePanel->answers = answers;
        QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
        QSignalSpy announced(&model, &CompressorModel::jobsChanged);
        model.compressAll();
        EXPECT_EQ(savePanel->shown.size(), answers.size());
        EXPECT_EQ(model.globalMessage(), saveCancelled);
        EXPECT_EQ(working.size() + announced.size(), 0);
        EXPECT_TRUE(engine.calls().isEmpty());
        EXPECT_EQ(states(model.jobs()), QList<JobState>(3, JobState::waiting()));
    }
}

TEST_F(QueueModelTest, AFileQueuedWhileThePanelsAreUpWaitsForTheNextBatch)
{
    queue({"a.pdf", "b.pdf", "c.pdf"});
    const QString late = file("late.pdf");
    savePanel->whileShown = [&] {
        if (savePanel->shown.size() == 1) {
            model.add(fileUrls({late}));
        }
    };
    savePanel->answers = {pathIn(folder, "1.pdf"), pathIn(folder, "2.pdf"),
                          pathIn(folder, "3.pdf")};
    runBatch();
    EXPECT_EQ(savePanel->shown.size(), 3);
    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_EQ(states(model.jobs()), (QList<JobState>{JobState::complete(), JobState::complete(),
                                                     JobState::complete(), JobState::waiting()}));
}

// The window drives the model from QML: what it reads and calls must get
// through the JavaScript engine's conversions, not only through C++.
TEST_F(QueueModelTest, QmlReadsAndDrivesTheModelThroughJavaScript)
{
    QJSEngine js;
    QJSEngine::setObjectOwnership(&model, QJSEngine::CppOwnership);
    js.globalObject().setProperty("model", js.newQObject(&model));
    const auto run = [&js](const QString& script) {
        const QJSValue value = js.evaluate(script);
        EXPECT_FALSE(value.isError()) << value.toString().toStdString();
        return value;
    };
    const QString a = QUrl::fromLocalFile(file("a.pdf", 400'000)).toString();
    const QString b = QUrl::fromLocalFile(file("b.pdf", 10)).toString();
    EXPECT_TRUE(run(QString("model.acceptDrop(['%1', '%2'])").arg(a, b)).toBool());
    QCoreApplication::processEvents();
    EXPECT_EQ(run("model.queue.count").toInt(), 2);
    EXPECT_EQ(run("model.queue.get(0).fileName").toString(), "a.pdf");
    EXPECT_EQ(run("model.queue.get(1).state").toString(), "waiting");
    EXPECT_TRUE(run("model.queue.get(1).savings === undefined").toBool());
    EXPECT_EQ(run("model.estimates.balanced").toNumber(), 336'008);
    EXPECT_EQ(run("model.estimatedBytes('demolition')").toNumber(), 304'007);
    EXPECT_TRUE(run("model.activeJob === undefined && model.completedJobs.length === 0").toBool());
    run("model.remove(model.queue.get(0).id)");
    EXPECT_EQ(fileNames(model.jobs()), QStringList{"b.pdf"});

    // Names QML does not know are ignored; known ones are written by name.
    run("model.profile = 'Balanced'; model.exportMode = 'replace'");
    EXPECT_EQ(model.profile(), CompressionProfile::balanced);
    EXPECT_EQ(model.exportMode(), ExportMode::chooseName);
    QSignalSpy profileChanged(&model, &CompressorModel::profileChanged);
    run("model.profile = 'demolition'; model.profile = 'demolition';"
        "model.exportMode = 'replaceOriginal'; model.targetEnabled = true;"
        "model.targetMegabytes = 2.5; model.cleanMetadata = true; model.isDropTargeted = true");
    EXPECT_EQ(profileChanged.size(), 1);
    EXPECT_EQ(model.profile(), CompressionProfile::demolition);
    EXPECT_EQ(model.exportMode(), ExportMode::replaceOriginal);
    EXPECT_TRUE(model.targetEnabled() && model.cleanMetadata() && model.isDropTargeted());
    EXPECT_EQ(model.targetMegabytes(), 2.5);
    run("model.clearAll()");
    EXPECT_FALSE(model.isDropTargeted());
}

} // namespace
} // namespace zurbo
