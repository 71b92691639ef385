#include "QuickActionLaunch.h"

#include "QueueTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using testing::fileUrls;
using testing::pathIn;
using testing::readFile;

TEST(PathListSplitTest, CutsAtEveryLineBreakAndDropsEmptyLines)
{
    const struct {
        const char* name;
        QString text;
        QStringList paths;
    } cases[] = {
        {"example", "a.pdf\n\nb.PDF\nc.txt\n", {"a.pdf", "b.PDF", "c.txt"}},
        {"crlf", "/x/a.pdf\r\n/x/b.pdf\r\n", {"/x/a.pdf", "/x/b.pdf"}},
        {"lineSeparator", QString::fromUtf8("a.pdf\u2028b.pdf"), {"a.pdf", "b.pdf"}},
        {"everyOtherBreak",
         QString::fromUtf8("a\vb\fc\rd\u0085e\u2029f"),
         {"a", "b", "c", "d", "e", "f"}},
        {"spacesKept", " a.pdf\nb.pdf \n \n", {" a.pdf", "b.pdf ", " "}},
        {"tabIsNoBreak", "a\tb.pdf", {"a\tb.pdf"}},
        {"empty", "", {}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(quickaction::splitPathList(each.text), each.paths);
    }
}

TEST(QuickActionArgumentsTest, TakesTheArgumentAfterTheFirstFlag)
{
    const QString flag = "--finder-quick-action";
    const struct {
        const char* name;
        QStringList arguments;
        std::optional<QString> listFile;
        bool flag;
    } cases[] = {
        {"plain", {"zurbo"}, std::nullopt, false},
        {"flagAndList", {"zurbo", flag, "/t/l"}, "/t/l", true},
        {"flagTwice", {"zurbo", flag, "/t/1", flag, "/t/2"}, "/t/1", true},
        {"flagLast", {"zurbo", "/t/l", flag}, std::nullopt, true},
        {"otherCase", {"zurbo", "--Finder-Quick-Action", "/t/l"}, std::nullopt, false},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(quickaction::pathListFile(each.arguments), each.listFile);
        EXPECT_EQ(quickaction::hasFlag(each.arguments), each.flag);
    }
}

TEST(PathListFileTest, TextThatIsNotUtf8ReadsAsNothingAndIsDeletedAnyway)
{
    testing::TestFolder folder;
    const QString list = pathIn(folder, "list");
    testing::writeFile(list.toStdString(), "/d/caf\xe9.pdf\n");
    EXPECT_TRUE(quickaction::takePathList(list).isEmpty());
    EXPECT_FALSE(QFile::exists(list));
    EXPECT_TRUE(quickaction::takePathList(list).isEmpty()) << "a missing list is an empty one";
}

TEST(PdfUrlsTest, KeepsNamesEndingInPdfInAnyCase)
{
    EXPECT_EQ(quickaction::pdfUrls(fileUrls({"/d/a.pdf", "/d/b.PDF", "/d/c.txt", "/d/folder",
                                             "/d/d.pdf.txt", "/d/e.tar.Pdf"})),
              fileUrls({"/d/a.pdf", "/d/b.PDF", "/d/e.tar.Pdf"}));
}

QString qPath(const fs::path& path)
{
    return QFile::decodeName(path.c_str());
}

// A process whose temporary files go to "tmp" inside the test's folder.
class QuickActionLauncherTest : public ::testing::Test {
protected:
    QuickActionLauncherTest()
    {
        fs::create_directory(folder / "tmp");
        environment.insert("TMPDIR", qPath(folder / "tmp"));
    }

    testing::TestFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess process;
};

// The launcher in a tree of its own, beside a stand-in program that keeps
// what it was handed.
TEST_F(QuickActionLauncherTest, ListsTheSelectedPathsAndLeavesOutThoseWithLineBreaks)
{
    const fs::path workflow = folder / "resources/FinderQuickAction.workflow";
    fs::create_directories(workflow);
    fs::copy_file(ZURBO_QUICK_ACTION_LAUNCHER, workflow / "zurbo-quick-action");
    testing::writeFile(folder / "zurbo", "#!/bin/sh\nhere=$(dirname \"$0\")\n"
                                         "printf '%s\\n' \"$@\" > \"$here/arguments\"\n"
                                         "cp \"$2\" \"$here/handed-over\"\n");
    fs::permissions(folder / "zurbo", fs::perms::owner_all);

    process.setProcessEnvironment(environment);
    process.start(qPath(workflow / "zurbo-quick-action"),
                  {"/d/a.pdf", "/d/two\nlines.pdf", "/d/b.PDF", "/d/cr\r.pdf", "/d/para\u2029.pdf",
                   "/d/next\u0085.pdf", " /d/leading space.pdf"});
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const QString handedOver = QString::fromStdString(readFile(folder / "handed-over"));
    EXPECT_EQ(handedOver, "/d/a.pdf\n/d/b.PDF\n /d/leading space.pdf\n");
    EXPECT_EQ(quickaction::splitPathList(handedOver),
              (QStringList{"/d/a.pdf", "/d/b.PDF", " /d/leading space.pdf"}));
    const QString arguments = QString::fromStdString(readFile(folder / "arguments"));
    EXPECT_EQ(arguments.split('\n', Qt::SkipEmptyParts).size(), 2);
    EXPECT_TRUE(arguments.startsWith("--finder-quick-action\n" + qPath(folder / "tmp/")))
        << arguments.toStdString();
}

// The built launcher run as a file manager runs it: the application starts in
// quick-action mode and takes the list. It then waits in its first save
// dialog, so the test ends it there.
TEST_F(QuickActionLauncherTest, StartsTheApplicationInQuickActionModeWithTheListConsumed)
{
    ZURBO_REQUIRE_CORPUS();
    const std::vector<fs::path> corpus = testing::corpusFiles();
    ASSERT_GE(corpus.size(), 2u);
    fs::create_directory(folder / "runtime");
    fs::permissions(folder / "runtime", fs::perms::owner_all);
    environment.insert("XDG_DATA_HOME", qPath(folder / "data"));
    // Qt would otherwise make a runtime folder inside TMPDIR.
    environment.insert("XDG_RUNTIME_DIR", qPath(folder / "runtime"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_QUICK_BACKEND", "software");
    // Not on the session bus of whoever runs the tests.
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    process.setProcessEnvironment(environment);
    process.start(ZURBO_QUICK_ACTION_LAUNCHER, {qPath(corpus.at(0)), qPath(corpus.at(1))});
    ASSERT_TRUE(process.waitForStarted());

    // The installation runs before the list is read, so once it is there and
    // the temporary folder is empty again, the list was written and taken.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return fs::exists(folder / "data/applications/Zurbo.workflow") &&
                   fs::is_empty(folder / "tmp");
        },
        30000));
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();

    // The launcher replaced itself with the application: same process.
    const QList<QByteArray> commandLine =
        QByteArray::fromStdString(
            readFile("/proc/" + std::to_string(process.processId()) + "/cmdline"))
            .split('\0');
    ASSERT_GE(commandLine.size(), 3);
    EXPECT_TRUE(commandLine.at(0).endsWith("/zurbo")) << commandLine.at(0).toStdString();
    EXPECT_EQ(commandLine.at(1), "--finder-quick-action");
    EXPECT_TRUE(commandLine.at(2).startsWith(QFile::encodeName(qPath(folder / "tmp/"))));
    process.kill();
    process.waitForFinished();
}

} // namespace
} // namespace zurbo
