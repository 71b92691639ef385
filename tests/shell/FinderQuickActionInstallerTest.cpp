#include "FinderQuickActionInstaller.h"

#include "SystemLog.h"
#include "TestFolder.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zurbo {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

class RecordingLog : public SystemLog {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class FinderQuickActionInstallerTest : public ::testing::Test {
protected:
    FinderQuickActionInstallerTest()
    {
        fs::create_directories(workflow);
        writeFile(workflow / "entry.desktop", fresh);
        writeFile(workflow / "launcher", "#!/bin/sh\n");
    }

    void install() { FinderQuickActionInstaller(resources, services, log).install(); }

    void expectOneFailureLine() const
    {
        const std::string prefix = "ZURBO no pudo instalar la acción rápida: ";
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines.front().rfind(prefix, 0), 0u) << log.lines.front();
        EXPECT_GT(log.lines.front().size(), prefix.size());
    }

    const std::string fresh = "[Desktop Entry]\nName=fresh\n";
    testing::TestFolder folder;
    fs::path resources = folder / "resources";
    fs::path workflow = resources / "FinderQuickAction.workflow";
    fs::path services = folder / "home/.local/share/applications";
    fs::path installed = services / "Zurbo.workflow";
    RecordingLog log;
};

TEST_F(FinderQuickActionInstallerTest, AFirstLaunchCreatesTheFolderAndCopiesTheWholeAction)
{
    install();
    EXPECT_EQ(readFile(installed / "entry.desktop"), fresh);
    EXPECT_TRUE(fs::exists(installed / "launcher"));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(FinderQuickActionInstallerTest, TheOlderNameGoesAndAnEditedCopyIsReplacedWhole)
{
    fs::create_directories(services / "Comprimir con ZURBO.workflow");
    writeFile(services / "Comprimir con ZURBO.workflow/entry.desktop", "old");
    fs::create_directories(installed);
    writeFile(installed / "entry.desktop", "[Desktop Entry]\nName=edited\n");
    writeFile(installed / "added-by-hand", "x");
    install();
    EXPECT_FALSE(fs::exists(services / "Comprimir con ZURBO.workflow"));
    EXPECT_EQ(readFile(installed / "entry.desktop"), fresh);
    EXPECT_FALSE(fs::exists(installed / "added-by-hand"));
    EXPECT_TRUE(log.lines.empty());
}

// A file where a folder should be fails for any user, root included.
TEST_F(FinderQuickActionInstallerTest, AFolderThatCannotBeMadeLogsOneLineAndStops)
{
    writeFile(folder / "home", "not a folder");
    install();
    expectOneFailureLine();
}

TEST_F(FinderQuickActionInstallerTest, AMissingResourceLeavesNoActionInstalled)
{
    install();
    fs::remove_all(workflow);
    install();
    EXPECT_FALSE(fs::exists(installed));
    expectOneFailureLine();
}

TEST_F(FinderQuickActionInstallerTest, WithoutAResourceFolderNothingIsTouched)
{
    fs::create_directories(services / "Comprimir con ZURBO.workflow");
    FinderQuickActionInstaller(std::nullopt, services, log).install();
    EXPECT_TRUE(fs::exists(services / "Comprimir con ZURBO.workflow"));
    EXPECT_TRUE(log.lines.empty());
}

// The built action as file managers see it: a valid entry that, installed as a
// folder, is listed for PDFs under the folder-prefixed desktop file id.
TEST(BuiltQuickActionTest, IsListedForPdfsOnceInstalled)
{
    const QString refresh = QStandardPaths::findExecutable("update-desktop-database");
    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    if (refresh.isEmpty() || validate.isEmpty()) {
        GTEST_SKIP() << "desktop-file-utils is not installed";
    }
    const fs::path resources = ZURBO_RESOURCE_DIR;
    const fs::path entry = resources / "FinderQuickAction.workflow/zurbo-quick-action.desktop";
    EXPECT_EQ(QProcess::execute(validate, {QString::fromStdString(entry.string())}), 0);
    const std::string text = readFile(entry);
    EXPECT_NE(text.find("Name=Comprimir con ZURBO\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"" ZURBO_QUICK_ACTION_LAUNCHER "\" %F\n"), std::string::npos);

    testing::TestFolder folder;
    RecordingLog log;
    FinderQuickActionInstaller(resources, folder.path(), log).install();
    EXPECT_TRUE(log.lines.empty());
    EXPECT_NE(readFile(folder / "mimeinfo.cache")
                  .find("application/pdf=Zurbo.workflow-zurbo-quick-action.desktop;"),
              std::string::npos);
}

} // namespace
} // namespace zurbo
