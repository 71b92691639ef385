#include "QuickActionLaunch.h"
#include "FinderQuickActionInstaller.h"
#include "FinderServiceProgressModel.h"
#include "QueueTestSupport.h"
#include "ScriptedPanels.h"
#include "SystemLog.h"
#include "ZurboAppDelegate.h"
#include "ZurboServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDir>
#include <QProcess>
#include <QQuickView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::pathIn;
using testing::readFile;
using testing::writeFile;

const QString flag = "--finder-quick-action";

class RecordingLog : public SystemLog {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Every launch replaces both older copies with a fresh one and refreshes the
// desktop; the first failing step logs one line and ends the installation,
// keeping what it removed before.
TEST(FinderQuickActionInstallerTest, EveryLaunchPlacesAFreshCopyOrLogsWhyNot)
{
    testing::TestFolder folder;
    const fs::path workflow = folder / "resources/FinderQuickAction.workflow";
    const fs::path services = folder / "home/applications", installed = services / "Zurbo.workflow";
    const fs::path older = services / "Comprimir con ZURBO.workflow";
    RecordingLog log;
    const auto install = [&](std::optional<fs::path> resources) {
        FinderQuickActionInstaller(resources, services, log).install();
    };
    fs::create_directories(workflow / "bin");
    writeFile(workflow / "entry.desktop", "fresh");
    writeFile(workflow / "bin/launcher", "#!/bin/sh\n");
    install(folder / "resources");
    EXPECT_TRUE(fs::exists(services / "mimeinfo.cache"));
    fs::create_directories(older);
    writeFile(installed / "entry.desktop", "edited");
    writeFile(installed / "added-by-hand", "x");
    install(folder / "resources");
    EXPECT_FALSE(fs::exists(older) || fs::exists(installed / "added-by-hand"));
    EXPECT_EQ(readFile(installed / "entry.desktop"), "fresh");
    EXPECT_TRUE(fs::exists(installed / "bin/launcher"));
    EXPECT_TRUE(log.lines.empty());

    fs::create_directories(older);
    install(std::nullopt);
    EXPECT_TRUE(fs::exists(older) && fs::exists(installed)) << "touched without resources";
    fs::remove_all(workflow);
    fs::remove(services / "mimeinfo.cache");
    install(folder / "resources");
    EXPECT_FALSE(fs::exists(older) || fs::exists(installed) ||
                 fs::exists(services / "mimeinfo.cache"));
    fs::remove_all(folder / "home");
    writeFile(folder / "home", "a file where the folder goes");
    install(folder / "resources");
    ASSERT_EQ(log.lines.size(), 2u);
    for (const std::string& line : log.lines) {
        EXPECT_EQ(line.rfind("ZURBO no pudo instalar la acción rápida: ", 0), 0u) << line;
        EXPECT_GT(line.size(), 43u) << "a reason follows";
    }
}

// The launcher in a tree of its own, beside a stand-in program that keeps
// what it was handed.
TEST(QuickActionLauncherTest, HandsOverThePathsWithoutLineBreaksOneALine)
{
    testing::TestFolder folder;
    const fs::path launcher = folder / "resources/FinderQuickAction.workflow/zurbo-quick-action";
    fs::create_directories(launcher.parent_path());
    fs::copy_file(ZURBO_QUICK_ACTION_LAUNCHER, launcher);
    writeFile(folder / "zurbo",
              "#!/bin/sh\ncd \"$(dirname \"$0\")\"\nprintf '%s\\n' \"$@\" > arguments\n"
              "cp \"$2\" handed-over\n");
    fs::permissions(folder / "zurbo", fs::perms::owner_all);
    QStringList paths{"/d/a.pdf", " /d/leading space.pdf", "/d/b.PDF"};
    for (const char* lineBreak : {"\n", "\r", "\v", "\f", "\u0085", "\u2028", "\u2029"}) {
        paths.insert(1, "/d/two" + QString::fromUtf8(lineBreak) + "lines.pdf");
    }
    ASSERT_EQ(QProcess::execute(QString::fromStdString(launcher.string()), paths), 0);

    EXPECT_EQ(readFile(folder / "handed-over"), "/d/a.pdf\n /d/leading space.pdf\n/d/b.PDF\n");
    const QStringList arguments =
        QString::fromStdString(readFile(folder / "arguments")).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments.at(0), flag);
    EXPECT_TRUE(
        arguments.at(1).startsWith(qEnvironmentVariable("TMPDIR") + "/zurbo-quick-action."));
}

// The built launcher run as a file manager runs it: the application installs
// the action, takes the list, and waits in its first save dialog, where the
// test ends it.
TEST(QuickActionLauncherTest, StartsTheApplicationThatTakesTheList)
{
    testing::TestFolder folder;
    fs::create_directory(folder / "tmp");
    writeFile(folder / "a.pdf", "%PDF-1.4\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", pathIn(folder, "tmp"));
    environment.insert("XDG_DATA_HOME", pathIn(folder, "data"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(ZURBO_QUICK_ACTION_LAUNCHER, {pathIn(folder, "a.pdf")});

    EXPECT_TRUE(QTest::qWaitFor(
        [&folder] {
            return fs::exists(folder / "data/applications/Zurbo.workflow") &&
                   fs::is_empty(folder / "tmp");
        },
        30000));
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    process.kill();
    process.waitForFinished();
}

const QSize untouched(300, 200);

// Launches with a stand-in main window and save dialogs that are always
// cancelled, into a fresh applications folder.
class ZurboAppDelegateTest : public ::testing::Test {
protected:
    std::unique_ptr<ZurboAppDelegate> launch(const QStringList& arguments)
    {
        fs::remove_all(applications);
        auto delegate = std::make_unique<ZurboAppDelegate>(QStringList{"zurbo"} + arguments);
        delegate->setPanelTools({std::make_shared<testing::ScriptedSavePanel>()});
        mainWindow.resize(untouched);
        mainWindow.setVisible(delegate->showsMainWindowAtLaunch());
        delegate->applicationDidFinishLaunching();
        QTest::qWait(500); // past every fitting step
        // The built action, refreshed into the desktop's list for PDFs.
        EXPECT_NE(readFile(applications / "mimeinfo.cache")
                      .find("application/pdf=Zurbo.workflow-zurbo-quick-action.desktop;"),
                  std::string::npos);
        return delegate;
    }

    // Closes the panel within the application's event loop (quit() means
    // nothing outside it): 0 when the application quits, 1 when it goes on.
    static int closeAndWatchForQuit(QQuickView* shown)
    {
        QTimer::singleShot(0, shown, &QWindow::close);
        QTimer::singleShot(400ms, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec();
    }

    const fs::path applications = fs::path(qgetenv("XDG_DATA_HOME").toStdString()) / "applications";
    testing::TestFolder folder;
    const QString list = pathIn(folder, "list");
    QWindow mainWindow;
};

// The list after the first flag is read as UTF-8, cut at every line break,
// empty lines dropped, lines kept whole, and deleted. Its PDFs, by name, get
// the panel in the main window's place, and closing it quits; without them
// the main window comes out, fitted only when the flag is absent.
TEST_F(ZurboAppDelegateTest, TheQuickActionShowsThePanelInPlaceOfTheMainWindow)
{
    const struct {
        const char* name;
        std::string text;
        QStringList arguments;
        QStringList pdfs;
    } cases[] = {
        {"every line break",
         "a.pdf\nb.pdf\r\nc.pdf\vd.pdf\fe.pdf\rf.pdf\u0085g.pdf\u2028h.pdf\u2029i.pdf\n",
         {flag, list},
         {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf", "g.pdf", "h.pdf", "i.pdf"}},
        {"whole lines",
         " a.pdf\n\nb.PDF\nc.txt\nd.pdf \ne.pdf.txt\nf\tg.pdf\n a.pdf",
         {flag, list},
         {" a.pdf", "b.PDF", "f\tg.pdf", " a.pdf"}},
        {"no PDF", "c.txt\n", {flag, list}, {}},
        {"not UTF-8", "a.pdf\ncaf\xe9.pdf\n", {flag, list}, {}},
        {"flag twice", "a.pdf\n", {flag, list, flag, pathIn(folder, "none")}, {"a.pdf"}},
        {"flag last", "a.pdf\n", {list, flag}, {}},
        {"window mode", "a.pdf\n", {"--Finder-Quick-Action", list}, {}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        writeFile(list.toStdString(), each.text);
        const auto delegate = launch(each.arguments);
        EXPECT_EQ(QFile::exists(list), each.arguments.first() != flag);
        EXPECT_EQ(mainWindow.isVisible(), each.pdfs.isEmpty());
        EXPECT_EQ(mainWindow.size() != untouched, !each.arguments.contains(flag));
        FinderServicePanelController* shown = delegate->servicePanelController();
        EXPECT_EQ(shown ? shown->model()->sourceURLs() : QList<QUrl>(),
                  testing::fileUrls(each.pdfs));
        if (shown) {
            EXPECT_EQ(closeAndWatchForQuit(shown->panel()), 0);
            EXPECT_EQ(delegate->servicePanelController(), nullptr);
        }
    }
}

// On a bus of its own (dbus-run-session), called from another connection as a
// file manager would: each request with PDFs opens a panel of its own that
// lives until it is closed, and none ends the application.
using ZurboServicesTest = ZurboAppDelegateTest;

TEST_F(ZurboServicesTest, EachRequestWithPdfsOpensAPanelOfItsOwn)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        GTEST_SKIP() << "no session bus; run under dbus-run-session";
    }
    const auto delegate = launch({});
    const auto request = [](const QStringList& uris) {
        const QDBusPendingReply<QString> reply =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client")
                .asyncCall(QDBusMessage::createMethodCall("app.zurbo.Zurbo", "/app/zurbo/Zurbo",
                                                          "app.zurbo.Services", "compressPDFs")
                           << uris);
        EXPECT_TRUE(QTest::qWaitFor([&reply] { return reply.isFinished(); }));
        QTest::qWait(50); // the panel opens right after the answer
        return reply.value();
    };
    EXPECT_EQ(request({"file:///d/notes.txt", "file:///d/scans", "https://example.org/a.pdf"}),
              "ZURBO no ha recibido ningún PDF. El Finder se ha hecho el sueco.");
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
    EXPECT_EQ(request({"file:///d/notes.txt", "file:///d/first.pdf"}), "");
    QPointer<FinderServicePanelController> earlier = delegate->servicePanelController();
    EXPECT_EQ(request({"file:///d/second.PDF"}), "");
    QPointer<FinderServicePanelController> newer = delegate->servicePanelController();
    ASSERT_TRUE(earlier && newer && earlier != newer);
    EXPECT_EQ(earlier->model()->sourceURLs(), QList<QUrl>{QUrl("file:///d/first.pdf")});
    EXPECT_EQ(newer->model()->sourceURLs(), QList<QUrl>{QUrl("file:///d/second.PDF")});

    EXPECT_EQ(closeAndWatchForQuit(earlier->panel()), 1);
    ASSERT_TRUE(newer && earlier.isNull());
    EXPECT_EQ(delegate->servicePanelController(), newer);
    EXPECT_TRUE(newer->panel()->isVisible());
    EXPECT_EQ(closeAndWatchForQuit(newer->panel()), 1);
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
}

} // namespace
} // namespace zurbo
