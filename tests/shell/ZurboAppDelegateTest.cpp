#include "ZurboAppDelegate.h"

#include "ShellTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QQuickView>
#include <QTimer>
#include <QWindow>

#include <filesystem>

namespace zurbo {
namespace {

using namespace std::chrono_literals;
using testing::pathIn;

const QString flag = "--finder-quick-action";
const QSize untouched(300, 200);

// Launches with a stand-in main window, the scripted save dialogs, and the
// applications folder inside the test's own folder.
class ZurboAppDelegateTest : public testing::ShellTest {
protected:
    ZurboAppDelegateTest()
    {
        qputenv("XDG_DATA_HOME", pathIn(folder, "data").toUtf8());
        mainWindow.resize(untouched);
    }
    ~ZurboAppDelegateTest() override { qunsetenv("XDG_DATA_HOME"); }

    std::unique_ptr<ZurboAppDelegate> launch(const QStringList& arguments)
    {
        auto delegate = std::make_unique<ZurboAppDelegate>(QStringList{"zurbo"} + arguments);
        delegate->setPanelTools({panel, engine.function(), nullptr});
        if (delegate->showsMainWindowAtLaunch()) {
            mainWindow.show();
        }
        delegate->applicationDidFinishLaunching();
        QTest::qWait(500); // past every fitting and raising step
        return delegate;
    }

    // A list file naming files of the test's folder, one a line.
    QString writeList(QStringList names)
    {
        for (QString& name : names) {
            name = name.isEmpty() ? name : pathIn(folder, name);
        }
        testing::writeFile(list.toStdString(), (names.join('\n') + '\n').toStdString());
        return list;
    }

    // Closes the panel with the application's own event loop running (quit()
    // means nothing outside it): 0 when the application was asked to quit,
    // 1 when it went on.
    static int closeAndWatchForQuit(QQuickView* shown)
    {
        QTimer::singleShot(0, shown, &QWindow::close);
        QTimer::singleShot(400ms, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec();
    }

    // The main window alone, fitted to the screen or as it was.
    void expectMainWindow(const ZurboAppDelegate& delegate, bool fitted) const
    {
        EXPECT_EQ(delegate.servicePanelController(), nullptr);
        EXPECT_TRUE(mainWindow.isVisible());
        EXPECT_EQ(mainWindow.size() != untouched, fitted);
    }

    bool installed() const
    {
        return std::filesystem::exists(folder / "data/applications/Zurbo.workflow");
    }

    const QString list = pathIn(folder, "list");
    QWindow mainWindow;
};

TEST_F(ZurboAppDelegateTest, TheQuickActionOpensThePanelForTheListedPdfsOnly)
{
    const QList<QUrl> sources = addSources({"a.pdf", "b.PDF", "c.txt"}, 10);
    const auto delegate = launch({flag, writeList({"a.pdf", "", "b.PDF", "c.txt"})});

    EXPECT_TRUE(installed());
    EXPECT_FALSE(QFile::exists(list));
    ASSERT_NE(delegate->servicePanelController(), nullptr);
    EXPECT_EQ(delegate->servicePanelController()->model()->sourceURLs(), sources.mid(0, 2));
    QQuickView* shown = delegate->servicePanelController()->panel();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.size(), untouched);

    EXPECT_EQ(closeAndWatchForQuit(shown), 0);
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
}

TEST_F(ZurboAppDelegateTest, WindowModeInstallsTheActionAndFitsTheWindow)
{
    const auto delegate = launch({});
    EXPECT_TRUE(installed());
    expectMainWindow(*delegate, true);
}

TEST_F(ZurboAppDelegateTest, AnUnwritableApplicationsFolderStillStartsAsUsual)
{
    testing::writeFile(folder / "data", "a file where the folder should be");
    expectMainWindow(*launch({}), true);
}

TEST_F(ZurboAppDelegateTest, AListWithoutPdfsBringsOutTheMainWindowUnfitted)
{
    expectMainWindow(*launch({flag, writeList({"notes.txt"})}), false);
    EXPECT_FALSE(QFile::exists(list));
}

TEST_F(ZurboAppDelegateTest, TheFlagLastReadsNothingAndLeavesTheWindowUnfitted)
{
    expectMainWindow(*launch({writeList({"a.pdf"}), flag}), false);
    EXPECT_TRUE(installed());
    EXPECT_TRUE(QFile::exists(list));
}

// A second request while a panel is open gets a panel of its own; closing
// the first leaves the second, and neither ends the application.
TEST_F(ZurboAppDelegateTest, EachServicesPanelLivesUntilItIsClosed)
{
    const QList<QUrl> sources = addSources({"first.pdf", "second.pdf"}, 10);
    const auto delegate = launch({});

    delegate->showServicePanel({sources.at(0)}, false);
    QPointer<FinderServicePanelController> earlier = delegate->servicePanelController();
    delegate->showServicePanel({sources.at(1)}, false);
    QPointer<FinderServicePanelController> newer = delegate->servicePanelController();
    ASSERT_TRUE(earlier && newer);
    ASSERT_NE(earlier, newer);
    EXPECT_TRUE(earlier->panel()->isVisible() && newer->panel()->isVisible());

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
