#include "CompressCommand.h"
#include "ChildProcess.h"
#include "PdfFixtures.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun runCommand(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCompressCommand(arguments, out, err);
    return {status, out.str(), err.str()};
}

bool qpdfAccepts(const fs::path& file)
{
    return engine::runChildProcess("/usr/bin/qpdf", {"--check", file.string()}).exitedWith(0);
}

} // namespace

TEST(CompressCommandTest, BadUsageExitsWithTwoAndExplains)
{
    const std::vector<std::vector<std::string>> misuses{
        {},
        {"--profile", "Balanced", "a.pdf"},
        {"--profile"},
        {"--target-mb", "ten", "a.pdf"},
        {"--target-mb", "-1", "a.pdf"},
        {"--output", "x.pdf", "a.pdf", "b.pdf"},
        {"--in-place", "--output", "x.pdf", "a.pdf"},
        {"--frobnicate", "a.pdf"},
    };
    for (const auto& arguments : misuses) {
        const CommandRun run = runCommand(arguments);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(run.err.find("usage: zurbo-compress"), std::string::npos);
    }
    const CommandRun help = runCommand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: zurbo-compress"), std::string::npos);
}

TEST(CompressCommandTest, WritesBesideTheSourceAndReportsTheSaving)
{
    TestFolder folder;
    writeFixturePdf(folder / "photo.pdf", imageHeavyDocument());

    const CommandRun run = runCommand({(folder / "photo.pdf").string()});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder / "photo.zurbo.pdf"));
    const std::regex line(".*photo\\.pdf: [0-9.]+ MB → [0-9.]+ kB \\(−9[0-9]%\\)\n");
    EXPECT_TRUE(std::regex_match(run.out, line)) << run.out;
}

TEST(CompressCommandTest, JsonLinesAndFailuresKeepGoing)
{
    TestFolder folder;
    writeFixturePdf(folder / "a.pdf", imageHeavyDocument());
    writeFile(folder / "b.pdf", "not a pdf");
    writeFixturePdf(folder / "c.pdf", imageHeavyDocument());

    const CommandRun run = runCommand({"--json", "--target-mb", "0.5", "--profile", "demolition",
                                       (folder / "a.pdf").string(), (folder / "b.pdf").string(),
                                       (folder / "c.pdf").string()});

    EXPECT_EQ(run.status, 1);
    std::istringstream lines(run.out);
    std::vector<std::string> objects;
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(line);
    }
    ASSERT_EQ(objects.size(), 3u) << run.out;
    const std::regex success("\\{\"source\":\".*/a\\.pdf\",\"destination\":\".*/a\\.zurbo\\.pdf\","
                             "\"originalBytes\":[0-9]+,\"bytes\":[0-9]+,\"targetReached\":true,"
                             "\"error\":null\\}");
    EXPECT_TRUE(std::regex_match(objects[0], success)) << objects[0];
    EXPECT_NE(objects[1].find("\"bytes\":null,\"targetReached\":null,\"error\":\""),
              std::string::npos)
        << objects[1];
    EXPECT_NE(run.err.find("b.pdf: "), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "c.zurbo.pdf")) << "a failure does not stop the run";
}

TEST(CompressCommandTest, OutputAndInPlace)
{
    TestFolder folder;
    writeFixturePdf(folder / "a.pdf", imageHeavyDocument());
    fs::copy_file(folder / "a.pdf", folder / "b.pdf");
    const auto before = fs::file_size(folder / "b.pdf");

    EXPECT_EQ(
        runCommand({"--output", (folder / "chosen.pdf").string(), (folder / "a.pdf").string()})
            .status,
        0);
    EXPECT_EQ(runCommand({"--in-place", "--clean-metadata", (folder / "b.pdf").string()}).status,
              0);

    EXPECT_TRUE(fs::exists(folder / "chosen.pdf"));
    EXPECT_LT(fs::file_size(folder / "b.pdf"), before / 10);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.pdf", "b.pdf", "chosen.pdf"}));
}

TEST(CompressCommandTest, EveryCorpusFileSucceedsCheckedOrFailsWithAMessage)
{
    ZURBO_REQUIRE_CORPUS();
    TestFolder folder;
    for (const fs::path& corpusFile : corpusFiles()) {
        SCOPED_TRACE(corpusFile.filename().string());
        const fs::path source = folder / corpusFile.filename().string();
        fs::copy_file(corpusFile, source);
        const std::string original = readFile(source);
        const fs::path output = folder / "out.pdf";

        const CommandRun run = runCommand({"--output", output.string(), source.string()});

        if (run.status == 0) {
            EXPECT_TRUE(qpdfAccepts(output));
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_GT(run.err.size(), source.string().size() + 2) << "no message";
            EXPECT_FALSE(fs::exists(output));
        }
        EXPECT_TRUE(readFile(source) == original) << "the source changed";
        fs::remove(output);
        fs::remove(source);
        EXPECT_TRUE(folder.entries().empty()) << "a working file was left behind";
    }
}

TEST(CompressCommandTest, ExecutableRunsEndToEnd)
{
    TestFolder folder;
    writeFixturePdf(folder / "a.pdf", imageHeavyDocument());
    const auto exit =
        engine::runChildProcess(ZURBO_COMPRESS_EXECUTABLE, {(folder / "a.pdf").string()});
    EXPECT_TRUE(exit.exitedWith(0)) << exit.standardError;
    EXPECT_TRUE(fs::exists(folder / "a.zurbo.pdf"));
    EXPECT_EQ(engine::runChildProcess(ZURBO_COMPRESS_EXECUTABLE, {"--nope"}).status, 2);
}
