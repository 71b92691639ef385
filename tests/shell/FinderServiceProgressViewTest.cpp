#include "ByteText.h"
#include "FileBrowserReveal.h"
#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QDir>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileUrls;
using testing::pathIn;
using testing::writeSizedFile;
using Answer = testing::ScriptedEngine::Answer;

const QUrl viewUrl("qrc:/qt-project.org/imports/Zurbo/FinderServiceProgressView.qml");

class RecordingFileBrowser : public FileBrowserReveal {
public:
    void reveal(const QString& path) override { revealed.append(path); }

    QStringList revealed;
};

class FinderServiceProgressViewTest : public ::testing::Test {
protected:
    // A run over sources of the given sizes, each saved to "out/" under its own name.
    void makeRun(const QList<std::pair<QString, qint64>>& sources) {
        QStringList paths;
        for (const auto& [name, bytes] : sources) {
            paths.append(writeSizedFile(folder, name, bytes));
            panel->answers.push_back(pathIn(folder, "out/" + name));
        }
        model =
            std::make_unique<FinderServiceProgressModel>(fileUrls(paths), panel, engine.function());
        view.setInitialProperties({{"model", QVariant::fromValue(model.get())},
                                   {"fileBrowser", QVariant::fromValue(&fileBrowser)}});
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.setSource(viewUrl);
        ASSERT_NE(view.rootObject(), nullptr) << "the view did not load";
        view.show();
    }

    bool runToEnd() {
        model->start();
        return QTest::qWaitFor(
            [this] { return !model->phase().is(FinderServicePhase::Kind::working); }, 10000);
    }

    QQuickItem* item(const char* name) const {
        auto* found = view.rootObject()->findChild<QQuickItem*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) const { return item(name)->property("text").toString(); }
    bool shown(const char* name) const { return item(name)->isVisible(); }

    QString percentText(double progress) const {
        QVariant result;
        QMetaObject::invokeMethod(view.rootObject(), "percentText", Q_RETURN_ARG(QVariant, result),
                                  Q_ARG(QVariant, progress));
        return result.toString();
    }

    void saveScreenshot(const QString& phase) {
        QTest::qWait(300); // the bar's animation
        QDir().mkpath(ZURBO_SCREENSHOT_DIR);
        EXPECT_TRUE(view.grabWindow().save(QString(ZURBO_SCREENSHOT_DIR) + "/quick-action-" +
                                           phase + ".png"));
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
    RecordingFileBrowser fileBrowser;
    std::unique_ptr<FinderServiceProgressModel> model;
    QQuickView view;
};

TEST_F(FinderServiceProgressViewTest, ShowsTheWholeNumberOfPercent) {
    makeRun({{"a.pdf", 10}});
    EXPECT_EQ(text("percentText"), "3%");
    EXPECT_EQ(percentText(0.03), "3%");
    EXPECT_EQ(percentText(0.999), "99%");
    EXPECT_EQ(percentText(1.0), "100%");
}

TEST_F(FinderServiceProgressViewTest, OneSourceNamesTheProfileInsteadOfCounting) {
    makeRun({{"a.pdf", 10}});
    EXPECT_EQ(text("workingNote"), "PERFIL SIN PIEDAD · 150 PPP");
    EXPECT_EQ(text("statusTitle"), "APLASTANDO\nTU PDF");
}

TEST_F(FinderServiceProgressViewTest, WhileWorkingCountsTheTamedFilesAndNamesTheCurrentOne) {
    engine.script("b.pdf", Answer::succeeds(5, {}, 1500ms));
    makeRun({{"a.pdf", 10}, {"b.pdf", 10}, {"c.pdf", 10}});
    EXPECT_EQ(text("workingNote"), "0/3 PDFS DOMADOS");
    model->start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 1; }, 5000));

    EXPECT_EQ(text("workingNote"), "1/3 PDFS DOMADOS");
    EXPECT_EQ(text("statusTitle"), "APLASTANDO\n3 PDFS");
    EXPECT_TRUE(shown("activeFile"));
    EXPECT_EQ(text("activeFile"), "b.pdf");
    EXPECT_TRUE(shown("hideButton"));
    EXPECT_TRUE(shown("heroIllustration"));
    EXPECT_FALSE(shown("revealButton"));
    EXPECT_FALSE(shown("savingsLine"));
    saveScreenshot("working");
    ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 3; }, 5000));
}

TEST_F(FinderServiceProgressViewTest, ACompleteRunShowsItsSavingsAndRevealsEveryOutput) {
    engine.script("big.pdf", Answer::succeeds(2621440));
    makeRun({{"big.pdf", 10485760}});
    ASSERT_TRUE(runToEnd());

    const ByteText bytes;
    EXPECT_EQ(text("savingsLine"), QString("\u221275% · ") + bytes.format(10485760) + " \u2192 " +
                                       bytes.format(2621440));
    EXPECT_EQ(text("percentText"), "100%");
    EXPECT_EQ(text("readyNote"), "PDF LISTO PARA SALIR");
    EXPECT_EQ(text("statusTitle"), "MISIÓN\nCUMPLIDA");
    EXPECT_FALSE(shown("activeFile"));
    EXPECT_FALSE(shown("workingNote"));
    EXPECT_TRUE(shown("closeButton"));
    EXPECT_TRUE(shown("mascot"));
    saveScreenshot("complete");

    QMetaObject::invokeMethod(item("revealButton"), "clicked");
    EXPECT_EQ(fileBrowser.revealed, QStringList{pathIn(folder, "out/big.pdf")});
    EXPECT_TRUE(view.isVisible());
}

TEST_F(FinderServiceProgressViewTest, ALargerResultShowsNoSaving) {
    engine.script("a.pdf", Answer::succeeds(3000));
    engine.script("b.pdf", Answer::succeeds(3000));
    makeRun({{"a.pdf", 2000}, {"b.pdf", 2000}});
    ASSERT_TRUE(runToEnd());
    const QString savings = text("savingsLine");
    EXPECT_TRUE(savings.startsWith("\u22120% · ")) << savings.toStdString();
    EXPECT_EQ(text("readyNote"), "PDFS LISTOS PARA SALIR");
}

TEST_F(FinderServiceProgressViewTest, AFailedRunSaysWhyAndOffersOnlyToClose) {
    makeRun({{"a.pdf", 10}});
    panel->answers.clear();
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(text("statusTitle"), "EL PDF\nHA GANADO");
    EXPECT_EQ(text("statusPhrase"), "Guardado cancelado. Aquí no sustituimos nada a traición.");
    EXPECT_EQ(text("failureNote"), "EL PDF SE HA PUESTO DIGNO");
    EXPECT_FALSE(shown("activeFile"));
    EXPECT_FALSE(shown("hideButton"));
    EXPECT_TRUE(shown("failedCloseButton"));
    saveScreenshot("failed");
}

} // namespace
} // namespace zurbo
