// CompressorModel driven as the window drives it: files in, batches run on a
// scripted engine with destinations from scripted panels, the same from QML,
// and once through the real engine.
#include "PdfFixtures.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QAbstractItemModelTester>
#include <QJSEngine>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Answer = ScriptedEngine::Answer;

const QString notAPdf = "Eso no era un PDF. Buen intento, criatura.";

class QueueModelTest : public ::testing::Test {
protected:
    QueueModelTest()
    {
        model.setCompressFunction(engine.function());
        model.setSavePanel(savePanel);
    }

    QString file(const QString& name, std::int64_t bytes = 1000)
    {
        return writeSizedFile(folder, name, bytes);
    }

    void queue(const QStringList& names)
    {
        for (const QString& name : names) {
            model.add({QUrl::fromLocalFile(file(name))});
        }
    }

    TestFolder folder;
    ScriptedEngine engine;
    std::shared_ptr<ScriptedSavePanel> savePanel = std::make_shared<ScriptedSavePanel>();
    CompressorModel model;
    // Aborts on any row change that the window's list views would misread.
    QAbstractItemModelTester rows{model.queue(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(QueueModelTest, IntakeQueuesOnlyNewReadablePdfsAndEditsGoById)
{
    QDir().mkpath(pathIn(folder, "dir.pdf"));
    const QList<QUrl> urls =
        fileUrls({file("A.PDF", 5), file("empty.pdf", 0), file("a.pdf.zip"), file("notes.txt"),
                  pathIn(folder, "dir.pdf"), pathIn(folder, "missing.pdf"), file("a.pdf", 40),
                  pathIn(folder, "a.pdf")});
    model.add(urls + QList{QUrl("https://example.org/c.pdf")});
    EXPECT_EQ(each(model.jobs(), &PDFJob::fileName),
              (QStringList{"A.PDF", "empty.pdf", "a.pdf", "a.pdf"}));
    EXPECT_EQ(each(model.jobs(), &PDFJob::originalBytes), (QList<std::int64_t>{5, 0, 40, 40}));
    EXPECT_EQ(model.globalMessage(), "");
    // Judged against the queue before the call, by the path with "." and ".." worked out.
    QDir().mkpath(pathIn(folder, "sub"));
    for (const QString nothingNew : {"sub/../a.pdf", "./A.PDF", "notes.txt", ""}) {
        model.add(nothingNew.isEmpty() ? QList<QUrl>() : fileUrls({pathIn(folder, nothingNew)}));
        EXPECT_EQ(model.globalMessage(), notAPdf) << nothingNew.toStdString();
    }
    file("b.pdf");
    model.add(fileUrls({pathIn(folder, "sub/../b.pdf")}));
    EXPECT_EQ(model.jobs().constLast().source, pathIn(folder, "sub/../b.pdf"));
    EXPECT_EQ(model.globalMessage(), "");

    model.remove(model.jobs().at(0).id);
    model.remove(QUuid::createUuid());
    auto chooser = std::make_shared<ScriptedOpenPanel>();
    model.setOpenPanel(chooser);
    model.chooseFiles(); // cancelled
    EXPECT_EQ(model.globalMessage(), "");
    chooser->answer = fileUrls({file("d.pdf"), file("c.pdf")});
    model.chooseFiles();
    EXPECT_EQ(each(model.jobs(), &PDFJob::fileName),
              (QStringList{"empty.pdf", "a.pdf", "a.pdf", "b.pdf", "d.pdf", "c.pdf"}));
    const OpenPanel::Settings& asked = chooser->shown.at(1);
    EXPECT_EQ(asked.message, "Elige los PDFs que necesitan adelgazar urgentemente.");
    EXPECT_TRUE(asked.multipleSelection && asked.pdfOnly && !asked.canChooseFolders);
    model.add({});
    model.setDropTargeted(true);
    model.clearAll();
    EXPECT_TRUE(model.jobs().isEmpty());
    EXPECT_EQ(model.globalMessage(), "");
    EXPECT_FALSE(model.isDropTargeted());
}

// The window reads and writes the model from QML, through the JavaScript
// engine's conversions: settings by name, drops, rows and figures.
TEST_F(QueueModelTest, QmlDrivesABatchInWhichOneFailureNeverStopsTheRest)
{
    QJSEngine js;
    QJSEngine::setObjectOwnership(&model, QJSEngine::CppOwnership);
    js.globalObject().setProperty("model", js.newQObject(&model));
    const auto run = [&js](const QString& script) {
        const QJSValue value = js.evaluate(script);
        EXPECT_FALSE(value.isError()) << value.toString().toStdString();
        return value.toString();
    };
    run("var names = ['profile', 'exportMode', 'targetMegabytes', 'targetEnabled',"
        "  'cleanMetadata', 'isDropTargeted'];"
        "var changes = names.map(() => 0);"
        "names.forEach((p, i) => model[p + 'Changed'].connect(() => ++changes[i]));"
        "var values = () => names.map(p => model[p]).join();");
    EXPECT_EQ(run("[values(), model.isWorking, model.globalMessage, model.overallProgress]"),
              "balanced,chooseName,10,false,false,false,false,,0");
    run("model.profile = 'Demolition'; model.exportMode = 'ReplaceOriginal';"
        "['demolition', 'replaceOriginal', 2.5, true, true, true].forEach((v, i) => {"
        "  model[names[i]] = model[names[i]]; model[names[i]] = v; model[names[i]] = v; })");
    EXPECT_EQ(run("values()"), "demolition,replaceOriginal,2.5,true,true,true");
    EXPECT_EQ(run("changes"), "1,1,1,1,1,1");

    // A drop is answered at once; its local files are queued from the event loop.
    const QList<QUrl> urls = fileUrls({file("a.pdf", 400'000), file("b.pdf", 10), file("c.pdf")});
    EXPECT_EQ(run(QString("[model.acceptDrop(['%1', 'https://x.org/e.pdf', '%2', '%3', '%4']),"
                          "model.isDropTargeted, model.queue.count]")
                      .arg(urls[0].toString(), urls[1].toString(), urls[2].toString(),
                           QUrl::fromLocalFile(file("d.pdf")).toString())),
              "true,false,0");
    QCoreApplication::processEvents();
    EXPECT_EQ(
        run("[model.queue.count, model.estimates.balanced, model.estimatedBytes('demolition')]"),
        "4,337688,305527");
    engine.script("a.pdf", Answer::succeeds(100'000));
    engine.script("b.pdf", Answer::fails("gs: se rompió"));
    engine.script("c.pdf", Answer::succeeds(1500));
    model.add({}); // a message that the batch's start clears
    QSignalSpy working(&model, &CompressorModel::isWorkingChanged);
    run("model.remove(model.queue.get(3).id); model.compressAll()");
    ASSERT_TRUE(waitForBatch(model));
    EXPECT_EQ(run("var a = model.queue.get(0); [a.fileName, a.state, a.message, a.progress,"
                  "a.originalBytes, a.outputBytes, a.savings, a.output === a.source]"),
              "a.pdf,complete,,1,400000,100000,75,true");
    EXPECT_EQ(run("var b = model.queue.get(1); [b.state, b.message, b.progress, b.output,"
                  "b.outputBytes, b.savings, b.targetReached, model.queue.get(2).savings]"),
              "failed,gs: se rompió,0,,,,,0");
    EXPECT_EQ(run("[model.completedJobs.map(j => j.fileName), model.totalOutputBytes,"
                  "model.totalSavings, model.overallProgress.toFixed(4), model.activeJob,"
                  "model.isWorking, model.globalMessage]"),
              "a.pdf,c.pdf,101500,74,0.6667,,false,");
    EXPECT_EQ(working.size(), 2);
    for (const auto& call : engine.calls()) {
        EXPECT_FALSE(call.onMainThread);
        EXPECT_TRUE(call.request.cleanMetadata);
        EXPECT_EQ(call.request.profile, CompressionProfile::demolition);
        EXPECT_EQ(call.request.targetBytes, 2'621'440);
    }

    // Every batch runs every job again; a failure keeps what an earlier run left.
    for (const char* name : {"a.pdf", "b.pdf", "c.pdf"}) {
        engine.script(name, Answer::fails("otra vez"));
    }
    model.compressAll();
    ASSERT_TRUE(waitForBatch(model));
    EXPECT_EQ(engine.calledFiles(),
              (QStringList{"a.pdf", "b.pdf", "c.pdf", "a.pdf", "b.pdf", "c.pdf"}));
    EXPECT_EQ(each(model.jobs(), &PDFJob::state), QList<JobState>(3, JobState::failed("otra vez")));
    EXPECT_EQ(model.jobs().at(0).outputBytes, 100'000);
    EXPECT_EQ(model.globalMessage(),
              "No ha adelgazado nadie. Revisa esos PDFs, que vienen torcidos.");
}

// Records the interval of each timer that fires on the main thread.
struct TimerWatch : QObject {
    std::chrono::milliseconds interval{0};
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* timer = qobject_cast<QTimer*>(watched); timer && event->type() == QEvent::Timer) {
            interval = timer->intervalAsDuration();
        }
        return false;
    }
};

TEST_F(QueueModelTest, WhileAJobIsInTheEngineItsBarMovesAndTheBatchKeepsItsSettings)
{
    QSemaphore gate; // holds each engine call until the test lets it go
    model.setCompressFunction([&gate, scripted = engine.function()](const CompressRequest& r) {
        gate.tryAcquire(1, 10'000);
        return scripted(r);
    });
    TimerWatch timers;
    qApp->installEventFilter(&timers);
    model.setExportMode(ExportMode::replaceOriginal);
    model.setProfile(CompressionProfile::respectful);
    model.setTargetEnabled(true);
    model.setTargetMegabytes(0.0);
    queue({"a.pdf", "b.pdf"});
    engine.script("a.pdf", Answer::succeeds(10, true));
    model.compressAll();
    ASSERT_TRUE(model.isWorking());
    EXPECT_EQ(model.activeJob()->id, model.jobs().at(0).id);
    EXPECT_EQ(model.activeJob()->progress, 0.04);
    model.setProfile(CompressionProfile::balanced);
    model.setCleanMetadata(true);
    model.setTargetEnabled(false);
    model.compressAll();
    model.remove(model.jobs().at(0).id);
    model.clearAll();
    queue({"late.pdf"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.jobs().at(0).progress > 0.04; }, 10'000));
    EXPECT_EQ(timers.interval, 520ms);
    EXPECT_DOUBLE_EQ(model.jobs().at(0).progress, 0.115);
    EXPECT_DOUBLE_EQ(model.overallProgress(), 0.115 / 3);
    gate.release(2);
    ASSERT_TRUE(waitForBatch(model));

    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(each(model.jobs(), &PDFJob::state),
              (QList{JobState::complete(), JobState::complete(), JobState::waiting()}));
    EXPECT_EQ(model.jobs().at(0).targetReached, true);
    for (const auto& call : engine.calls()) {
        EXPECT_EQ(call.request.profile, CompressionProfile::respectful);
        EXPECT_FALSE(call.request.cleanMetadata);
        EXPECT_EQ(call.request.targetBytes, 10'485);
    }
}

// Generated PDFs, one under a name with a non-ASCII letter, through the real
// engine (Ghostscript when installed, else the native one) in both modes.
TEST_F(QueueModelTest, ChosenNamesAndReplacedOriginalsThroughTheRealEngine)
{
    model.setCompressFunction(compressWithEngine);
    QDir().mkpath(pathIn(folder, "in"));
    const QString photo = pathIn(folder, "informe año.pdf"), text = pathIn(folder, "in/texto.pdf");
    writeFixturePdf(photo.toStdString(), imageHeavyDocument());
    writeFixturePdf(text.toStdString(), textOnlyDocument());
    model.add(fileUrls({photo, text}));
    // Cancelling any panel, or one that gives no path, cancels the whole batch.
    for (const auto& answers : {QList<std::optional<QString>>{photo}, {QString()}}) {
        savePanel->answers = answers;
        QSignalSpy announced(&model, &CompressorModel::jobsChanged);
        model.compressAll();
        EXPECT_EQ(model.globalMessage(), "Guardado cancelado. El PDF sigue aquí, tan ancho.");
        EXPECT_EQ(announced.size() + model.isWorking(), 0);
    }
    EXPECT_EQ(savePanel->shown.size(), 3);

    savePanel->shown.clear();
    const QStringList chosen{pathIn(folder, "foto.pdf"), pathIn(folder, "texto-small.pdf")};
    savePanel->answers = {chosen.at(0), chosen.at(1)};
    // A file queued while the panels are up waits for the next batch.
    savePanel->whileShown = [&] { savePanel->shown.size() == 1 ? queue({"late.pdf"}) : void(); };
    model.setTargetEnabled(true);
    for (const ExportMode mode : {ExportMode::chooseName, ExportMode::replaceOriginal}) {
        model.setExportMode(mode);
        model.compressAll();
        ASSERT_TRUE(waitForBatch(model, 300));
        for (qsizetype i = 0; i < 2; ++i) {
            const PDFJob& job = model.jobs().at(i);
            ASSERT_EQ(job.state, JobState::complete());
            EXPECT_EQ(job.output, mode == ExportMode::chooseName ? chosen.at(i) : job.source);
            EXPECT_EQ(QFileInfo(*job.output).size(), job.outputBytes);
            EXPECT_EQ(readFile(job.output->toStdString()).substr(0, 5), "%PDF-");
            EXPECT_LE(job.outputBytes, job.originalBytes);
            EXPECT_EQ(job.targetReached, true);
        }
        EXPECT_LT(*model.jobs().at(0).outputBytes * 2, model.jobs().at(0).originalBytes);
        EXPECT_EQ(folder.entries().size(), 5u); // no working files left behind
    }
    // Not a PDF at all: the engine's refusal is the job's message.
    EXPECT_EQ(model.jobs().at(2).state.kind(), JobState::Kind::failed);
    EXPECT_NE(model.jobs().at(2).state.message(), "");
    QStringList proposed;
    for (const SavePanel::Settings& shown : savePanel->shown) {
        proposed.append(shown.proposedName);
    }
    EXPECT_EQ(proposed, (QStringList{"informe año.pdf", "texto.pdf"}));
    const SavePanel::Settings& second = savePanel->shown.at(1);
    EXPECT_EQ(second.startFolder, pathIn(folder, "in"));
    EXPECT_EQ(second.message, "Ponle el nombre que quieras. Si eliges el original, macOS te "
                              "pedirá confirmar la sustitución.");
    EXPECT_EQ(second.prompt, "GUARDAR PDF");
}

} // namespace
} // namespace zurbo

// The model needs an event loop to bring engine outcomes and ticks back.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
