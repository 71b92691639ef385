#include "ZurboAppDelegate.h"

#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"

#include <QCoreApplication>
#include <QFile>
#include <QQuickView>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::fileUrls;
using testing::pathIn;
using testing::writeSizedFile;

const QString flag = "--finder-quick-action";
const QSize untouched(300, 200);

// Launches with a stand-in main window, save dialogs that accept every
// proposed name, and the applications folder inside the test's own folder.
class ZurboAppDelegateTest : public ::testing::Test {
protected:
    ZurboAppDelegateTest() {
        qputenv("XDG_DATA_HOME", pathIn(folder, "data").toUtf8());
        mainWindow.resize(untouched);
    }
    ~ZurboAppDelegateTest() override { qunsetenv("XDG_DATA_HOME"); }

    std::unique_ptr<ZurboAppDelegate> launch(const QStringList& arguments) {
        auto delegate = std::make_unique<ZurboAppDelegate>(QStringList{"zurbo"} + arguments);
        delegate->setPanelTools({panel, engine.function(), nullptr});
        if (delegate->showsMainWindowAtLaunch()) {
            mainWindow.show();
        }
        delegate->applicationDidFinishLaunching();
        QTest::qWait(500); // past every fitting and raising step
        return delegate;
    }

    QString writeList(const QByteArray& text) {
        const QString list = pathIn(folder, "list");
        testing::writeFile(list.toStdString(), text.toStdString());
        return list;
    }

    // Closes the panel with the application's own event loop running (quit()
    // means nothing outside it): 0 when the application was asked to quit,
    // 1 when it went on.
    static int closeAndWatchForQuit(QQuickView* shown) {
        QTimer::singleShot(0, shown, &QWindow::close);
        QTimer::singleShot(400ms, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec();
    }

    bool installed() const {
        return std::filesystem::exists(folder / "data/applications/Zurbo.workflow");
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    std::shared_ptr<testing::ScriptedSavePanel> panel =
        std::make_shared<testing::ScriptedSavePanel>();
    QWindow mainWindow;
};

TEST_F(ZurboAppDelegateTest, WindowModeInstallsTheActionAndFitsTheWindow) {
    const auto delegate = launch({});
    EXPECT_TRUE(installed());
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_NE(mainWindow.size(), untouched);
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
}

TEST_F(ZurboAppDelegateTest, AnUnwritableApplicationsFolderStillStartsAsUsual) {
    testing::writeFile(folder / "data", "a file where the folder should be");
    const auto delegate = launch({});
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_NE(mainWindow.size(), untouched);
}

TEST_F(ZurboAppDelegateTest, TheQuickActionOpensThePanelForTheListedPdfsOnly) {
    for (const char* name : {"a.pdf", "b.PDF", "c.txt"}) {
        const QString path = writeSizedFile(folder, name, 10);
        panel->answers.push_back(path);
    }
    const QString list = writeList((pathIn(folder, "a.pdf") + "\n\n" + pathIn(folder, "b.PDF") +
                                    "\n" + pathIn(folder, "c.txt") + "\n")
                                       .toUtf8());
    const auto delegate = launch({flag, list});

    EXPECT_TRUE(installed());
    EXPECT_FALSE(QFile::exists(list));
    ASSERT_NE(delegate->servicePanelController(), nullptr);
    EXPECT_EQ(delegate->servicePanelController()->model()->sourceURLs(),
              fileUrls({pathIn(folder, "a.pdf"), pathIn(folder, "b.PDF")}));
    QQuickView* shown = delegate->servicePanelController()->panel();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.size(), untouched);

    EXPECT_EQ(closeAndWatchForQuit(shown), 0);
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
}

TEST_F(ZurboAppDelegateTest, AListWithoutPdfsBringsOutTheMainWindowUnfitted) {
    const QString list = writeList(pathIn(folder, "notes.txt").toUtf8() + "\n");
    const auto delegate = launch({flag, list});
    EXPECT_FALSE(QFile::exists(list));
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.size(), untouched);
}

TEST_F(ZurboAppDelegateTest, TheFlagLastReadsNothingAndLeavesTheWindowUnfitted) {
    const QString list = writeList(pathIn(folder, "a.pdf").toUtf8() + "\n");
    const auto delegate = launch({list, flag});
    EXPECT_TRUE(installed());
    EXPECT_TRUE(QFile::exists(list));
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.size(), untouched);
}

// A second request while a panel is open gets a panel of its own; closing
// the first leaves the second, and neither ends the application.
TEST_F(ZurboAppDelegateTest, EachServicesPanelLivesUntilItIsClosed) {
    const QString first = writeSizedFile(folder, "first.pdf", 10);
    const QString second = writeSizedFile(folder, "second.pdf", 10);
    panel->answers = {first, second};
    const auto delegate = launch({});

    delegate->showServicePanel(fileUrls({first}), false);
    QPointer<FinderServicePanelController> earlier = delegate->servicePanelController();
    delegate->showServicePanel(fileUrls({second}), false);
    QPointer<FinderServicePanelController> newer = delegate->servicePanelController();
    ASSERT_TRUE(earlier && newer);
    ASSERT_NE(earlier, newer);
    EXPECT_TRUE(earlier->panel()->isVisible());
    EXPECT_TRUE(newer->panel()->isVisible());

    EXPECT_EQ(closeAndWatchForQuit(earlier->panel()), 1);
    EXPECT_EQ(delegate->servicePanelController(), newer);
    ASSERT_TRUE(newer);
    EXPECT_TRUE(newer->panel()->isVisible());
    EXPECT_TRUE(earlier.isNull());

    EXPECT_EQ(closeAndWatchForQuit(newer->panel()), 1);
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
    EXPECT_TRUE(mainWindow.isVisible());
}

} // namespace
} // namespace zurbo
