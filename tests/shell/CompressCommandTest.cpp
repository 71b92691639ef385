#include "CompressCommand.h"
#include "ChildProcess.h"
#include "EngineTestSupport.h"
#include "PdfFixtures.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
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

CommandRun runCommand(const std::vector<std::string>& arguments, bool errIsTerminal = false,
                      const std::string& input = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCompressCommand(arguments, in, out, err, {}, errIsTerminal);
    return {status, out.str(), err.str()};
}

TEST(CompressCommandTest, BadUsageExitsWithTwoAndExplains)
{
    // Ghostscript counts as absent, so naming it is a misuse too.
    const ScopedEnvironment noGhostscript("ZURBO_FORCE_SYSTEM_ENGINE", "1");
    for (const char* misuse :
         {"", "--profile Balanced a.pdf", "--profile", "--target-mb ten a.pdf",
          "--target-mb -1 a.pdf", "--output x.pdf a.pdf b.pdf", "--in-place --output x.pdf a.pdf",
          "--frobnicate a.pdf", "--engine", "--engine fastest a.pdf", "--engine ghostscript a.pdf",
          "--jobs -1 a.pdf", "--jobs 2x a.pdf"}) {
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
    EXPECT_NE(help.out.find("--force replaces"), std::string::npos);
    EXPECT_EQ(engine::runChildProcess(ZURBO_COMPRESS_EXECUTABLE, {"--nope"}).status, 2);
}

// One run of the command in a folder of its own holding bad.pdf (not a PDF), photo.pdf
// (what compresses well) and text.pdf (what does not).
struct CommandRow {
    const char* name;
    // Its words; a word ending in ".pdf" names a file in the folder.
    std::string arguments;
    bool terminal;
    int status;
    // Regular expressions that the whole of standard output and error match.
    std::string out;
    std::string err;
    // The files the run adds to the folder.
    std::string written;

    friend void PrintTo(const CommandRow& row, std::ostream* out) { *out << row.name; }
};

class CompressCommandRunTest : public ::testing::TestWithParam<CommandRow> {};

TEST_P(CompressCommandRunTest, WritesWhereToldAndReportsEachFile)
{
    const CommandRow& row = GetParam();
    // A folder whose name is not UTF-8, which every engine must read and write.
    const TestFolder top;
    const fs::path folder = top / "carpeta\xe9";
    fs::create_directory(folder);
    writeFile(folder / "bad.pdf", "not a pdf");
    writeFixturePdf(folder / "photo.pdf", imageHeavyDocument());
    writeFixturePdf(folder / "text.pdf", textOnlyDocument());
    const std::string photo = readFile(folder / "photo.pdf");
    std::vector<std::string> arguments = split(row.arguments);
    for (std::string& word : arguments) {
        word = word.ends_with(".pdf") ? (folder / word).string() : word;
    }
    const CommandRun run = runCommand(arguments, row.terminal);
    EXPECT_EQ(run.status, row.status);
    EXPECT_TRUE(std::regex_match(run.out, std::regex(row.out))) << run.out;
    EXPECT_TRUE(std::regex_match(run.err, std::regex(row.err))) << run.err;
    std::vector<std::string> entries = split("bad.pdf photo.pdf text.pdf " + row.written);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(top.entries(folder.filename()), entries);
    EXPECT_EQ(readFile(folder / "photo.pdf") == photo, !row.arguments.starts_with("--in-place"));
}

// Each result line ends with the engine that made it.
const std::string byAnEngine = ", con (Ghostscript|qpdf|el motor nativo)\n";
const std::string photoShrunk = ".*/photo\\.pdf: [0-9.]+ MB → [0-9.]+ kB \\(−9[0-9]%\\)";
const std::string textKept = ".*/text\\.pdf: ([0-9]+ kB) → \\1 \\(−0%\\)";
// A terminal gets a progress line per file, redrawn, then cleared before the file's result.
std::string progressLine(const std::string& position, const std::string& name)
{
    const std::string cleared = "\r\x1b\\[K";
    return "(" + cleared + "\\[" + position + "\\] " + name + "\\.pdf · 0:\\d\\d)+" + cleared;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CompressCommandRunTest,
    ::testing::Values(
        CommandRow{
            "besideItsSourceAfterAFailure", "bad.pdf photo.pdf", true, 1, photoShrunk + byAnEngine,
            progressLine("1/2", "bad") + ".*/bad\\.pdf: [^\r]+\n" + progressLine("2/2", "photo"),
            "photo.zurbo.pdf"},
        CommandRow{"jsonLinesOnly", "--json --target-mb 0.5 --profile demolition photo.pdf bad.pdf",
                   true, 1,
                   // A byte that is not UTF-8 comes out as a surrogate, U+DC80 + the byte.
                   "\\{\"source\":\".*/carpeta\\\\udce9/photo\\.pdf\","
                   "\"destination\":\".*/carpeta\\\\udce9/photo\\.zurbo\\.pdf\","
                   "\"originalBytes\":[0-9]+,\"bytes\":[0-9]+,\"targetReached\":true,"
                   "\"engine\":\"(ghostscript|qpdf|native)\",\"error\":null\\}\n"
                   "\\{\"source\":\".*/bad\\.pdf\",.*\"bytes\":null,"
                   "\"targetReached\":null,\"engine\":null,\"error\":\"[^\"]+\"\\}\n",
                   ".*/bad\\.pdf: [^\r]+\n", "photo.zurbo.pdf"},
        CommandRow{"targetMissed", "--target-mb 0.0001 text.pdf", false, 0,
                   textKept + ", objetivo no alcanzado" + byAnEngine, "", "text.zurbo.pdf"},
        CommandRow{"aMadeUpNameTakenIsLeftAlone", "text.pdf text.pdf", false, 1,
                   textKept + byAnEngine,
                   ".*/text\\.pdf: text\\.zurbo\\.pdf ya existe y no lo vamos a pisar\\..*\n",
                   "text.zurbo.pdf"},
        CommandRow{"aMadeUpNameReplacedWhenForced", "--force text.pdf text.pdf", false, 0,
                   textKept + byAnEngine + textKept + byAnEngine, "", "text.zurbo.pdf"},
        CommandRow{"toTheOutputByTheEngineNamed",
                   "--output told.pdf --profile respectful --engine native photo.pdf", false, 0,
                   photoShrunk + ", con el motor nativo\n", "", "told.pdf"},
        CommandRow{"inPlaceCleaned", "--in-place --clean-metadata photo.pdf", false, 0,
                   photoShrunk + byAnEngine, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A locked PDF asks for its password and how to give it; with it the output is locked again,
// so that compressing it asks again.
TEST(CompressCommandTest, ALockedPdfOpensWithThePasswordOfTheFileGiven)
{
    const TestFolder folder;
    FixtureDocument locked = imageHeavyDocument();
    locked.lock = FixtureDocument::Lock{"clave ñ", "dueño"};
    writeFixturePdf(folder / "locked.pdf", locked);
    writeFile(folder / "wrong.txt", "clave\n");
    const std::string asked = "\\.pdf: Este PDF va con candado\\. Dinos la contraseña y lo "
                              "comprimimos\\. .* --password-file ARCHIVO.* --password-file -\\.\n";
    // The last run reads the output of the one before it, locked again.
    const std::vector<std::tuple<std::string, std::string, int, std::string>> rows{
        {"locked.pdf", "", 1, ".*/locked" + asked},
        {"--password-file wrong.txt locked.pdf", "", 1,
         ".*: Con esa contraseña el candado ni se inmuta\\. Prueba otra\\.\n"},
        {"--password-file - locked.pdf", "clave ñ\r\nnot this line\n", 0, ""},
        {"locked.zurbo.pdf", "", 1, ".*/locked\\.zurbo" + asked}};
    for (const auto& [words, input, status, err] : rows) {
        SCOPED_TRACE(words);
        std::vector<std::string> arguments = split(words);
        for (std::string& word : arguments) {
            word = word.find('.') != std::string::npos ? (folder / word).string() : word;
        }
        const CommandRun run = runCommand(arguments, false, input);
        EXPECT_EQ(run.status, status);
        EXPECT_TRUE(std::regex_match(run.err, std::regex(err))) << run.err;
    }
}

// The made-up name of a.pdf's result names the user's own file, which the command has yet
// to read: even with --force, a fails and the file is compressed as it was.
TEST(CompressCommandTest, NeverReplacesAFileItHasYetToRead)
{
    const TestFolder folder;
    writeFixturePdf(folder / "a.pdf", imageHeavyDocument());
    writeFixturePdf(folder / "a.zurbo.pdf", imageHeavyDocument(2));
    const std::string own = readFile(folder / "a.zurbo.pdf");
    const CommandRun run =
        runCommand({"--force", (folder / "a.pdf").string(), (folder / "a.zurbo.pdf").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, (folder / "a.pdf").string() +
                           ": Ese destino es otro PDF de la cola. Elige otro nombre.\n");
    EXPECT_TRUE(readFile(folder / "a.zurbo.pdf") == own);
    EXPECT_TRUE(std::regex_match(run.out, std::regex(".*/a\\.zurbo\\.pdf: [0-9.]+ MB → .*\n")))
        << run.out;
    EXPECT_EQ(folder.entries(), split("a.pdf a.zurbo.pdf a.zurbo.zurbo.pdf"));
}

// A stop that comes once a file's outcome is installed (here: as its result is written)
// leaves that file done; only the files after it stay as they were.
TEST(CompressCommandTest, AStopAfterTheInstallStopsOnlyTheFilesAfterIt)
{
    struct StopOnWrite : std::stringbuf {
        StopSource stop;
        std::streamsize xsputn(const char* text, std::streamsize length) override
        {
            stop.requestStop();
            return std::stringbuf::xsputn(text, length);
        }
    };
    const TestFolder folder;
    const std::string a = (folder / "a.pdf").string();
    const std::string b = (folder / "b.pdf").string();
    writeFixturePdf(a, textOnlyDocument());
    writeFixturePdf(b, textOnlyDocument());
    for (const auto& [files, status] : {std::pair{a, 0}, {a + " " + b, commandStopped}}) {
        StopOnWrite written;
        std::istringstream in;
        std::ostream out(&written);
        std::ostringstream err;
        EXPECT_EQ(runCompressCommand(split("--force --engine native " + files), in, out, err,
                                     written.stop.token()),
                  status)
            << files;
        EXPECT_TRUE(std::regex_match(written.str(), std::regex(".*/a\\.pdf: [^\n]+\n")))
            << written.str();
        EXPECT_TRUE(fs::exists(folder / "a.zurbo.pdf"));
        EXPECT_FALSE(fs::exists(folder / "b.zurbo.pdf"));
    }
}

// Runs folder/bin/zurbo-compress, a copy of the built one, in `folder` with standard output
// to "stdout.txt"; sends `signal` once the engine has started, as "pid" tells. The wait
// status comes back.
int runInFolder(const TestFolder& folder, const std::vector<std::string>& arguments, int signal)
{
    const std::string command = (folder / "bin/zurbo-compress").string();
    std::vector<char*> argv{const_cast<char*>(command.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.path().c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (folder / "stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t running = 0;
    EXPECT_EQ(posix_spawn(&running, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int waited = 0; signal != 0 && !fs::exists(folder / "pid") && waited < 1000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (signal != 0) {
        ::kill(running, signal);
    }
    // A command that does not stop fails the test rather than hanging it.
    int status = 0;
    for (int waited = 0; ::waitpid(running, &status, WNOHANG) == 0; ++waited) {
        if (waited == 1000) {
            ADD_FAILURE() << "still running 10 s after the signal";
            ::kill(running, SIGKILL);
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

// The engine is a stand-in for the qpdf bundled beside a copy of the command: chatty on
// standard output, then either done (the first file only once the second is, two at once)
// or stuck (deaf to SIGTERM, its pid file written whole) until the command stops it.
TEST(CompressCommandTest, PrintsOnlyJsonInOrderAndLeavesNothingBehindWhenStopped)
{
    const TestFolder folder;
    const fs::path engines = folder / "bin/resources/Engine";
    fs::create_directories(engines);
    fs::copy_file(ZURBO_COMPRESS_EXECUTABLE, folder / "bin/zurbo-compress");
    writeFixturePdf(folder / "--json.pdf", textOnlyDocument());
    fs::copy_file(folder / "--json.pdf", folder / "b.pdf");
    const std::string source = readFile(folder / "--json.pdf");
    const ScopedEnvironment forced("ZURBO_FORCE_SYSTEM_ENGINE", "1");
    const std::string chatter = "echo 'GPL noise'; for a; do out=\"$a\"; done; "
                                "stat -L -c %a \"$out\" > " +
                                (folder / "mode").string() +
                                "\ncase $(readlink /proc/self/fd/3) in */--json.pdf) for i in "
                                "$(seq 1000); do [ -e b.zurbo.pdf ] && break; sleep 0.01; done; "
                                "[ -e b.zurbo.pdf ] || exit 3;; esac\n";
    const StandInExecutable done(engines, "qpdf",
                                 {.outputFrom = folder / "--json.pdf", .firstLines = chatter});
    EXPECT_EQ(WEXITSTATUS(runInFolder(folder, split("--json --jobs 2 -- --json.pdf b.pdf"), 0)), 0);
    EXPECT_TRUE(std::regex_match(readFile(folder / "stdout.txt"),
                                 std::regex("\\{\"source\":\"--json\\.pdf\",[^\n]*\\}\n"
                                            "\\{\"source\":\"b\\.pdf\",[^\n]*\\}\n")));
    EXPECT_EQ(readFile(folder / "mode"), "600\n") << "the working file was readable by others";

    const StandInExecutable stuck(
        engines, "qpdf", {.firstLines = "echo $$ > p; mv p pid; trap '' TERM; exec sleep 600"});
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(folder / "pid");
        const int status = runInFolder(folder, {"--in-place", "--", "--json.pdf"}, signal);
        if (signal == SIGKILL) {
            EXPECT_TRUE(WIFSIGNALED(status));
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
            EXPECT_EQ(readFile(folder / "stdout.txt"), "");
            EXPECT_EQ(
                folder.entries(),
                split("--json.pdf --json.zurbo.pdf b.pdf b.zurbo.pdf bin mode pid stdout.txt"));
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

} // namespace
