#include "GhostscriptRunner.h"
#include "PDFEngine.h"
#include "PdfFixtures.h"
#include "StandInExecutable.h"
#include "TestFolder.h"
#include "ToolRunner.h"

#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;

namespace {

constexpr const char* realGhostscript = "/usr/bin/gs";

// Points Ghostscript discovery at one executable for the life of a test.
class GhostscriptOverride {
public:
    explicit GhostscriptOverride(const fs::path& executable)
        : m_saved(engine::ghostscriptCandidates), m_force("ZURBO_FORCE_SYSTEM_ENGINE", std::nullopt)
    {
        engine::ghostscriptCandidates = {executable.string()};
    }
    ~GhostscriptOverride() { engine::ghostscriptCandidates = m_saved; }

private:
    std::vector<std::string> m_saved;
    ScopedEnvironment m_force;
};

class CompressionPipelineTest : public ::testing::Test {
protected:
    TestFolder folder;
    fs::path source = folder / "in.pdf";
    fs::path destination = folder / "out.pdf";

    void SetUp() override
    {
        if (!engine::isExecutableFile(realGhostscript)) {
            GTEST_SKIP() << "Ghostscript is not installed";
        }
    }

    // Real Ghostscript behind a stand-in that counts its runs.
    StandInExecutable countingGhostscript(int failFromRun = 0)
    {
        return StandInExecutable(folder / "tools", "gs",
                                 {.failFromRun = failFromRun,
                                  .exitStatus = failFromRun > 0 ? 1 : 0,
                                  .standardError = "GPL Ghostscript\nError: boom\n",
                                  .delegateTo = realGhostscript});
    }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().filename() != "tools") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    PDFEngine::Result compress(std::optional<std::int64_t> target = std::nullopt,
                               bool clean = false)
    {
        return PDFEngine::compress(source, destination, CompressionProfile::balanced, target,
                                   clean);
    }
};

std::int64_t sizeOf(const fs::path& file)
{
    return static_cast<std::int64_t>(fs::file_size(file));
}

fs::perms permissionsOf(const fs::path& file)
{
    return fs::status(file).permissions();
}

// A source Ghostscript cannot shrink: its rewrite of a tiny text page is larger.
void writeIncompressibleSource(const fs::path& path)
{
    writeFixturePdf(path, textOnlyDocument());
}

} // namespace

TEST_F(CompressionPipelineTest, SmallerOutputIsInstalledAtANewDestination)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string original = readFile(source);
    fs::create_directories(folder / "tools");
    const StandInExecutable gs = countingGhostscript();
    const GhostscriptOverride useIt(gs.path());

    const PDFEngine::Result result = compress();

    EXPECT_EQ(gs.runCount(), 1);
    EXPECT_EQ(result.url, destination);
    EXPECT_EQ(result.bytes, sizeOf(destination));
    EXPECT_LT(result.bytes, static_cast<std::int64_t>(original.size()) / 10);
    EXPECT_EQ(result.targetReached, std::nullopt);
    EXPECT_TRUE(readFile(source) == original) << "the source changed";
    EXPECT_EQ(permissionsOf(destination), permissionsOf(source))
        << "a new file takes the source's bits";
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"in.pdf", "out.pdf"}));
}

TEST_F(CompressionPipelineTest, WorkingFileIsHiddenBesideTheDestination)
{
    writeFixturePdf(source, textOnlyDocument());
    fs::create_directories(folder / "elsewhere");
    destination = folder / "elsewhere" / "out.pdf";
    const StandInExecutable gs(folder / "tools", "gs", {.outputFrom = source});
    const GhostscriptOverride useIt(gs.path());

    compress();

    const std::string outputArgument = gs.lastArguments().at(27);
    const std::regex hidden("-sOutputFile=" + (folder / "elsewhere").string() +
                            "/\\.zurbo-[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-"
                            "[0-9A-F]{12}\\.pdf");
    EXPECT_TRUE(std::regex_match(outputArgument, hidden)) << outputArgument;
}

TEST_F(CompressionPipelineTest, OutputNotSmallerInstallsACopyOfTheSource)
{
    writeIncompressibleSource(source);
    const std::string original = readFile(source);

    const PDFEngine::Result result = compress();

    EXPECT_EQ(result.bytes, static_cast<std::int64_t>(original.size()));
    EXPECT_TRUE(readFile(destination) == original) << "not a copy of the source";
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"in.pdf", "out.pdf"}));
}

TEST_F(CompressionPipelineTest, OutputNotSmallerInPlaceLeavesTheSourceUntouched)
{
    writeIncompressibleSource(source);
    const std::string original = readFile(source);
    const auto modified = fs::last_write_time(source) - std::chrono::hours(1);
    fs::last_write_time(source, modified);

    const PDFEngine::Result result = PDFEngine::compress(
        source, folder / "." / "in.pdf", CompressionProfile::balanced, std::nullopt, false);

    EXPECT_EQ(result.bytes, static_cast<std::int64_t>(original.size()));
    EXPECT_TRUE(readFile(source) == original) << "the source changed";
    EXPECT_EQ(fs::last_write_time(source), modified);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"in.pdf"});
}

TEST_F(CompressionPipelineTest, CleaningMetadataInstallsEvenALargerOutput)
{
    writeIncompressibleSource(source);
    const auto original = sizeOf(source);

    const PDFEngine::Result result = compress(std::nullopt, true);

    EXPECT_GT(result.bytes, original);
    EXPECT_EQ(result.bytes, sizeOf(destination));
    EXPECT_FALSE(readFile(destination) == readFile(source));
}

TEST_F(CompressionPipelineTest, UnreachableTargetWalksTheWholeLadder)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::create_directories(folder / "tools");
    const StandInExecutable gs = countingGhostscript();
    const GhostscriptOverride useIt(gs.path());

    const PDFEngine::Result result = compress(1);

    EXPECT_EQ(gs.runCount(), 8);
    EXPECT_EQ(gs.lastArguments().at(15), "-dColorImageResolution=82");
    EXPECT_EQ(result.targetReached, false);
    EXPECT_EQ(result.bytes, sizeOf(destination));
    EXPECT_LT(result.bytes, sizeOf(source));
}

TEST_F(CompressionPipelineTest, TargetMetByTheFirstStepStopsThere)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::create_directories(folder / "tools");
    const StandInExecutable gs = countingGhostscript();
    const GhostscriptOverride useIt(gs.path());

    const PDFEngine::Result result = compress(sizeOf(source));

    EXPECT_EQ(gs.runCount(), 1);
    EXPECT_EQ(gs.lastArguments().at(15), "-dColorImageResolution=240");
    EXPECT_EQ(result.targetReached, true);
}

TEST_F(CompressionPipelineTest, TargetAboveAnIncompressibleSourceKeepsTheOriginal)
{
    writeIncompressibleSource(source);
    fs::create_directories(folder / "tools");
    const StandInExecutable gs = countingGhostscript();
    const GhostscriptOverride useIt(gs.path());

    const PDFEngine::Result result = compress(10 << 20);

    EXPECT_EQ(gs.runCount(), 1);
    EXPECT_EQ(result.targetReached, true);
    EXPECT_TRUE(readFile(destination) == readFile(source)) << "not a copy of the source";
}

TEST_F(CompressionPipelineTest, ReplacingKeepsTheDestinationsPermissions)
{
    writeFixturePdf(source, imageHeavyDocument());
    writeFile(destination, "an older private document");
    fs::permissions(destination, fs::perms::owner_read | fs::perms::owner_write);
    ::ino_t before = 0;
    struct stat info {};
    ::stat(destination.c_str(), &info);
    before = info.st_ino;

    const PDFEngine::Result result = compress();

    ::stat(destination.c_str(), &info);
    EXPECT_NE(info.st_ino, before) << "replaced by a rename, not rewritten in place";
    EXPECT_EQ(result.bytes, sizeOf(destination));
    EXPECT_EQ(permissionsOf(destination), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(CompressionPipelineTest, PercentSignsInTheDestinationFolderAreKept)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::create_directories(folder / "100% final");
    destination = folder / "100% final" / "out %d.pdf";

    const PDFEngine::Result result = compress();

    EXPECT_EQ(result.bytes, sizeOf(destination));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "100% final")) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"out %d.pdf"});
}

TEST_F(CompressionPipelineTest, ForcedSystemEngineStillUsesABundledQPDF)
{
    writeIncompressibleSource(source);
    fs::create_directories(folder / "App/Resources/Engine");
    const StandInExecutable qpdf(folder / "App/Resources/Engine", "qpdf", {.outputFrom = source});
    const ScopedEnvironment force("ZURBO_FORCE_SYSTEM_ENGINE", "1");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());

    const PDFEngine::Result result = compress();

    fs::current_path(previous);
    EXPECT_EQ(qpdf.runCount(), 1);
    EXPECT_EQ(result.bytes, sizeOf(source));
}

// ---------------------------------------------------------------------------
// Bad input: a readable error, the source untouched, the destination as it
// was, and no working file left behind.
// ---------------------------------------------------------------------------

struct FailureCase {
    const char* name;
    // Prepares the folder; returns the destination to use.
    fs::path (*prepare)(const TestFolder& folder, fs::path& source);

    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

class CompressionFailureTest : public CompressionPipelineTest,
                               public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CompressionFailureTest, LeavesEverythingAsItWas)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::path dest = GetParam().prepare(folder, source);
    const bool sourceExists = fs::exists(source);
    const std::string original = sourceExists ? readFile(source) : "";
    const bool destinationIsFile = fs::is_regular_file(dest);
    const std::string before = destinationIsFile ? readFile(dest) : "";
    const auto entries = folder.entries();

    std::string message;
    try {
        PDFEngine::compress(source, dest, CompressionProfile::balanced, std::nullopt, false);
    } catch (const std::exception& error) {
        message = error.what();
    }

    EXPECT_FALSE(message.empty()) << "no readable error";
    if (sourceExists) {
        EXPECT_TRUE(readFile(source) == original) << "the source changed";
    }
    if (destinationIsFile) {
        EXPECT_TRUE(readFile(dest) == before) << "the destination changed";
    }
    EXPECT_EQ(folder.entries(), entries) << "something was left behind";
}

INSTANTIATE_TEST_SUITE_P(BadInput, CompressionFailureTest,
                         ::testing::Values(FailureCase{"MissingSource",
                                                       [](const TestFolder& f, fs::path& source) {
                                                           source = f / "absent.pdf";
                                                           return f / "out.pdf";
                                                       }},
                                           FailureCase{"NotAPDF",
                                                       [](const TestFolder& f, fs::path& source) {
                                                           writeFile(source,
                                                                     "just some text, not a PDF\n");
                                                           return f / "out.pdf";
                                                       }},
                                           FailureCase{"DamagedPDF",
                                                       [](const TestFolder& f, fs::path& source) {
                                                           const std::string bytes =
                                                               readFile(source);
                                                           writeFile(source, bytes.substr(0, 100));
                                                           writeFile(f / "out.pdf",
                                                                     "previous result");
                                                           return f / "out.pdf";
                                                       }},
                                           FailureCase{"DestinationFolderMissing",
                                                       [](const TestFolder& f, fs::path&) {
                                                           return f / "no-such-folder" / "out.pdf";
                                                       }},
                                           FailureCase{"DestinationInsideAFile",
                                                       [](const TestFolder& f, fs::path&) {
                                                           writeFile(f / "plain.txt", "text");
                                                           return f / "plain.txt" / "out.pdf";
                                                       }},
                                           FailureCase{"DestinationIsAFolder",
                                                       [](const TestFolder& f, fs::path&) {
                                                           fs::create_directories(f / "out.pdf");
                                                           return f / "out.pdf";
                                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompressionPipelineTest, FailureOnTheThirdLadderStepStopsTheCall)
{
    writeFixturePdf(source, imageHeavyDocument());
    writeFile(destination, "previous result");
    fs::create_directories(folder / "tools");
    const StandInExecutable gs = countingGhostscript(3);
    const GhostscriptOverride useIt(gs.path());

    try {
        compress(1);
        FAIL() << "the call succeeded";
    } catch (const PDFEngine::EngineError& error) {
        EXPECT_STREQ(error.what(), "GPL Ghostscript Error: boom");
    }
    EXPECT_EQ(gs.runCount(), 3);
    EXPECT_EQ(readFile(destination), "previous result");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"in.pdf", "out.pdf"}));
}

TEST_F(CompressionPipelineTest, GhostscriptKilledBySignalFails)
{
    writeFixturePdf(source, imageHeavyDocument());
    fs::create_directories(folder / "tools");
    const fs::path killer = folder / "tools" / "gs";
    writeFile(killer, "#!/bin/sh\nkill -9 $$\n");
    fs::permissions(killer, fs::perms::owner_all);
    const GhostscriptOverride useIt(killer);

    EXPECT_THROW(compress(), PDFEngine::EngineError);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"in.pdf"});
}

TEST_F(CompressionPipelineTest, CorpusFilesGhostscriptCannotOpenFailWithoutLoss)
{
    ZURBO_REQUIRE_CORPUS();
    for (const char* name : {"libreoffice-writer-password.pdf", "cmyk-image.pdf"}) {
        SCOPED_TRACE(name);
        fs::copy_file(corpusDirectory() / name, source, fs::copy_options::overwrite_existing);
        const std::string original = readFile(source);

        EXPECT_THROW(
            PDFEngine::compress(source, source, CompressionProfile::balanced, std::nullopt, false),
            PDFEngine::EngineError);
        EXPECT_TRUE(readFile(source) == original) << "the source changed";
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"in.pdf"});
    }
}
