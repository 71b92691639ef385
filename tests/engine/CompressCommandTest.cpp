#include "CompressCommand.h"
#include "ByteCountText.h"
#include "ChildProcess.h"
#include "EngineTestSupport.h"
#include "PdfFixtures.h"

#include <gtest/gtest.h>

#include <regex>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun runCommand(const std::vector<std::string>& arguments, bool errIsTerminal = false)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCompressCommand(arguments, out, err, {}, errIsTerminal);
    return {status, out.str(), err.str()};
}

TEST(CompressCommandTest, BadUsageExitsWithTwoAndExplains)
{
    // Ghostscript counts as absent, so naming it is a misuse too.
    const ScopedEnvironment noGhostscript("ZURBO_FORCE_SYSTEM_ENGINE", "1");
    for (const char* misuse : {"", "--profile Balanced a.pdf", "--profile", "--target-mb ten a.pdf",
                               "--target-mb -1 a.pdf", "--output x.pdf a.pdf b.pdf",
                               "--in-place --output x.pdf a.pdf", "--frobnicate a.pdf", "--engine",
                               "--engine fastest a.pdf", "--engine ghostscript a.pdf"}) {
        const CommandRun run = runCommand(split(misuse));
        EXPECT_EQ(run.status, 2) << misuse;
        EXPECT_NE(run.err.find("usage: zurbo-compress"), std::string::npos);
    }
    EXPECT_TRUE(std::regex_search(runCommand({"--engine", "ghostscript", "a.pdf"}).err,
                                  std::regex("ghostscript is not available here; available: "
                                             "([a-z]+, )*native\n")));
    const CommandRun help = runCommand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: zurbo-compress"), std::string::npos);
    EXPECT_EQ(engine::runChildProcess(ZURBO_COMPRESS_EXECUTABLE, {"--nope"}).status, 2);
}

TEST(CompressCommandTest, WritesWhereToldReportsAndKeepsGoingAfterAFailure)
{
    const TestFolder folder;
    writeFile(folder / "bad.pdf", "not a pdf");
    writeFixturePdf(folder / "photo.pdf", imageHeavyDocument());
    writeFixturePdf(folder / "text.pdf", textOnlyDocument());
    fs::copy_file(folder / "photo.pdf", folder / "copy.pdf");
    const std::string original = readFile(folder / "photo.pdf");
    const auto path = [&](const char* name) { return (folder / name).string(); };

    // A terminal gets a progress line per file, cleared before the result; JSON does not.
    const CommandRun beside = runCommand({path("bad.pdf"), path("photo.pdf")}, true);
    const CommandRun json = runCommand({"--json", "--target-mb", "0.5", "--profile", "demolition",
                                        path("photo.pdf"), path("bad.pdf")},
                                       true);
    const CommandRun missed = runCommand({"--target-mb", "0.0001", path("text.pdf")});
    const CommandRun told = runCommand({"--output", path("told.pdf"), "--profile", "respectful",
                                        "--engine", "native", path("photo.pdf")});
    const auto inPlace = engine::runChildProcess(
        ZURBO_COMPRESS_EXECUTABLE, {"--in-place", "--clean-metadata", path("copy.pdf")});

    EXPECT_EQ(std::tuple(beside.status, json.status, missed.status, told.status, inPlace.status),
              std::tuple(1, 1, 0, 0, 0));
    EXPECT_TRUE(std::regex_match(
        beside.out, std::regex(".*/photo\\.pdf: [0-9.]+ MB → [0-9.]+ kB \\(−9[0-9]%\\)\n")))
        << beside.out;
    const std::string cleared = "\r\x1b\\[K";
    EXPECT_TRUE(
        std::regex_match(beside.err, std::regex("(" + cleared + "\\[1/2\\] bad\\.pdf · 0:\\d\\d)+" +
                                                cleared + ".*/bad\\.pdf: [^\r]+\n(" + cleared +
                                                "\\[2/2\\] photo\\.pdf · 0:\\d\\d)+" + cleared)))
        << beside.err;
    EXPECT_EQ(json.err.find('\r'), std::string::npos) << json.err;
    EXPECT_TRUE(std::regex_match(
        json.out,
        std::regex("\\{\"source\":\".*/photo\\.pdf\",\"destination\":\".*/photo\\.zurbo\\.pdf\","
                   "\"originalBytes\":[0-9]+,\"bytes\":[0-9]+,\"targetReached\":true,"
                   "\"error\":null\\}\n\\{\"source\":\".*/bad\\.pdf\",.*\"bytes\":null,"
                   "\"targetReached\":null,\"error\":\"[^\"]+\"\\}\n")))
        << json.out;
    EXPECT_TRUE(std::regex_match(
        missed.out,
        std::regex(".*/text\\.pdf: ([0-9]+ kB) → \\1 \\(−0%\\), objetivo no alcanzado\n")))
        << missed.out;
    EXPECT_TRUE(readFile(folder / "photo.pdf") == original) << "the source changed";
    for (const char* written : {"photo.zurbo.pdf", "told.pdf", "copy.pdf"}) {
        EXPECT_LT(fs::file_size(folder / written), original.size() / 10) << written;
    }
    EXPECT_EQ(folder.entries(), split("bad.pdf copy.pdf photo.pdf photo.zurbo.pdf text.pdf "
                                      "text.zurbo.pdf told.pdf"));
}

TEST(ByteCountTextTest, PicksKilobytesMegabytesOrGigabytes)
{
    const std::vector<std::pair<std::int64_t, std::string>> rows{{-5, "0 kB"},
                                                                 {499, "0 kB"},
                                                                 {500, "1 kB"},
                                                                 {999'499, "999 kB"},
                                                                 {999'999, "1.0 MB"},
                                                                 {1'234'567, "1.2 MB"},
                                                                 {999'960'000, "1.00 GB"},
                                                                 {3'456'789'012, "3.46 GB"},
                                                                 {4'000'000'000'000, "4000.00 GB"}};
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(byteCountText(bytes), text) << bytes << " bytes";
    }
    EXPECT_EQ(byteCountText(1'234'567, ","), "1,2 MB");
    EXPECT_EQ(byteCountText(3'456'789'012, "٫"), "3٫46 GB");
}

} // namespace
