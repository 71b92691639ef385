#include "BundledFonts.h"
#include "ByteText.h"
#include "FileBrowserReveal.h"
#include "FinderQuickActionInstaller.h"
#include "FinderServicePanelController.h"
#include "FinderServiceProgressModel.h"
#include "NamedStep.h"
#include "PanelSlot.h"
#include "PdfFixtures.h"
#include "QueueTestSupport.h"
#include "ScriptedEngine.h"
#include "ScriptedPanels.h"
#include "SystemLog.h"
#include "ViewProbe.h"
#include "ZurboAppDelegate.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

Q_IMPORT_QML_PLUGIN(ZurboPlugin)

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::pathIn;
using testing::step;
using testing::writeFile;

const QString flag = "--finder-quick-action";

struct RecordingLog : SystemLog {
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Runs `program` and gives its standard output and error, or a failure note.
std::string run(const QString& program, const QStringList& arguments, const fs::path& in = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(QString::fromStdString(in.string()));
    process.start(program, arguments);
    const bool done = process.waitForFinished(120'000);
    const std::string output = process.readAll().toStdString();
    return done && process.exitCode() == 0
               ? output
               : "exit " + std::to_string(process.exitCode()) + ": " + output;
}

// The value of `key` in a key file: the first line starting "KEY=" after `from`.
QString keyValue(const std::string& keyFile, const std::string& key, const std::string& from = "")
{
    const std::size_t at = keyFile.find("\n" + key + "=", keyFile.find(from)) + key.size() + 2;
    return QString::fromStdString(keyFile.substr(at, keyFile.find('\n', at) - at));
}

// The command a file manager runs for an Exec value: key-file escapes undone, %% made %, %F
// made the shell's "$@". Desktop entries quote like the shell's double quotes, GLib's parser
// like its single quotes.
QString execCommand(QString value)
{
    value.replace("\\\\", "\\");
    QString command;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const bool code = value[i] == '%' && i + 1 < value.size();
        command += !code               ? QString(value[i])
                   : value[++i] == 'F' ? QString("\"$@\"")
                                       : QString(value[i]);
    }
    return command;
}

const char* const standIn =
    "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.out\"\ncat \"$2\" >> \"$0.out\"\n";

TEST(FinderQuickActionInstallerTest, EveryLaunchPlacesEachFileManagersFileAndMendsOlderCopies)
{
    testing::TestFolder folder;
    const fs::path resources = folder / "resources",
                   workflow = resources / "FinderQuickAction.workflow";
    const fs::path data = folder / "data", applications = data / "applications";
    const fs::path placed[] = {data / "nautilus/scripts/Comprimir con ZURBO",
                               data / "kio/servicemenus/zurbo-quick-action.desktop",
                               data / "nemo/actions/zurbo-quick-action.nemo_action"};
    RecordingLog log;
    const auto install = [&] {
        FinderQuickActionInstaller(resources, {data, {}, {folder / "bin"}}, log).install();
    };
    fs::create_directories(workflow);
    fs::create_directories(applications / "Zurbo.workflow");
    fs::create_directories(folder / "bin");
    for (const char* fileManager : {"nautilus", "dolphin", "nemo"}) {
        writeFile(folder / "bin" / fileManager, "");
        fs::permissions(folder / "bin" / fileManager, fs::perms::owner_all);
    }
    for (const fs::path& file : placed) {
        writeFile(workflow / file.filename(), "fresh " + file.filename().string());
    }
    fs::permissions(workflow / placed[0].filename(), fs::perms::owner_all);
    // What an earlier version left: an entry that the desktop took as the default for PDFs.
    writeFile(applications / "Zurbo.workflow/zurbo-quick-action.desktop",
              "[Desktop Entry]\nType=Application\nName=Z\nExec=z %F\nMimeType=application/pdf;\n");
    ASSERT_EQ(run("update-desktop-database", {QString::fromStdString(applications.string())}), "");
    ASSERT_NE(testing::readFile(applications / "mimeinfo.cache").find("Zurbo"), std::string::npos);
    install();
    writeFile(placed[1], "edited");
    install();
    for (const fs::path& file : placed) {
        EXPECT_EQ(testing::readFile(file), "fresh " + file.filename().string());
    }
    for (const fs::path& file : {placed[0], placed[1]}) {
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    }
    EXPECT_FALSE(fs::exists(applications / "Zurbo.workflow"));
    EXPECT_EQ(testing::readFile(applications / "mimeinfo.cache"), "[MIME Cache]\n");

    fs::remove_all(workflow);
    install();
    EXPECT_FALSE(fs::exists(placed[0])) << "removals are not undone";
    fs::remove_all(data);
    writeFile(data, "a file where the folder goes");
    install();
    ASSERT_EQ(log.lines.size(), 2u);
    for (const std::string& line : log.lines) {
        EXPECT_EQ(line.rfind("ZURBO no pudo instalar la acción rápida: ", 0), 0u) << line;
        EXPECT_GT(line.size(), 43u) << "a reason follows";
    }
}

// Dolphin's entry in each case a launch meets: written only for an installed Dolphin that the
// system does not offer it to already, and only when missing or out of date.
TEST(FinderQuickActionInstallerTest, WritesAnEntryOnlyWhereItIsMissingOrOutOfDate)
{
    const std::tuple<const char*, const char*, std::string, std::string> cases[] = {
        // Case, a file that shows Dolphin is installed, the entry before, and after.
        {"not installed", "elsewhere", "", ""},
        {"program on the path", "bin/dolphin", "", "fresh"},
        {"own folder", "data/dolphin/settings", "edited", "fresh"},
        {"up to date", "bin/dolphin", "fresh", "fresh"},
        {"offered by the system", "system/kio/servicemenus/zurbo-quick-action.desktop", "fresh",
         ""},
    };
    const auto earlier = fs::file_time_type::clock::now() - 24h;
    for (const auto& [name, installed, before, after] : cases) {
        SCOPED_TRACE(name);
        testing::TestFolder folder;
        const fs::path entry = "kio/servicemenus/zurbo-quick-action.desktop";
        const fs::path placed = folder / "data" / entry;
        const auto write = [&](const fs::path& file, const std::string& content) {
            fs::create_directories(file.parent_path());
            writeFile(file, content);
            fs::permissions(file, fs::perms::owner_all);
            fs::last_write_time(file, earlier);
        };
        write(folder / "resources/FinderQuickAction.workflow" / entry.filename(), "fresh");
        write(folder / installed, "");
        if (!before.empty()) {
            write(placed, before);
        }
        RecordingLog log;
        FinderQuickActionInstaller(folder / "resources",
                                   {folder / "data", {folder / "system"}, {folder / "bin"}}, log)
            .install();
        EXPECT_EQ(fs::exists(placed) ? testing::readFile(placed) : "", after);
        EXPECT_EQ(fs::exists(placed) && fs::last_write_time(placed) == earlier,
                  !before.empty() && before == after)
            << "rewritten, or left as it was";
        EXPECT_EQ(log.lines, std::vector<std::string>());
    }
}

// The launcher in a build tree finds the stand-in program beside the resource folder; in an
// installed tree whose program cannot start, it leaves no list behind.
TEST(QuickActionLauncherTest, HandsOverThePathsOneALineInAFreshFile)
{
    testing::TestFolder folder;
    const fs::path launcher = folder / "resources/FinderQuickAction.workflow/zurbo-quick-action";
    fs::create_directories(launcher.parent_path());
    fs::copy_file(ZURBO_QUICK_ACTION_LAUNCHER, launcher);
    writeFile(folder / "zurbo", standIn);
    fs::permissions(folder / "zurbo", fs::perms::owner_all);
    QStringList paths{"/d/a.pdf", " leading space.pdf", "/d/b.PDF"};
    for (const char* lineBreak : {"\n", "\r", "\v", "\f", "\u0085", "\u2028", "\u2029"}) {
        paths.insert(1, "/d/two" + QString::fromUtf8(lineBreak) + "lines.pdf");
    }
    // GNOME Files names the selection relative to the folder it shows.
    ASSERT_EQ(run("sh",
                  QStringList{"-c", "exec \"$0\" \"$@\" \"$(printf 'caf\\351.pdf')\"",
                              QString::fromStdString(launcher.string())} +
                      paths,
                  folder.path()),
              "");
    const QString handedOver = QString::fromStdString(testing::readFile(folder / "zurbo.out"));
    EXPECT_TRUE(handedOver.startsWith(flag + "\n" + qgetenv("TMPDIR") + "/zurbo-quick-action."));
    EXPECT_TRUE(
        handedOver.endsWith("\n/d/a.pdf\n" + pathIn(folder, " leading space.pdf") + "\n/d/b.PDF\n"))
        << handedOver.toStdString();
    EXPECT_EQ(handedOver.count('\n'), 5) << handedOver.toStdString();

    const fs::path installed = folder / "usr/share/zurbo/FinderQuickAction.workflow/launcher";
    fs::create_directories(installed.parent_path());
    fs::copy_file(launcher, installed);
    fs::create_directories(folder / "usr/bin");
    writeFile(folder / "usr/bin/zurbo", "#!/no/such/interpreter\n");
    fs::permissions(folder / "usr/bin/zurbo", fs::perms::owner_all);
    EXPECT_EQ(QProcess::execute(QString::fromStdString(installed.string()), {"/d/a.pdf"}), 127);
    EXPECT_EQ(QDir(qgetenv("TMPDIR")).entryList({"zurbo-quick-action.*"}), QStringList());
}

// Installs the build this test runs in under a prefix whose name needs quoting everywhere.
TEST(InstallationTest, LaysOutTheApplicationWhoseEntriesReachTheInstalledPrograms)
{
    testing::TestFolder folder;
    const fs::path prefix = folder / "pre fix %F 'q' \"d\" $HOME", share = prefix / "share";
    const QString at = QString::fromStdString(prefix.string());
    ASSERT_EQ(run("cmake", {"--install", ZURBO_BUILD_DIR, "--prefix", at}).rfind("--", 0), 0u);
    // Dolphin and Nemo read the system entries; the package's own test has lintian look at the
    // rest of what Debian asks for.
    for (const char* file : {"bin/zurbo", "bin/zurbo-compress", "share/zurbo/Fonts/Sink.ttf",
                             "share/zurbo/MascotStates.png", "share/man/man1/zurbo-compress.1.gz",
                             "share/kio/servicemenus/zurbo-quick-action.desktop",
                             "share/nemo/actions/zurbo-quick-action.nemo_action",
                             "share/icons/hicolor/256x256/apps/app.zurbo.Zurbo.png"}) {
        EXPECT_TRUE(fs::exists(prefix / file)) << file;
    }
    const fs::path entry = share / "applications/app.zurbo.Zurbo.desktop";
    const fs::path workflow = share / "zurbo/FinderQuickAction.workflow";
    EXPECT_EQ(run("desktop-file-validate", {QString::fromStdString(entry.string())}), "");
    EXPECT_EQ(testing::readFile(entry).find("MimeType"), std::string::npos) << "claims PDFs";
    EXPECT_NE(run("appstreamcli",
                  {"validate", "--no-net", at + "/share/metainfo/app.zurbo.Zurbo.metainfo.xml"})
                  .find("✔"),
              std::string::npos);
    // Dolphin's service menus are of KDE's own type, which the validator knows only by name.
    const std::string serviceMenu =
        run("desktop-file-validate",
            {QString::fromStdString((workflow / "zurbo-quick-action.desktop").string())});
    for (const QString& line :
         QString::fromStdString(serviceMenu).split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.contains("the type is \"Service\"")) << line.toStdString();
    }

    testing::writeFixturePdf(folder / "in.pdf", testing::imageHeavyDocument(2));
    EXPECT_EQ(run(at + "/bin/zurbo-compress",
                  {"--output", pathIn(folder, "out.pdf"), pathIn(folder, "in.pdf")})
                  .find("exit"),
              std::string::npos);
    EXPECT_LT(fs::file_size(folder / "out.pdf"), fs::file_size(folder / "in.pdf"));
    // Both programs answer with no display to open, and with the one version there is.
    qunsetenv("QT_QPA_PLATFORM");
    for (const QString program : {"zurbo", "zurbo-compress"}) {
        const std::string name = program.toStdString();
        EXPECT_EQ(run(at + "/bin/" + program, {"--version"}), name + " " ZURBO_VERSION "\n");
        EXPECT_EQ(run(at + "/bin/" + program, {"--help"}).rfind("usage: " + name + " ", 0), 0u);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_NE(testing::readFile(share / "metainfo/app.zurbo.Zurbo.metainfo.xml")
                  .find("<release version=\"" ZURBO_VERSION "\""),
              std::string::npos);

    // Every entry a file manager runs reaches the installed launcher, and it the installed
    // program (here a stand-in); so does the D-Bus service.
    writeFile(prefix / "bin/zurbo", standIn);
    const std::string desktop = testing::readFile(workflow / "zurbo-quick-action.desktop");
    const std::string nemoAction = testing::readFile(workflow / "zurbo-quick-action.nemo_action");
    const std::pair<QString, QStringList> commands[] = {
        {"exec \"$0\" \"$@\"",
         {QString::fromStdString((workflow / "Comprimir con ZURBO").string())}},
        {"exec " + execCommand(keyValue(desktop, "Exec", "[Desktop Action")), {"sh"}},
        {"exec " + execCommand(keyValue(nemoAction, "Exec")), {"sh"}},
        {"exec " +
             keyValue(testing::readFile(share / "dbus-1/services/app.zurbo.Zurbo.service"),
                      "Exec") +
             " " + flag + " \"$1\"",
         {"sh"}},
    };
    writeFile(folder / "list", "/d/a.pdf\n");
    for (const auto& [command, start] : commands) {
        SCOPED_TRACE(command.toStdString());
        fs::remove(prefix / "bin/zurbo.out");
        run("sh",
            QStringList{"-c", command} + start +
                QStringList{command.contains("--finder") ? pathIn(folder, "list") : "/d/a.pdf"},
            folder.path());
        EXPECT_EQ(testing::readFile(prefix / "bin/zurbo.out").substr(0, 22),
                  "--finder-quick-action\n");
        EXPECT_TRUE(testing::readFile(prefix / "bin/zurbo.out").ends_with("\n/d/a.pdf\n"));
    }
    // Once the launcher is gone, Dolphin and Nemo leave out the entries that name it, and GNOME
    // Files' script takes itself away.
    const QString launcher = QString::fromStdString((workflow / "zurbo-quick-action").string());
    EXPECT_EQ(keyValue(desktop, "TryExec"), launcher);
    EXPECT_EQ(keyValue(nemoAction, "Dependencies"), launcher + ";");
    fs::remove(workflow / "zurbo-quick-action");
    const fs::path script = folder / "scripts/Comprimir con ZURBO";
    fs::create_directories(script.parent_path());
    fs::copy_file(workflow / script.filename(), script);
    EXPECT_EQ(QProcess::execute(QString::fromStdString(script.string()), {"/d/a.pdf"}), 0);
    EXPECT_FALSE(fs::exists(script));
    for (const fs::directory_entry& file : fs::recursive_directory_iterator(share)) {
        EXPECT_TRUE(!file.is_regular_file() ||
                    testing::readFile(file).find(ZURBO_BUILD_DIR) == std::string::npos)
            << file;
    }
}

class ZurboAppDelegateTest : public ::testing::Test {
protected:
    std::unique_ptr<ZurboAppDelegate> launch(const QStringList& arguments)
    {
        fs::remove_all(data);
        fs::create_directories(data / "nautilus"); // GNOME Files is installed
        auto delegate = std::make_unique<ZurboAppDelegate>(QStringList{"zurbo"} + arguments);
        delegate->setPanelTools({std::make_shared<testing::ScriptedSavePanel>()});
        mainWindow.setVisible(delegate->showsMainWindowAtLaunch());
        delegate->applicationDidFinishLaunching();
        QTest::qWait(500); // past every fitting step
        EXPECT_TRUE(fs::exists(data / "nautilus/scripts/Comprimir con ZURBO"));
        return delegate;
    }
    // 0 when the application quits, 1 when it goes on: quit() needs its loop.
    static int closeAndWatchForQuit(QQuickView* shown)
    {
        QTimer::singleShot(0, shown, &QWindow::close);
        QTimer::singleShot(400ms, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec();
    }

    const fs::path data = fs::path(qgetenv("XDG_DATA_HOME").toStdString());
    testing::TestFolder folder;
    const QString list = pathIn(folder, "list");
    QWindow mainWindow;
};

TEST_F(ZurboAppDelegateTest, TheQuickActionShowsThePanelInPlaceOfTheMainWindow)
{
    const std::tuple<const char*, std::string, QStringList, QString> cases[] = {
        {"whole lines at every break",
         "a.pdf\nb.pdf\r\nc.pdf\vd.pdf\fe.pdf\rf.pdf\u0085g.pdf\u2028h.pdf\u2029 a.pdf\n\nb.PDF\n"
         "c.txt\nd.pdf \n a.pdf",
         {flag, list},
         "a.pdf|b.pdf|c.pdf|d.pdf|e.pdf|f.pdf|g.pdf|h.pdf| a.pdf|b.PDF| a.pdf"},
        {"no PDF", "c.txt\n", {flag, list}, ""},
        {"not UTF-8", "a.pdf\ncaf\xe9.pdf\n", {flag, list}, ""},
        {"flag twice", "a.pdf\n", {flag, list, flag, pathIn(folder, "none")}, "a.pdf"},
        {"flag last", "a.pdf\n", {list, flag}, ""},
        {"window mode", "a.pdf\n", {"--Finder-Quick-Action", list}, ""},
    };
    for (const auto& [name, text, arguments, pdfs] : cases) {
        SCOPED_TRACE(name);
        writeFile(list.toStdString(), text);
        const auto delegate = launch(arguments);
        EXPECT_EQ(QFile::exists(list), arguments.first() != flag);
        EXPECT_EQ(mainWindow.isVisible(), pdfs.isEmpty());
        // Fitted to the offscreen screen of 800 x 800 unless the quick action started it.
        EXPECT_EQ(mainWindow.geometry() == QRect(20, 20, 760, 760) &&
                      mainWindow.minimumSize() == QSize(760, 650),
                  !arguments.contains(flag));
        FinderServicePanelController* shown = delegate->servicePanelController();
        EXPECT_EQ(shown ? shown->model()->sourceURLs() : QList<QUrl>(),
                  testing::fileUrls(pdfs.split('|', Qt::SkipEmptyParts)));
        if (shown) {
            EXPECT_TRUE(shown->panel()->isVisible());
            EXPECT_EQ(closeAndWatchForQuit(shown->panel()), 0);
            EXPECT_EQ(delegate->servicePanelController(), nullptr);
        }
    }
}

class ZurboServicesTest : public ZurboAppDelegateTest {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus; run under dbus-run-session";
        }
    }
    // Asks the running application on the bus; its answer, or the bus's error.
    static QString request(const QStringList& uris)
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall("app.zurbo.Zurbo", "/app/zurbo/Zurbo",
                                           "app.zurbo.Services", "compressPDFs")
            << uris);
        return reply.arguments().value(0, reply.errorMessage()).toString();
    }
};

TEST_F(ZurboServicesTest, EachRequestWithPdfsOpensAPanelOfItsOwn)
{
    const auto delegate = launch({});
    EXPECT_EQ(request({"file:///d/notes.txt", "file:///d/scans", "https://example.org/a.pdf",
                       "file://elsewhere/d/a.pdf", "file:d/a.pdf"}),
              "ZURBO no ha recibido ningún PDF. El gestor de archivos se ha hecho el sueco.");
    EXPECT_EQ(delegate->servicePanelController(), nullptr);
    EXPECT_EQ(request({"file:///d/notes.txt", "file:///d/first.pdf"}), "");
    QTest::qWait(50); // the panel opens right after the answer
    QPointer<FinderServicePanelController> first = delegate->servicePanelController();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->model()->sourceURLs(), QList<QUrl>{QUrl("file:///d/first.pdf")});
    const QPoint centred = first->panel()->position();
    EXPECT_EQ(closeAndWatchForQuit(first->panel()), 1);

    // Another process's panel holds the first place of the cascade. A quick-action panel and a
    // request's: the process ends with the last one, whichever.
    const PanelSlot elsewhere;
    delegate->showServicePanel({QUrl("file:///d/own.pdf")}, true);
    QPointer<FinderServicePanelController> own = delegate->servicePanelController();
    EXPECT_EQ(request({"file://localhost/d/second.PDF"}), "");
    QTest::qWait(50);
    QPointer<FinderServicePanelController> newer = delegate->servicePanelController();
    ASSERT_TRUE(own && newer && own != newer);
    EXPECT_EQ(newer->model()->sourceURLs(), QList<QUrl>{QUrl("file:///d/second.PDF")});
    EXPECT_EQ(own->panel()->position() - centred, QPoint(32, 32));
    EXPECT_EQ(newer->panel()->position() - own->panel()->position(), QPoint(32, 32));
    EXPECT_EQ(closeAndWatchForQuit(own->panel()), 1);
    ASSERT_TRUE(newer && own.isNull() && delegate->servicePanelController() == newer);
    EXPECT_EQ(closeAndWatchForQuit(newer->panel()), 0);
}

// 250 requests while the first panel waits for its save answer: the panels open one at a time,
// each once the one before has its answer, and no more than a handful at once; the rest wait or
// are turned away, and nothing is written without an answer.
TEST_F(ZurboServicesTest, AFloodOfRequestsOpensOnePanelAtATimeAndAHandfulAtMost)
{
    const auto delegate = launch({});
    const auto dialogs = std::make_shared<testing::ScriptedSavePanel>();
    testing::ScriptedEngine engine;
    delegate->setPanelTools({dialogs, engine.function()});
    QStringList answers;
    QList<qsizetype> panelsWhileAsking;
    dialogs->whileShown = [&] {
        for (int index = 0; answers.size() < 250; ++index) {
            answers.append(request({QString("file:///d/%1.pdf").arg(index)}));
        }
        QTest::qWait(30); // the user takes a moment; the requests are not kept waiting
        panelsWhileAsking.append(
            std::ranges::count_if(QGuiApplication::topLevelWindows(), [](const QWindow* window) {
                return window->isVisible() && window->type() == Qt::Tool;
            }));
    };
    EXPECT_EQ(request({"file:///d/first.pdf"}), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelsWhileAsking.size() == 4; }));
    QTest::qWait(100);
    EXPECT_EQ(panelsWhileAsking, QList<qsizetype>({1, 2, 3, 4}));
    EXPECT_EQ(answers.count(""), ZurboAppDelegate::maxWaitingRequests);
    EXPECT_EQ(answers.last(),
              "ZURBO va hasta arriba de PDFs. Acaba con los que tiene y vuelve a pedírselo.");
    EXPECT_TRUE(engine.calls().isEmpty());
    EXPECT_EQ(closeAndWatchForQuit(delegate->servicePanelController()->panel()), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelsWhileAsking.size() == 5; }))
        << "a closed panel makes room for the next request";
}

struct RecordingFileBrowser : FileBrowserReveal {
    void reveal(const QStringList& paths) override { requests.append(paths); }
    QList<QStringList> requests;
};

// Save dialogs put the first `answered` sources in "out/", then back out.
class FinderServicePanelTest : public ::testing::Test {
protected:
    void open(const QStringList& names, qint64 bytes = 1000, qsizetype answered = 3)
    {
        QStringList paths;
        panel->answers.clear();
        for (const QString& name : names) {
            paths.append(testing::writeSizedFile(folder, name, bytes));
            panel->answers.push_back(paths.size() > answered
                                         ? std::nullopt
                                         : std::optional(pathIn(folder, "out/" + name)));
        }
        controller.show(testing::fileUrls(paths), [this] { ++closes; });
        model = controller.model();
        ASSERT_TRUE(controller.panel() && (view = controller.panel()->rootObject()));
    }
    bool runToEnd()
    {
        return QTest::qWaitFor([&] { return model->phaseName() != "working"; });
    }
    QQuickItem* item(const char* name) const { return view->findChild<QQuickItem*>(name); }
    // Texts, and pictures by name, so one check covers a whole state.
    QString screen() const
    {
        QStringList shown;
        for (const char* name :
             {"statusTitle", "percentText", "statusPhrase", "activeFile", "heroIllustration",
              "mascot", "workingNote", "savingsLine", "readyNote", "failureNote", "hideButton",
              "revealButton", "closeButton", "passwordField", "passwordButton",
              "failedCloseButton"}) {
            const QVariant text = item(name)->property("text");
            if (item(name)->isVisible()) {
                shown.append(text.isValid() ? text.toString() : name);
            }
        }
        return shown.join('|');
    }
    void screenshot(const QString& state) const
    {
        QTest::qWait(300); // past the bar's animation
        QDir().mkpath(ZURBO_SCREENSHOT_DIR);
        EXPECT_TRUE(controller.panel()->grabWindow().save(ZURBO_SCREENSHOT_DIR "/quick-action-" +
                                                          state + ".png"));
    }
    void closeWith(const char* button, const QString& state)
    {
        screenshot(state);
        QPointer<QQuickView> window = controller.panel();
        QMetaObject::invokeMethod(item(button), "clicked");
        EXPECT_TRUE(QTest::qWaitFor([&window] { return window.isNull(); }));
        controller.windowWillClose();
        EXPECT_EQ(closes, 1);
    }

    testing::TestFolder folder;
    testing::ScriptedEngine engine;
    const std::shared_ptr<testing::ScriptedSavePanel> panel{new testing::ScriptedSavePanel};
    RecordingFileBrowser fileBrowser;
    FinderServicePanelController controller{{panel, engine.function(), &fileBrowser}};
    FinderServiceProgressModel* model = nullptr;
    QQuickItem* view = nullptr;
    int closes = 0;
};

TEST_F(FinderServicePanelTest, AFloatingPanelRunsEachFileInTurnAndShowsTheSavings)
{
    const QStringList names{"a.pdf",
                            "b, " + QString("con un nombre larguísimo, ").repeated(5) + ".pdf"};
    for (const QString& name : names) {
        engine.script(name, testing::ScriptedEngine::Answer::succeeds(1310720, {}, 900ms));
    }
    open(names, 5242880);
    QList<double> ticks[2];
    QObject::connect(model, &FinderServiceProgressModel::progressChanged, [&] {
        if (model->activeFile() == names.value(model->completedCount())) {
            ticks[model->completedCount()].append(model->progress());
        }
    });
    QQuickView* window = controller.panel();
    step("a floating tool window of its own size, working, that comes back when minimised", [&] {
        EXPECT_EQ(
            std::tuple(window->title(), window->size(), window->maximumSize(), window->type()),
            std::tuple(QString("ZURBO"), QSize(570, 350), QSize(570, 350), Qt::Tool));
        window->setWindowStates(Qt::WindowMinimized);
        EXPECT_TRUE(
            QTest::qWaitFor([window] { return window->windowStates() == Qt::WindowNoState; }));
        EXPECT_EQ(screen(), "APLASTANDO\n2 PDFS|3%|Calentando la prensa de "
                            "megas...||heroIllustration|0/2 PDFS DOMADOS|OCULTAR");
        ASSERT_TRUE(QTest::qWaitFor([this] { return model->completedCount() == 1; }));
        EXPECT_EQ(screen(),
                  QString("APLASTANDO\n2 PDFS|%1%|%2|%3|heroIllustration|1/2 PDFS DOMADOS|OCULTAR")
                      .arg(int(model->progress() * 100))
                      .arg(model->statusPhrase(), names[1]));
        screenshot("working");
        EXPECT_EQ(testing::ViewProbe::textsOutside(view).join('|').toStdString(), "");
    });
    ASSERT_TRUE(runToEnd());
    step("a dialog and a ticking engine call per file, in turn", [&] {
        ASSERT_EQ(panel->shown.size(), 2);
        ASSERT_EQ(engine.calledFiles(), names);
        for (int i = 0; i < 2; ++i) {
            const SavePanel::Settings& dialog = panel->shown.at(i);
            EXPECT_EQ(
                std::tuple(dialog.message, dialog.prompt, dialog.pdfOnly, dialog.canCreateFolders,
                           QDir(dialog.startFolder).filePath(dialog.proposedName)),
                std::tuple(QString("Mantén el nombre para sustituirlo o escribe otro. Tú mandas."),
                           QString("GUARDAR PDF"), true, true, pathIn(folder, names[i])));
            const auto [request, onMainThread] = engine.calls().at(i);
            EXPECT_EQ(std::tuple(request.profile, request.targetBytes, request.cleanMetadata,
                                 onMainThread),
                      std::tuple(CompressionProfile::balanced, std::nullopt, false, false));
            ASSERT_GE(ticks[i].size(), 3) << "the ticker should have moved the bar";
            for (int tick = 0; tick < ticks[i].size(); ++tick) {
                EXPECT_NEAR(ticks[i][tick], i * 0.5 + std::min(0.025 + tick * 0.0225, 0.45), 1e-9);
            }
        }
    });
    // As assistive technology finds it, and hears it at the end.
    step("the savings, spoken and heard, and the outputs shown in their folder", [&] {
        const QString savings =
            "\u221275% · " + ByteText().format(10485760) + " \u2192 " + ByteText().format(2621440);
        EXPECT_EQ(testing::ViewProbe::spoken(view),
                  "heading ZURBO|text ACCIÓN RÁPIDA · ARCHIVOS|heading MISIÓN CUMPLIDA|text "
                  "100%|text Ya cabe donde antes daba vergüenza enviarlo.|bar MISIÓN CUMPLIDA "
                  "100|image Mascota de ZURBO celebrando|text " +
                      savings +
                      "|text PDFS LISTOS PARA SALIR|button MOSTRAR EN CARPETA|button CERRAR");
        QAccessibleInterface* news = QAccessible::queryAccessibleInterface(item("announcer"));
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return news->text(QAccessible::Name) ==
                   "MISIÓN CUMPLIDA. Ya cabe donde antes daba vergüenza enviarlo. " + savings + ".";
        }));
        EXPECT_EQ(testing::ViewProbe::tabWalk(window), "button MOSTRAR EN CARPETA|button CERRAR");
        testing::ViewProbe::press(window, "MOSTRAR EN CARPETA", Qt::Key_Return);
        const QStringList outputs{pathIn(folder, "out/a.pdf"), pathIn(folder, "out/" + names[1])};
        EXPECT_EQ(fileBrowser.requests, QList<QStringList>{outputs});
    });
    closeWith("closeButton", "complete");
}

TEST_F(FinderServicePanelTest, StopsAtACancelledDialogOrAFailedFile)
{
    engine.script("a.pdf", testing::ScriptedEngine::Answer::succeeds(5000));
    engine.script("b.pdf", testing::ScriptedEngine::Answer::fails("gs: la página 2 está rota"));
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
        EXPECT_EQ(screen(), "EL PDF\nHA GANADO|" + QString(cancel ? "3%|" : "35%|") + message +
                                "|mascot|EL PDF SE HA PUESTO DIGNO|CERRAR");
        EXPECT_EQ(panel->shown.size(), cancel ? 2 : 3);
        EXPECT_EQ(engine.calledFiles(), cancel ? QStringList() : QStringList({"a.pdf", "b.pdf"}));
        EXPECT_EQ(model->outputPaths().join(',') + "|" + QString::number(model->outputBytes()),
                  cancel ? "|0" : pathIn(folder, "out/a.pdf") + "|5000");
    }
    // A larger result saves nothing.
    EXPECT_TRUE(item("savingsLine")->property("text").toString().startsWith("\u22120% · "));
    closeWith("failedCloseButton", "failed");
    open({"only.pdf"});
    EXPECT_EQ(screen(), "APLASTANDO\nTU PDF|3%|Calentando la prensa de "
                        "megas...||heroIllustration|PERFIL SIN PIEDAD · 150 PPP|OCULTAR");
    QMetaObject::invokeMethod(item("hideButton"), "clicked");
    EXPECT_EQ(closes, 2);
}

// A locked file stops the run untouched and asks for its password; given it, the run goes on
// from that file, the password going with it and no earlier file.
TEST_F(FinderServicePanelTest, ALockedFileAsksForItsPasswordAndTheRunGoesOnFromIt)
{
    engine.script("b.pdf", testing::ScriptedEngine::Answer::locked("clave"));
    open({"a.pdf", "b.pdf", "c.pdf"}, 1000);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(screen(), "EL PDF\nHA GANADO|35%|Este PDF va con candado. Dinos la contraseña y lo "
                        "comprimimos.|mascot|EL PDF SE HA PUESTO DIGNO||COMPRIMIR|CERRAR");
    screenshot("locked");
    item("passwordField")->setProperty("text", "clave");
    QMetaObject::invokeMethod(item("passwordButton"), "clicked");
    EXPECT_EQ(item("passwordField")->property("text").toString(), "");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model->phaseName(), "complete");
    QStringList passwords;
    for (const auto& call : engine.calls()) {
        passwords.append(QFileInfo(call.request.source).fileName() + ":" +
                         QString::fromStdString(call.request.password));
    }
    EXPECT_EQ(passwords.join(' '), "a.pdf: b.pdf: b.pdf:clave c.pdf:clave");
    EXPECT_EQ(model->outputPaths().size(), 3);
    closeWith("closeButton", "locked-complete");
}

// Closing a panel stops its engine call: nothing finishes unseen after the panel is gone.
TEST_F(FinderServicePanelTest, StopsTheEngineWhenClosed)
{
    std::atomic<bool> stopped = false;
    FinderServicePanelController closing({panel, testing::waitingForStop(stopped), &fileBrowser});
    panel->answers = {pathIn(folder, "out.pdf")};
    closing.show(testing::fileUrls({testing::writeSizedFile(folder, "a.pdf", 10)}), [] {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !closing.model()->activeFile().isEmpty(); }));
    closing.panel()->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped.load(); }));
}

} // namespace
} // namespace zurbo

// Nothing may reach the desktop of whoever runs the tests: no display, no bus
// but dbus-run-session's, and home, XDG and temporary folders of the run's own.
int main(int argc, char** argv)
{
    const QTemporaryDir desktop;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        QDir(desktop.path()).mkdir(name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(desktop.filePath(name)));
    }
    if (!qEnvironmentVariableIsSet("ZURBO_PRIVATE_BUS")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(desktop.path()));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // only the tests end their event loops
    zurbo::BundledFonts::registerBundledFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
