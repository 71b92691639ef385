#include "ByteText.h"
#include "FileBrowserReveal.h"
#include "FinderServicePanelController.h"
#include "PdfFixtures.h"
#include "ShellTestSupport.h"

#include <QDir>
#include <QQuickItem>
#include <QQuickView>

#include <tuple>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileUrls;
using testing::pathIn;
using Answer = testing::ScriptedEngine::Answer;

// The run model

using FinderServiceProgressModelTest = testing::ShellTest;

TEST_F(FinderServiceProgressModelTest, NamesTheSourcesWhileWorking)
{
    for (const auto& [names, title] :
         {std::pair{QStringList{"a.pdf"}, "APLASTANDO\nTU PDF"},
          std::pair{QStringList{"a.pdf", "b.pdf", "c.pdf"}, "APLASTANDO\n3 PDFS"}}) {
        SCOPED_TRACE(title);
        const auto model = makeModel(names);
        EXPECT_EQ(model->statusTitle(), title);
        EXPECT_EQ(model->phase(), FinderServicePhase::working());
        EXPECT_EQ(model->progress(), 0.03);
        EXPECT_EQ(model->statusPhrase(), "Calentando la prensa de megas...");
        EXPECT_EQ(model->originalBytes(), 1000 * names.size());
    }
}

TEST(FinderServicePhraseTest, FollowsTheBarInFifths)
{
    for (const auto& [progress, phrase] :
         {std::pair{0.03, "Calentando la prensa de megas..."},
          std::pair{0.2, "Las tipografías quedan a salvo."},
          std::pair{0.99, "Guardando los restos con dignidad..."},
          std::pair{1.0, "Guardando los restos con dignidad..."}}) {
        SCOPED_TRACE(progress);
        EXPECT_EQ(FinderServiceProgressModel::progressPhrase(progress), phrase);
    }
}

TEST_F(FinderServiceProgressModelTest, AsksWhereEachSourceGoesAndCompressesItWithFixedSettings)
{
    engine.script("a.pdf", Answer::succeeds(400));
    engine.script("b.pdf", Answer::succeeds(100));
    const auto model = makeModel({"a.pdf", "b.pdf"});
    ASSERT_TRUE(runToEnd(*model));

    ASSERT_EQ(panel->shown.size(), 2);
    const SavePanel::Settings& first = panel->shown.at(0);
    EXPECT_EQ(first.message, "Mantén el nombre para sustituirlo o escribe otro. Tú mandas.");
    EXPECT_TRUE(first.pdfOnly && first.canCreateFolders);
    EXPECT_EQ(first.startFolder, pathIn(folder, ""));
    EXPECT_EQ(first.proposedName, "a.pdf");
    EXPECT_EQ(panel->shown.at(1).proposedName, "b.pdf");

    EXPECT_EQ(model->statusPhrase(), "Ya cabe donde antes daba vergüenza enviarlo.");
    EXPECT_EQ(model->completedCount(), 2);
    EXPECT_EQ(model->outputBytes(), 500);
    const auto calls = engine.calls();
    ASSERT_EQ(calls.size(), 2);
    for (const auto& call : calls) {
        EXPECT_FALSE(call.onMainThread || call.request.targetBytes || call.request.cleanMetadata);
        EXPECT_EQ(call.request.profile, CompressionProfile::balanced);
    }
    EXPECT_EQ(calls.at(1).request.destination, pathIn(folder, "out/b.pdf"));
}

TEST_F(FinderServiceProgressModelTest, BackingOutOfTheSecondPanelCompressesNothing)
{
    const QString cancelled = "Guardado cancelado. Aquí no sustituimos nada a traición.";
    const auto model = makeModel({"a.pdf", "b.pdf", "c.pdf"});
    panel->answers[1] = std::nullopt;
    model->start();
    QTest::qWait(50);

    EXPECT_EQ(panel->shown.size(), 2);
    EXPECT_TRUE(engine.calls().isEmpty());
    EXPECT_EQ(model->phase(), FinderServicePhase::failed(cancelled));
    EXPECT_EQ(model->statusPhrase(), cancelled);
    EXPECT_EQ(model->statusTitle(), "EL PDF\nHA GANADO");
    EXPECT_EQ(model->completedCount(), 0);
}

TEST_F(FinderServiceProgressModelTest, AFailingFileStopsTheRunAndKeepsWhatWasSaved)
{
    engine.script("a.pdf", Answer::succeeds(300));
    engine.script("b.pdf", Answer::fails("gs: la página 2 está rota"));
    const auto model = makeModel({"a.pdf", "b.pdf", "c.pdf"});
    ASSERT_TRUE(runToEnd(*model));
    QTest::qWait(50);

    EXPECT_EQ(engine.calledFiles(), (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(model->completedCount(), 1);
    EXPECT_EQ(model->outputURLs(), fileUrls({pathIn(folder, "out/a.pdf")}));
    EXPECT_EQ(model->outputBytes(), 300);
    const QString message = QString::fromUtf8(
        PDFEngine::EngineError::compressionFailed("gs: la página 2 está rota").what());
    EXPECT_EQ(model->phase(), FinderServicePhase::failed(message));
    EXPECT_EQ(model->statusPhrase(), message);
}

// The ticker's share of the bar per file, read at every change while that
// file is in the engine.
TEST_F(FinderServiceProgressModelTest, TheTickerStaysInsideEachFilesShare)
{
    engine.script("a.pdf", Answer::succeeds(1, {}, 900ms));
    engine.script("b.pdf", Answer::succeeds(1, {}, 900ms));
    const auto model = makeModel({"a.pdf", "b.pdf"});
    QList<double> first;
    QList<double> second;
    QObject::connect(model.get(), &FinderServiceProgressModel::progressChanged, [&] {
        if (model->activeFile() == "a.pdf" && model->completedCount() == 0) {
            first.append(model->progress());
        } else if (model->activeFile() == "b.pdf" && model->completedCount() == 1) {
            second.append(model->progress());
        }
    });
    ASSERT_TRUE(runToEnd(*model));

    for (const auto& [share, low, high] :
         {std::tuple{first, 0.025, 0.45}, std::tuple{second, 0.525, 0.95}}) {
        ASSERT_GE(share.size(), 3) << "the ticker should have moved the bar";
        EXPECT_DOUBLE_EQ(share.first(), low);
        for (double progress : share) {
            EXPECT_GE(progress, low - 1e-9);
            EXPECT_LE(progress, high + 1e-9);
        }
        EXPECT_GT(share.last(), share.first());
    }
}

// The real engine keeps the source when its output would be larger, and
// reports the source's size; the run counts exactly that.
TEST_F(FinderServiceProgressModelTest, AnOutputLargerThanItsSourceCountsTheOriginalSize)
{
    const QString source = pathIn(folder, "text.pdf");
    testing::writeFixturePdf(source.toStdString(), testing::textOnlyDocument());
    panel->answers.push_back(pathIn(folder, "text-small.pdf"));
    FinderServiceProgressModel model(fileUrls({source}), panel);
    ASSERT_TRUE(runToEnd(model));

    EXPECT_EQ(model.phase(), FinderServicePhase::complete());
    EXPECT_GT(model.originalBytes(), 0);
    EXPECT_EQ(model.outputBytes(), model.originalBytes());
}

// Its view

class RecordingFileBrowser : public FileBrowserReveal {
public:
    void reveal(const QString& path) override { revealed.append(path); }
    QStringList revealed;
};

class FinderServiceProgressViewTest : public testing::ShellTest {
protected:
    // A run over sources of one size, shown in the view.
    void makeRun(const QStringList& names, qint64 bytes)
    {
        model = makeModel(names, bytes);
        view.setInitialProperties({{"model", QVariant::fromValue(model.get())},
                                   {"fileBrowser", QVariant::fromValue(&fileBrowser)}});
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.setSource(QUrl("qrc:/qt-project.org/imports/Zurbo/FinderServiceProgressView.qml"));
        ASSERT_NE(view.rootObject(), nullptr) << "the view did not load";
        view.show();
    }

    QQuickItem* item(const char* name) const
    {
        auto* found = view.rootObject()->findChild<QQuickItem*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) const { return item(name)->property("text").toString(); }
    bool shown(const char* name) const { return item(name)->isVisible(); }

    void saveScreenshot(const QString& phase)
    {
        QTest::qWait(300); // the bar's animation
        QDir().mkpath(ZURBO_SCREENSHOT_DIR);
        EXPECT_TRUE(view.grabWindow().save(QString(ZURBO_SCREENSHOT_DIR) + "/quick-action-" +
                                           phase + ".png"));
    }

    RecordingFileBrowser fileBrowser;
    std::unique_ptr<FinderServiceProgressModel> model;
    QQuickView view;
};

TEST_F(FinderServiceProgressViewTest, OneSourceShowsWholePercentsAndNamesTheProfile)
{
    makeRun({"a.pdf"}, 10);
    EXPECT_EQ(text("percentText"), "3%");
    EXPECT_EQ(text("workingNote"), "PERFIL SIN PIEDAD · 150 PPP");
    for (const auto& [progress, percent] :
         {std::pair{0.03, "3%"}, std::pair{0.999, "99%"}, std::pair{1.0, "100%"}}) {
        QVariant result;
        QMetaObject::invokeMethod(view.rootObject(), "percentText", Q_RETURN_ARG(QVariant, result),
                                  Q_ARG(QVariant, progress));
        EXPECT_EQ(result.toString(), percent) << progress;
    }
}

TEST_F(FinderServiceProgressViewTest, WhileWorkingCountsTheTamedFilesAndNamesTheCurrentOne)
{
    engine.script("b.pdf", Answer::succeeds(5, {}, 1500ms));
    makeRun({"a.pdf", "b.pdf", "c.pdf"}, 10);
    EXPECT_EQ(text("workingNote"), "0/3 PDFS DOMADOS");
    model->start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 1; }, 5000));

    EXPECT_EQ(text("workingNote"), "1/3 PDFS DOMADOS");
    EXPECT_TRUE(shown("activeFile"));
    EXPECT_EQ(text("activeFile"), "b.pdf");
    EXPECT_TRUE(shown("hideButton") && shown("heroIllustration"));
    EXPECT_FALSE(shown("revealButton") || shown("savingsLine"));
    saveScreenshot("working");
    ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 3; }, 5000));
}

TEST_F(FinderServiceProgressViewTest, ACompleteRunShowsItsSavingsAndRevealsEveryOutput)
{
    engine.script("big.pdf", Answer::succeeds(2621440));
    makeRun({"big.pdf"}, 10485760);
    ASSERT_TRUE(runToEnd(*model));

    const ByteText bytes;
    EXPECT_EQ(text("savingsLine"), QString("\u221275% · ") + bytes.format(10485760) + " \u2192 " +
                                       bytes.format(2621440));
    EXPECT_EQ(text("percentText"), "100%");
    EXPECT_EQ(text("readyNote"), "PDF LISTO PARA SALIR");
    EXPECT_EQ(text("statusTitle"), "MISIÓN\nCUMPLIDA");
    EXPECT_FALSE(shown("activeFile") || shown("workingNote"));
    EXPECT_TRUE(shown("closeButton") && shown("mascot"));
    saveScreenshot("complete");

    QMetaObject::invokeMethod(item("revealButton"), "clicked");
    EXPECT_EQ(fileBrowser.revealed, QStringList{testing::pathIn(folder, "out/big.pdf")});
    EXPECT_TRUE(view.isVisible());
}

TEST_F(FinderServiceProgressViewTest, ALargerResultShowsNoSaving)
{
    engine.script("a.pdf", Answer::succeeds(3000));
    engine.script("b.pdf", Answer::succeeds(3000));
    makeRun({"a.pdf", "b.pdf"}, 2000);
    ASSERT_TRUE(runToEnd(*model));
    EXPECT_TRUE(text("savingsLine").startsWith("\u22120% · ")) << text("savingsLine").toStdString();
    EXPECT_EQ(text("readyNote"), "PDFS LISTOS PARA SALIR");
}

TEST_F(FinderServiceProgressViewTest, AFailedRunSaysWhyAndOffersOnlyToClose)
{
    makeRun({"a.pdf"}, 10);
    panel->answers.clear();
    ASSERT_TRUE(runToEnd(*model));

    EXPECT_EQ(text("statusPhrase"), "Guardado cancelado. Aquí no sustituimos nada a traición.");
    EXPECT_EQ(text("failureNote"), "EL PDF SE HA PUESTO DIGNO");
    EXPECT_FALSE(shown("activeFile") || shown("hideButton"));
    EXPECT_TRUE(shown("failedCloseButton"));
    saveScreenshot("failed");
}

// The panel that hosts the view

class FinderServicePanelControllerTest : public testing::ShellTest {
protected:
    FinderServicePanelController controller{{panel, engine.function(), nullptr}};
    QList<QUrl> sources = addSources({"a.pdf", "b.pdf"}, 100);
    int closes = 0;
};

TEST_F(FinderServicePanelControllerTest, ShowsAFloatingToolPanelAndAsksForEveryDestination)
{
    controller.show(sources, [this] { ++closes; });
    QQuickView* shown = controller.panel();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->title(), "ZURBO");
    EXPECT_EQ(shown->size(), QSize(570, 350));
    EXPECT_EQ(shown->minimumSize(), shown->maximumSize());
    EXPECT_EQ(shown->type(), Qt::Tool);
    EXPECT_TRUE(shown->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(shown->geometry().center(), shown->screen()->availableGeometry().center());
    // The dialogs were answered before show() returned; the run goes on after.
    EXPECT_EQ(panel->shown.size(), 2);
    ASSERT_NE(controller.model(), nullptr);
    EXPECT_EQ(controller.model()->sourceURLs(), sources);
    EXPECT_TRUE(QTest::qWaitFor([this] { return controller.model()->completedCount() == 2; }));
    EXPECT_EQ(closes, 0);
}

// Closing the window itself is checked through the delegate's panels.
TEST_F(FinderServicePanelControllerTest, TheViewsCloseButtonClosesThePanelOnce)
{
    controller.show(sources, [this] { ++closes; });
    QPointer<QQuickView> shown = controller.panel();
    QMetaObject::invokeMethod(shown->rootObject(), "closeRequested");
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(controller.panel(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&shown] { return shown.isNull(); }));
    controller.windowWillClose();
    EXPECT_EQ(closes, 1);
}

} // namespace
} // namespace zurbo
