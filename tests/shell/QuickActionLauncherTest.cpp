#include "QuickActionLaunch.h"

#include "QueueTestSupport.h"
#include "TestFolder.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

QString qPath(const fs::path& path) {
    return QFile::decodeName(path.c_str());
}

// The launcher in a tree of its own, beside a stand-in program that keeps
// what it was handed.
TEST(QuickActionLauncherTest, ListsTheSelectedPathsAndLeavesOutThoseWithLineBreaks) {
    testing::TestFolder folder;
    const fs::path workflow = folder / "resources/FinderQuickAction.workflow";
    fs::create_directories(workflow);
    fs::copy_file(ZURBO_QUICK_ACTION_LAUNCHER, workflow / "zurbo-quick-action");
    writeFile(folder / "zurbo", "#!/bin/sh\nhere=$(dirname \"$0\")\n"
                                "printf '%s\\n' \"$@\" > \"$here/arguments\"\n"
                                "cp \"$2\" \"$here/handed-over\"\n");
    fs::permissions(folder / "zurbo", fs::perms::owner_all);
    fs::create_directory(folder / "tmp");

    QProcess launcher;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", qPath(folder / "tmp"));
    launcher.setProcessEnvironment(environment);
    const QStringList selected{
        "/d/a.pdf",          "/d/two\nlines.pdf",    "/d/b.PDF", "/d/cr\r.pdf", "/d/para\u2029.pdf",
        "/d/next\u0085.pdf", " /d/leading space.pdf"};
    launcher.start(qPath(workflow / "zurbo-quick-action"), selected);
    ASSERT_TRUE(launcher.waitForFinished(10000));
    ASSERT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();

    const QString handedOver = QString::fromStdString(readFile(folder / "handed-over"));
    EXPECT_EQ(handedOver, "/d/a.pdf\n/d/b.PDF\n /d/leading space.pdf\n");
    EXPECT_EQ(quickaction::splitPathList(handedOver),
              (QStringList{"/d/a.pdf", "/d/b.PDF", " /d/leading space.pdf"}));
    const QStringList arguments =
        QString::fromStdString(readFile(folder / "arguments")).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments.at(0), "--finder-quick-action");
    EXPECT_TRUE(arguments.at(1).startsWith(qPath(folder / "tmp/")))
        << arguments.at(1).toStdString();
}

// The built launcher run as a file manager runs it: the application starts in
// quick-action mode and takes the list. It then waits in its first save
// dialog, so the test ends it there.
TEST(QuickActionLauncherTest, StartsTheApplicationInQuickActionModeWithTheListConsumed) {
    ZURBO_REQUIRE_CORPUS();
    const std::vector<fs::path> corpus = testing::corpusFiles();
    ASSERT_GE(corpus.size(), 2u);
    testing::TestFolder folder;
    fs::create_directory(folder / "tmp");
    fs::create_directory(folder / "runtime");
    fs::permissions(folder / "runtime", fs::perms::owner_all);

    QProcess application;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", qPath(folder / "tmp"));
    environment.insert("XDG_DATA_HOME", qPath(folder / "data"));
    // Qt would otherwise make a runtime folder inside TMPDIR.
    environment.insert("XDG_RUNTIME_DIR", qPath(folder / "runtime"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_QUICK_BACKEND", "software");
    // Not on the session bus of whoever runs the tests.
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    application.setProcessEnvironment(environment);
    application.start(ZURBO_QUICK_ACTION_LAUNCHER, {qPath(corpus.at(0)), qPath(corpus.at(1))});
    ASSERT_TRUE(application.waitForStarted());

    // The installation runs before the list is read, so once it is there and
    // the temporary folder is empty again, the list was written and taken.
    const bool consumed = QTest::qWaitFor(
        [&folder] {
            return fs::exists(folder / "data/applications/Zurbo.workflow") &&
                   fs::is_empty(folder / "tmp");
        },
        30000);
    EXPECT_TRUE(consumed);
    EXPECT_EQ(application.state(), QProcess::Running)
        << application.readAllStandardError().toStdString();

    // The launcher replaced itself with the application: same process.
    const fs::path process = fs::path("/proc") / std::to_string(application.processId());
    const QList<QByteArray> commandLine =
        QByteArray::fromStdString(readFile(process / "cmdline")).split('\0');
    ASSERT_GE(commandLine.size(), 3);
    EXPECT_TRUE(commandLine.at(0).endsWith("/zurbo")) << commandLine.at(0).toStdString();
    EXPECT_EQ(commandLine.at(1), "--finder-quick-action");
    EXPECT_TRUE(commandLine.at(2).startsWith(QFile::encodeName(qPath(folder / "tmp/"))));

    application.terminate();
    if (!application.waitForFinished(5000)) {
        application.kill();
        application.waitForFinished();
    }
}

} // namespace
} // namespace zurbo
