// The queue's pieces and CompressorModel driven as the window drives it: files
// in, batches on a scripted engine and from QML, and through the real engine.
#include "BatchSettings.h"
#include "FinderServiceProgressModel.h"
#include "NamedStep.h"
#include "PdfFixtures.h"
#include "ProgressTicker.h"
#include "QueueFigures.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QJSEngine>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace zurbo {
namespace {

// Savings of a usual job are read from QML below; a file of no bytes has none.
TEST(JobRecordsTest, SavingsNeedASourceAndFailuresCompareByMessage)
{
    PDFJob empty = PDFJob::queued("a.pdf", 0);
    empty.outputBytes = 10;
    EXPECT_EQ(empty.savings(), std::nullopt);
    EXPECT_EQ(JobState::failed("a"), JobState::failed("a"));
    EXPECT_NE(JobState::failed("a"), JobState::failed("b"));
    EXPECT_NE(JobState::waiting(), JobState::compressing());
}

TEST(QueueFiguresTest, EstimatesAddTruncatedPerFileFiguresAcrossTheSizeBands)
{
    using enum CompressionProfile;
    const std::tuple<std::int64_t, CompressionProfile, std::int64_t> cases[] = {
        {100, demolition, 76},          {524287, respectful, 482344},   {524288, balanced, 298844},
        {524288, demolition, 214958},   {2097151, respectful, 1593834}, {2097152, balanced, 650117},
        {2097152, respectful, 1090519}, {2097152, demolition, 398458}};
    for (const auto& [bytes, profile, estimate] : cases) {
        EXPECT_EQ(estimatedBytes({PDFJob::queued("a", bytes)}, profile), estimate)
            << bytes << rawValue(profile);
    }
}

TEST(BatchSettingsTest, TargetByteCountsAreBoundedBelow)
{
    const std::pair<double, std::int64_t> cases[] = {
        {2.5, 2'621'440}, {0.005, 10'485}, {-3.0, 10'485}, {NAN, 10'485}};
    for (const auto& [megabytes, bytes] : cases) {
        EXPECT_EQ(BatchSettings::targetByteCount(megabytes), bytes) << megabytes << " MB";
    }
}

TEST(ProgressTickerTest, GrowsFastThenSlowlyAndHoldsAtTheCap)
{
    JobListModel jobs;
    jobs.append({{.id = QUuid::createUuid(), .state = JobState::compressing(), .progress = 0.04}});
    ProgressTicker ticker(&jobs, jobs.jobs().at(0).id, std::chrono::hours(1)); // ticked by hand
    const double expected[] = {0.115, 0.19, 0.265, 0.34, 0.415, 0.49, 0.565, 0.59,
                               0.615, 0.64, 0.665, 0.69, 0.715, 0.74, 0.765, 0.79,
                               0.815, 0.84, 0.865, 0.89, 0.915, 0.93, 0.93,  0.93};
    for (std::size_t tick = 0; tick < std::size(expected); ++tick) {
        ticker.tick();
        EXPECT_NEAR(jobs.jobs().at(0).progress, expected[tick], 1e-12) << "tick " << tick + 1;
    }
}

TEST(FinderServicePhraseTest, FollowsTheBarInFifths)
{
    const char* phrases[] = {"Calentando la prensa de megas...", "Las tipografías quedan a salvo.",
                             "Quitando aire premium del PDF...",
                             "Aplastando imágenes con educación...",
                             "Guardando los restos con dignidad..."};
    for (int index = 0; index < 5; ++index) {
        for (const double progress : {index * 0.2, index * 0.2 + 0.199}) {
            EXPECT_EQ(FinderServiceProgressModel::progressPhrase(progress), phrases[index]);
        }
    }
    EXPECT_EQ(FinderServiceProgressModel::tickInterval, std::chrono::milliseconds(260));
}

using namespace testing;

class QueueModelTest : public ::testing::Test {
protected:
    QString file(const QString& name, std::int64_t bytes = 1000)
    {
        return writeSizedFile(folder, name, bytes);
    }

    TestFolder folder;
    ScriptedEngine engine;
    std::shared_ptr<ScriptedSavePanel> savePanel = std::make_shared<ScriptedSavePanel>();
    CompressorModel model;
    // Aborts on any row change that the window's list views would misread.
    QAbstractItemModelTester rows{model.queue(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(QueueModelTest, IntakeQueuesOnlyNewReadablePdfsInTheirOrder)
{
    QDir().mkpath(pathIn(folder, "dir.pdf"));
    const QList<QUrl> urls =
        fileUrls({file("A.PDF", 5), file("empty.pdf", 0), file("a.pdf.zip"), file("notes.txt"),
                  pathIn(folder, "dir.pdf"), pathIn(folder, "missing.pdf"), file("a.pdf", 40),
                  pathIn(folder, "a.pdf")});
    model.add(urls + QList{QUrl("https://example.org/c.pdf")});
    EXPECT_EQ(each(model.jobs(), &PDFJob::originalBytes), (QList<std::int64_t>{5, 0, 40, 40}));
    EXPECT_EQ(model.globalMessage(), "");
    // Judged against the queue before the call, by the path with "." and ".." worked out.
    for (const QString nothingNew : {"dir.pdf/../a.pdf", "./A.PDF", "notes.txt", ""}) {
        model.add(nothingNew.isEmpty() ? QList<QUrl>() : fileUrls({pathIn(folder, nothingNew)}));
        EXPECT_EQ(model.globalMessage(), "Eso no era un PDF. Buen intento, criatura.")
            << nothingNew.toStdString();
    }
    file("b.pdf");
    model.add(fileUrls({pathIn(folder, "dir.pdf/../b.pdf")}));
    EXPECT_EQ(model.globalMessage(), "");

    auto chooser = std::make_shared<ScriptedOpenPanel>();
    model.setOpenPanel(chooser);
    model.chooseFiles(); // cancelled
    EXPECT_EQ(model.globalMessage(), "");
    chooser->answer = fileUrls({file("d.pdf"), file("c.pdf")});
    model.chooseFiles();
    EXPECT_EQ(each(model.jobs(), &PDFJob::fileName),
              (QStringList{"A.PDF", "empty.pdf", "a.pdf", "a.pdf", "b.pdf", "d.pdf", "c.pdf"}));
    const OpenPanel::Settings& asked = chooser->shown.at(1);
    EXPECT_EQ(asked.message, "Elige los PDFs que necesitan adelgazar urgentemente.");
    EXPECT_TRUE(asked.multipleSelection && asked.pdfOnly && !asked.canChooseFolders);
}

// Remembers the interval of the last timer that fired on the main thread.
struct TimerWatch : QObject {
    std::chrono::milliseconds interval{0};
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* timer = event->type() == QEvent::Timer ? qobject_cast<QTimer*>(watched) : nullptr;
        interval = timer ? timer->intervalAsDuration() : interval;
        return false;
    }
};

// The window reads and writes the model from QML, through the JavaScript
// engine's conversions: settings by name, drops, rows and figures.
TEST_F(QueueModelTest, QmlDrivesBatchesInWhichOneFailureNeverStopsTheRest)
{
    QJSEngine js;
    QJSEngine::setObjectOwnership(&model, QJSEngine::CppOwnership);
    js.globalObject().setProperty("model", js.newQObject(&model));
    const auto run = [&js](const QString& script) {
        const QJSValue value = js.evaluate(script);
        EXPECT_FALSE(value.isError()) << value.toString().toStdString();
        return value.toString();
    };
    QSemaphore gate; // holds the engine until the test lets it go
    step("settings are written by name and announced only when they change", [&] {
        run("var names = ['profile', 'exportMode', 'targetMegabytes', 'targetEnabled',"
            "  'cleanMetadata', 'isDropTargeted'];"
            "var changes = names.map(() => 0);"
            "names.forEach((p, i) => model[p + 'Changed'].connect(() => ++changes[i]));"
            "var values = () => names.map(p => model[p]).join();");
        // Names that are not exactly a profile's or a mode's are ignored.
        EXPECT_EQ(run("model.profile = 'Demolition'; model.exportMode = 'ReplaceOriginal';"
                      "[values(), model.isWorking, model.globalMessage, model.overallProgress]"),
                  "balanced,chooseName,10,false,false,false,false,,0");
        run("['demolition', 'replaceOriginal', 2.5, true, true, true].forEach((v, i) => {"
            "  model[names[i]] = model[names[i]]; model[names[i]] = v; model[names[i]] = v; })");
        EXPECT_EQ(run("[values(), changes]"),
                  "demolition,replaceOriginal,2.5,true,true,true,1,1,1,1,1,1");
    });
    // Local files, file://localhost/ ones too.
    step("a drop is answered at once and its files queued from the event loop", [&] {
        const QList<QUrl> urls =
            fileUrls({file("a.pdf", 400'000), file("b.pdf", 10), file("c.pdf", 1001)});
        EXPECT_EQ(run(QString("[model.acceptDrop(['%1', 'https://x.org/e.pdf', '%2', '%3', '%4']),"
                              "model.isDropTargeted, model.queue.count]")
                          .arg(urls[0].toString(), urls[1].toString(), urls[2].toString(),
                               "file://localhost" + file("d.pdf"))),
                  "true,false,0");
        QCoreApplication::processEvents();
        EXPECT_EQ(run("[model.queue.count, model.estimates.balanced, "
                      "model.estimatedBytes('demolition')]"),
                  "4,337688,305527");
    });
    step("a batch takes its settings once and goes on past a failure", [&] {
        engine.script("a.pdf", ScriptedEngine::Answer::succeeds(100'000));
        engine.script("b.pdf", ScriptedEngine::Answer::fails("gs: se rompió"));
        engine.script("c.pdf", ScriptedEngine::Answer::succeeds(1500));
        model.setCompressFunction([&gate, scripted = engine.function()](const CompressRequest& r) {
            gate.tryAcquire(1, 10'000);
            return scripted(r);
        });
        TimerWatch timers;
        qApp->installEventFilter(&timers);
        model.add({}); // a message that the batch's start clears
        QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
        run("model.remove(model.queue.get(3).id); model.compressAll()");
        EXPECT_EQ(run("var active = model.activeJob; [model.isWorking, model.globalMessage,"
                      "active.fileName, active.state, active.progress]"),
                  "true,,a.pdf,compressing,0.04");
        // None of this reaches the running batch; the new file waits for the next one.
        run("model.profile = 'respectful'; model.cleanMetadata = false; model.targetEnabled = "
            "false;"
            "model.compressAll(); model.remove(model.queue.get(0).id); model.clearAll()");
        model.add(fileUrls({file("late.pdf")}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.jobs().at(0).progress > 0.04; }, 10'000));
        EXPECT_EQ(timers.interval, std::chrono::milliseconds(520));
        EXPECT_DOUBLE_EQ(model.overallProgress(), 0.115 / 4);
        gate.release(100);
        ASSERT_TRUE(waitForBatch(model));

        EXPECT_EQ(run("var a = model.queue.get(0); [a.fileName, a.state, a.message, a.progress,"
                      "a.originalBytes, a.outputBytes, a.savings, a.output === a.source]"),
                  "a.pdf,complete,,1,400000,100000,75,true");
        EXPECT_EQ(run("var b = model.queue.get(1); [b.state, b.message, b.progress, b.output,"
                      "b.outputBytes, b.savings, b.targetReached, model.queue.get(2).savings]"),
                  "failed,gs: se rompió,0,,,,,0");
        EXPECT_EQ(
            run("[model.completedJobs.map(j => j.fileName), model.totalOutputBytes,"
                "model.totalSavings, model.overallProgress, model.activeJob, model.globalMessage,"
                "model.queue.get(3).state]"),
            "a.pdf,c.pdf,101500,74,0.5,,,waiting");
        EXPECT_EQ(working.size(), 2);
        for (const auto& [request, onMainThread] : engine.calls()) {
            EXPECT_TRUE(!onMainThread && request.profile == CompressionProfile::demolition &&
                        request.cleanMetadata && request.targetBytes == 2'621'440);
        }
    });
    step("every batch runs every job again; a failure keeps what an earlier run left", [&] {
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf", "late.pdf"}) {
            engine.script(name, ScriptedEngine::Answer::fails("otra vez"));
        }
        model.compressAll();
        ASSERT_TRUE(waitForBatch(model));
        const CompressRequest next = engine.calls().constLast().request;
        EXPECT_TRUE(next.profile == CompressionProfile::respectful && !next.cleanMetadata &&
                    !next.targetBytes);
        EXPECT_EQ(each(model.jobs(), &PDFJob::state),
                  QList<JobState>(4, JobState::failed("otra vez")));
        EXPECT_EQ(model.jobs().at(0).outputBytes, 100'000);
        EXPECT_EQ(run("[model.totalOutputBytes, model.totalSavings, model.globalMessage]"),
                  "0,0,No ha adelgazado nadie. Revisa esos PDFs, que vienen torcidos.");
        EXPECT_EQ(run("model.isDropTargeted = true; model.clearAll();"
                      "[model.queue.count, model.globalMessage, model.isDropTargeted]"),
                  "0,,false");
    });
}

// A window closed mid-batch stops the engine call, which runs on threads of its own:
// the global pool (page previews) stays free even when it has one thread.
TEST_F(QueueModelTest, StopsTheEngineWhenClosed)
{
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    std::atomic<bool> stopped = false;
    auto closing = std::make_unique<CompressorModel>();
    closing->add(fileUrls({file("a.pdf")}));
    closing->setExportMode(ExportMode::replaceOriginal);
    closing->setCompressFunction(waitingForStop(stopped));
    closing->compressAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing->activeJob().has_value(); }));
    std::atomic<bool> previewed = false;
    QThreadPool::globalInstance()->start([&previewed] { previewed = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return previewed.load(); }, 5000));
    closing.reset();
    waitForEngineCalls();
    EXPECT_TRUE(stopped);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

// Generated PDFs, one under a name with a non-ASCII letter, through the real
// engine (Ghostscript when installed, else the native one) in both modes.
TEST_F(QueueModelTest, ChosenNamesAndReplacedOriginalsThroughTheRealEngine)
{
    model.setCompressFunction(compressWithEngine);
    model.setSavePanel(savePanel);
    QDir().mkpath(pathIn(folder, "in"));
    const QString photo = pathIn(folder, "informe año.pdf"), text = pathIn(folder, "in/texto.pdf");
    writeFixturePdf(photo.toStdString(), imageHeavyDocument());
    writeFixturePdf(text.toStdString(), textOnlyDocument());
    model.add(fileUrls({photo, text}));
    // Cancelling any panel, or one that gives no path, cancels the whole batch.
    for (const auto& answers : {QList<std::optional<QString>>{photo}, {QString(), photo}}) {
        savePanel->answers = answers;
        QSignalSpy announced(&model, &CompressorModel::jobsChanged);
        model.compressAll();
        EXPECT_EQ(model.globalMessage(), "Guardado cancelado. El PDF sigue aquí, tan ancho.");
        EXPECT_EQ(announced.size() + model.isWorking(), 0);
    }

    savePanel->shown.clear();
    const QStringList chosen{pathIn(folder, "foto.pdf"), pathIn(folder, "texto-small.pdf")};
    savePanel->answers = {chosen.at(0), chosen.at(1)};
    // A file queued while the panels are up waits for the next batch.
    savePanel->whileShown = [&] { model.add(fileUrls({file("late.pdf")})); };
    model.setTargetEnabled(true);
    for (const ExportMode mode : {ExportMode::replaceOriginal, ExportMode::chooseName}) {
        model.setExportMode(mode);
        model.compressAll();
        ASSERT_TRUE(waitForBatch(model, 300));
        for (qsizetype i = 0; i < 2; ++i) {
            const PDFJob& job = model.jobs().at(i);
            ASSERT_EQ(job.state, JobState::complete());
            EXPECT_EQ(job.output, mode == ExportMode::chooseName ? chosen.at(i) : job.source);
            EXPECT_EQ(QFileInfo(*job.output).size(), job.outputBytes);
            EXPECT_EQ(job.targetReached, true);
        }
        EXPECT_LT(*model.jobs().at(0).outputBytes * 2, model.jobs().at(0).originalBytes);
        EXPECT_EQ(folder.entries().size(),
                  mode == ExportMode::chooseName ? 5u : 2u); // no temp files
    }
    EXPECT_EQ(model.jobs().at(2).state, JobState::waiting());
    const SavePanel::Settings& second = savePanel->shown.at(1);
    EXPECT_EQ(savePanel->shown.at(0).proposedName, "informe año.pdf");
    EXPECT_EQ(second.proposedName, "texto.pdf");
    EXPECT_EQ(second.startFolder, pathIn(folder, "in"));
    EXPECT_EQ(second.message, "Ponle el nombre que quieras. Si eliges el original, tendrás "
                              "que confirmar la sustitución.");
    EXPECT_EQ(second.prompt, "GUARDAR PDF");
}

} // namespace
} // namespace zurbo

// The model needs an event loop to bring engine outcomes and ticks back; the
// file dialog's test needs widgets, drawn nowhere.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
