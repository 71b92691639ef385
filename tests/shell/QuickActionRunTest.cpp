#include "ByteText.h"
#include "FileBrowserReveal.h"
#include "FinderServicePanelController.h"
#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QDir>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::pathIn;
using Answer = testing::ScriptedEngine::Answer;

TEST(FinderServicePhraseTest, FollowsTheBarInFifths)
{
    const char* phrases[] = {"Calentando la prensa de megas...", "Las tipografías quedan a salvo.",
                             "Quitando aire premium del PDF...",
                             "Aplastando imágenes con educación...",
                             "Guardando los restos con dignidad..."};
    for (const auto& [progress, index] : {std::pair{0.03, 0},
                                          {0.199, 0},
                                          {0.2, 1},
                                          {0.4, 2},
                                          {0.6, 3},
                                          {0.8, 4},
                                          {0.99, 4},
                                          {1.0, 4}}) {
        EXPECT_EQ(FinderServiceProgressModel::progressPhrase(progress), phrases[index]) << progress;
    }
    EXPECT_EQ(FinderServiceProgressModel::tickInterval, 260ms);
}

class RecordingFileBrowser : public FileBrowserReveal {
public:
    void reveal(const QString& path) override { revealed.append(path); }
    QStringList revealed;
};

// A quick-action panel over sources in a fresh folder, a scripted engine, and
// save dialogs that put the first `answered` sources in "out/" under their
// own names and then back out.
class FinderServicePanelTest : public ::testing::Test {
protected:
    // Returns once the dialogs are answered, before the compression begins.
    void open(const QStringList& names, qint64 bytes = 1000, qsizetype answered = 3)
    {
        QStringList paths;
        for (const QString& name : names) {
            paths.append(testing::writeSizedFile(folder, name, bytes));
        }
        for (const QString& name : names.mid(0, answered)) {
            panel->answers.push_back(pathIn(folder, "out/" + name));
        }
        controller.show(testing::fileUrls(paths), [this] { ++closes; });
        model = controller.model();
        ASSERT_TRUE(controller.panel() && (view = controller.panel()->rootObject()));
    }

    bool runToEnd() const
    {
        return QTest::qWaitFor(
            [this] { return !model->phase().is(FinderServicePhase::Kind::working); });
    }
    QQuickItem* item(const char* name) const { return view->findChild<QQuickItem*>(name); }
    // The texts of the named items, joined by "|".
    QString texts(std::initializer_list<const char*> names) const
    {
        QStringList texts;
        for (const char* name : names) {
            texts.append(item(name)->property("text").toString());
        }
        return texts.join('|');
    }
    // Those of the items that come and go that are on screen.
    QString onScreen() const
    {
        QStringList names;
        for (const char* name : {"activeFile", "heroIllustration", "mascot", "workingNote",
                                 "hideButton", "savingsLine", "readyNote", "revealButton",
                                 "closeButton", "failureNote", "failedCloseButton"}) {
            names.append(item(name)->isVisible() ? name : "");
        }
        return names.join(' ').simplified();
    }
    void screenshot(const QString& state) const
    {
        QTest::qWait(300); // the bar's animation
        QDir().mkpath(ZURBO_SCREENSHOT_DIR);
        EXPECT_TRUE(controller.panel()->grabWindow().save(ZURBO_SCREENSHOT_DIR "/quick-action-" +
                                                          state + ".png"));
    }
    // The button closes the panel and the close action runs, once.
    void closeWith(const char* button)
    {
        QPointer<QQuickView> window = controller.panel();
        QMetaObject::invokeMethod(item(button), "clicked");
        EXPECT_TRUE(QTest::qWaitFor([&window] { return window.isNull(); }));
        controller.windowWillClose();
        EXPECT_EQ(closes, 1);
        EXPECT_EQ(controller.panel(), nullptr);
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
    RecordingFileBrowser fileBrowser;
    FinderServicePanelController controller{{panel, engine.function(), &fileBrowser}};
    FinderServiceProgressModel* model = nullptr;
    QQuickItem* view = nullptr;
    int closes = 0;
};

// Every destination first, then one file after another with fixed settings;
// while a file is in the engine the bar shows 5 % of its share at once and
// 4.5 % more at each tick.
TEST_F(FinderServicePanelTest, AFloatingPanelRunsEachFileInTurnAndShowsTheSavings)
{
    const QStringList names{"a.pdf", "b.pdf"};
    engine.script("a.pdf", Answer::succeeds(1310720, {}, 900ms));
    engine.script("b.pdf", Answer::succeeds(1310720, {}, 900ms));
    open(names, 5242880);
    QList<double> ticks[2];
    QObject::connect(model, &FinderServiceProgressModel::progressChanged, [&] {
        const int file = names.indexOf(model->activeFile());
        if (file >= 0 && model->completedCount() == file) {
            ticks[file].append(model->progress());
        }
    });
    QQuickView* window = controller.panel();
    EXPECT_EQ(std::tuple(window->title(), window->size(), window->maximumSize(), window->type()),
              std::tuple(QString("ZURBO"), QSize(570, 350), QSize(570, 350), Qt::Tool));
    EXPECT_TRUE(window->isVisible() && window->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->geometry().center(), window->screen()->availableGeometry().center());
    EXPECT_EQ(texts({"statusTitle", "percentText", "statusPhrase", "workingNote"}),
              "APLASTANDO\n2 PDFS|3%|Calentando la prensa de megas...|0/2 PDFS DOMADOS");

    ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 1; }));
    EXPECT_EQ(texts({"activeFile", "workingNote", "percentText"}),
              QString("b.pdf|1/2 PDFS DOMADOS|%1%").arg(int(model->progress() * 100)));
    EXPECT_EQ(onScreen(), "activeFile heroIllustration workingNote hideButton");
    screenshot("working");
    ASSERT_TRUE(runToEnd());

    ASSERT_EQ(panel->shown.size(), 2);
    ASSERT_EQ(engine.calledFiles(), names);
    for (int i = 0; i < 2; ++i) {
        const SavePanel::Settings& settings = panel->shown.at(i);
        EXPECT_EQ(settings.message + "|" + settings.prompt,
                  "Mantén el nombre para sustituirlo o escribe otro. Tú mandas.|GUARDAR PDF");
        EXPECT_EQ(QDir(settings.startFolder).filePath(settings.proposedName),
                  pathIn(folder, names[i]));
        EXPECT_TRUE(settings.pdfOnly && settings.canCreateFolders);
        const CompressRequest request = engine.calls().at(i).request;
        EXPECT_FALSE(engine.calls().at(i).onMainThread || request.targetBytes ||
                     request.cleanMetadata);
        EXPECT_EQ(request.profile, CompressionProfile::balanced);
        EXPECT_EQ(request.destination, pathIn(folder, "out/" + names[i]));
        ASSERT_GE(ticks[i].size(), 3) << "the ticker should have moved the bar";
        for (int tick = 0; tick < ticks[i].size(); ++tick) {
            EXPECT_NEAR(ticks[i][tick], i * 0.5 + std::min(0.025 + tick * 0.0225, 0.45), 1e-9);
        }
    }
    const ByteText bytes;
    EXPECT_EQ(texts({"savingsLine"}),
              "\u221275% · " + bytes.format(10485760) + " \u2192 " + bytes.format(2621440));
    EXPECT_EQ(texts({"statusTitle", "percentText", "statusPhrase", "readyNote"}),
              "MISIÓN\nCUMPLIDA|100%|Ya cabe donde antes daba vergüenza enviarlo.|PDFS LISTOS PARA "
              "SALIR");
    EXPECT_EQ(onScreen(), "mascot savingsLine readyNote revealButton closeButton");
    QMetaObject::invokeMethod(item("revealButton"), "clicked");
    EXPECT_EQ(fileBrowser.revealed,
              QStringList({pathIn(folder, "out/a.pdf"), pathIn(folder, "out/b.pdf")}));
    screenshot("complete");
    closeWith("closeButton");
}

// Backing out of the second dialog touches no file; a failing second file
// keeps the first one's result and never reaches the third.
TEST_F(FinderServicePanelTest, StopsAtACancelledDialogOrAFailedFile)
{
    engine.script("a.pdf", Answer::succeeds(5000));
    engine.script("b.pdf", Answer::fails("gs: la página 2 está rota"));
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "failed");
        panel->shown.clear();
        open({"a.pdf", "b.pdf", "c.pdf"}, 1000, cancel ? 1 : 3);
        ASSERT_TRUE(runToEnd());
        QTest::qWait(50);

        const QString message =
            cancel ? "Guardado cancelado. Aquí no sustituimos nada a traición."
                   : QString(PDFEngine::EngineError::compressionFailed("gs: la página 2 está rota")
                                 .what());
        EXPECT_EQ(model->phase(), FinderServicePhase::failed(message));
        EXPECT_EQ(texts({"statusTitle", "statusPhrase", "failureNote"}),
                  "EL PDF\nHA GANADO|" + message + "|EL PDF SE HA PUESTO DIGNO");
        EXPECT_EQ(onScreen(), "mascot failureNote failedCloseButton");
        EXPECT_EQ(panel->shown.size(), cancel ? 2 : 3);
        EXPECT_EQ(engine.calledFiles(), cancel ? QStringList() : QStringList({"a.pdf", "b.pdf"}));
        EXPECT_EQ(
            model->outputURLs(),
            testing::fileUrls(cancel ? QStringList() : QStringList(pathIn(folder, "out/a.pdf"))));
        EXPECT_EQ(model->outputBytes(), cancel ? 0 : 5000);
        EXPECT_TRUE(cancel || texts({"savingsLine"}).startsWith("\u22120% · "))
            << "a larger result saves nothing";
    }
    screenshot("failed");
    closeWith("failedCloseButton");
    open({"only.pdf"});
    EXPECT_EQ(texts({"statusTitle", "workingNote"}),
              "APLASTANDO\nTU PDF|PERFIL SIN PIEDAD · 150 PPP");
}

} // namespace
} // namespace zurbo
