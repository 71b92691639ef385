#include "CompressCommand.h"
#include "ByteCountText.h"
#include "ChildProcess.h"
#include "EngineTestSupport.h"
#include "PdfFixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

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

// Runs the built zurbo-compress in `folder` with standard output to "stdout.txt"; sends
// `signal` once the engine has started, as "pid" tells. The wait status comes back.
int runInFolder(const TestFolder& folder, const std::vector<std::string>& arguments, int signal)
{
    std::vector<char*> argv{const_cast<char*>(ZURBO_COMPRESS_EXECUTABLE)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (folder / "stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t command = 0;
    EXPECT_EQ(posix_spawn(&command, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int waited = 0; signal != 0 && !fs::exists(folder / "pid") && waited < 1000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (signal != 0) {
        ::kill(command, signal);
    }
    // A command that does not stop fails the test rather than hanging it.
    int status = 0;
    for (int waited = 0; ::waitpid(command, &status, WNOHANG) == 0; ++waited) {
        if (waited == 1000) {
            ADD_FAILURE() << "still running 10 s after the signal";
            ::kill(command, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

// Gone, or a zombie that nothing will run again.
bool processGone(const std::string& pid)
{
    const fs::path stat = "/proc/" + pid + "/stat";
    return !fs::exists(stat) || readFile(stat).find(") Z ") != std::string::npos;
}

// The engine is a bundled qpdf stand-in: chatty on standard output, then either done or
// stuck (deaf to SIGTERM) until the command stops it.
TEST(CompressCommandTest, PrintsOnlyJsonAndLeavesNothingBehindWhenStopped)
{
    const TestFolder folder;
    fs::create_directories(folder / "App/Resources/Engine");
    writeFixturePdf(folder / "--json.pdf", textOnlyDocument());
    const std::string source = readFile(folder / "--json.pdf");
    const ScopedEnvironment forced("ZURBO_FORCE_SYSTEM_ENGINE", "1");
    const std::string chatter = "echo 'GPL noise'; for a; do out=\"$a\"; done; "
                                "stat -c %a \"$out\" > " +
                                (folder / "mode").string() + "\n";
    const StandInExecutable done(folder / "App/Resources/Engine", "qpdf",
                                 {.outputFrom = folder / "--json.pdf", .firstLines = chatter});
    EXPECT_EQ(WEXITSTATUS(runInFolder(folder, {"--json", "--", "--json.pdf"}, 0)), 0);
    EXPECT_TRUE(std::regex_match(readFile(folder / "stdout.txt"),
                                 std::regex("\\{\"source\":\"--json\\.pdf\",[^\n]*\\}\n")));
    EXPECT_EQ(readFile(folder / "mode"), "600\n") << "the working file was readable by others";

    const StandInExecutable stuck(folder / "App/Resources/Engine", "qpdf",
                                  {.firstLines = "echo $$ > pid; trap '' TERM; exec sleep 600"});
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(folder / "pid");
        const int status = runInFolder(folder, {"--in-place", "--", "--json.pdf"}, signal);
        if (signal == SIGKILL) {
            EXPECT_TRUE(WIFSIGNALED(status));
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
            EXPECT_EQ(readFile(folder / "stdout.txt"), "");
            EXPECT_EQ(folder.entries(),
                      split("--json.pdf --json.zurbo.pdf App mode pid stdout.txt"));
        }
        // Even a command killed outright takes its engine with it.
        const std::string engine = split(readFile(folder / "pid")).at(0);
        for (int waited = 0; !processGone(engine) && waited < 500; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(processGone(engine)) << "the engine outlived the command";
        EXPECT_TRUE(readFile(folder / "--json.pdf") == source);
    }
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
