#include "DocumentSurvey.h"
#include "EngineTestSupport.h"
#include "FileInstall.h"
#include "GhostscriptRunner.h"
#include "PdfFixtures.h"
#include "QPDFRunner.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>

#include <map>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;
using Configuration = PDFEngine::Configuration;

namespace {

const std::vector<Configuration> ladder{{240, 93}, {200, 89}, {170, 85}, {150, 81},
                                        {130, 76}, {110, 70}, {96, 63},  {82, 56}};

// Profiles are read and written by name through the window's model and the command line.
TEST(AttemptListTest, ProfileRowWithoutATargetTheWholeLadderWithOne)
{
    const std::pair<CompressionProfile, Configuration> rows[] = {
        {CompressionProfile::respectful, {200, 90}},
        {CompressionProfile::balanced, {150, 82}},
        {CompressionProfile::demolition, {110, 72}}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [profile, configuration] = rows[i];
        EXPECT_EQ(allCompressionProfiles.at(i), profile);
        EXPECT_EQ(PDFEngine::attemptList(profile, std::nullopt),
                  std::vector<Configuration>{configuration});
        EXPECT_EQ(PDFEngine::attemptList(profile, 1), ladder) << i;
    }
}

// Ghostscript is a stand-in writing prepared files, padded to exact sizes.
class CompressionPipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(tools);
        fs::create_directories(folder / "100% out");
        writeFixturePdf(tools / "base.pdf", textOnlyDocument());
        writeFile(source, padded('a', 200));
        fs::permissions(source, sourcePermissions);
    }
    void TearDown() override
    {
        engine::ghostscriptCandidates = m_candidates;
        engine::ghostscriptBudget = {};
    }

    // The fixture PDF with a trailing comment: readable, of any size.
    std::string padded(char filler, int length) const
    {
        return readFile(tools / "base.pdf") + "\n%" + std::string(length, filler) + "\n";
    }

    // A PDF `delta` bytes larger than the source, with other bytes.
    fs::path outputSized(int delta)
    {
        const fs::path output = tools / ("output" + std::to_string(delta) + ".pdf");
        writeFile(output, padded('b', 200 + delta));
        return output;
    }

    StandInExecutable ghostscript(const StandInBehaviour& behaviour)
    {
        StandInExecutable gs(tools, "gs", behaviour);
        engine::ghostscriptCandidates = {gs.path().string()};
        return gs;
    }

    TestFolder folder;
    fs::path tools = folder / "tools";
    fs::path source = folder / "in.pdf";
    const fs::perms sourcePermissions =
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    ScopedEnvironment m_unforced{"ZURBO_FORCE_SYSTEM_ENGINE", std::nullopt};
    std::vector<std::string> m_candidates = engine::ghostscriptCandidates;
};

struct DecisionRow {
    const char* name;
    int outputDelta; // output size minus source size
    bool clean = false;
    bool inPlace = false;
    bool existingDestination = false;
    std::optional<int> targetOverOutput; // target size minus output size
    bool installsOutput = true;
    std::size_t runs = 1;
    std::size_t failsOnRun = 0; // the engine fails from this run on
};

class CompressionDecisionTest : public CompressionPipelineTest,
                                public ::testing::WithParamInterface<DecisionRow> {};

TEST_P(CompressionDecisionTest, InstallsTheRightFileAndReportsIt)
{
    const DecisionRow& row = GetParam();
    const fs::path output = outputSized(row.outputDelta);
    const StandInExecutable gs = ghostscript({.failFromRun = int(row.failsOnRun),
                                              .exitStatus = row.failsOnRun ? 1 : 0,
                                              .outputFrom = output});
    const fs::path destination = row.inPlace ? folder / "./in.pdf" : folder / "100% out/x %d.pdf";
    if (row.existingDestination) {
        writeFile(destination, "an older private document");
        fs::permissions(destination, fs::perms::owner_read | fs::perms::owner_write);
    }
    // A link to what was there tells whether it was replaced or rewritten in place.
    const fs::path before = tools / "before";
    if (fs::exists(destination)) {
        fs::create_hard_link(destination, before);
    }
    const std::string original = readFile(source);
    std::optional<std::int64_t> target;
    if (row.targetOverOutput) {
        target = static_cast<std::int64_t>(fs::file_size(output)) + *row.targetOverOutput;
    }
    if (row.failsOnRun) {
        // Named, Ghostscript runs alone: its failure is the call's.
        EXPECT_THROW(PDFEngine::compress(source, destination, CompressionProfile::balanced, target,
                                         row.clean, {}, PDFEngine::Engine::ghostscript),
                     PDFEngine::EngineError);
        EXPECT_EQ(gs.runs().size(), row.failsOnRun);
        EXPECT_EQ(readFile(destination), "an older private document");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder / "100% out"), {}), 1);
        return;
    }

    const PDFEngine::Result result =
        PDFEngine::compress(source, destination, CompressionProfile::balanced, target, row.clean);

    const auto runs = gs.runs();
    ASSERT_EQ(runs.size(), row.runs);
    const std::size_t shift = row.clean ? 2 : 0; // -dOmitInfoDate and -dOmitID
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Configuration expected = target ? ladder.at(i) : Configuration{150, 82};
        EXPECT_EQ(runs[i].at(15 + shift),
                  "-dColorImageResolution=" + std::to_string(expected.resolution));
        EXPECT_EQ(runs[i].at(28 + shift), "-dJPEGQ=" + std::to_string(expected.jpegQuality));
        // Every attempt reads the source and writes a hidden file beside the destination.
        EXPECT_EQ(runs[i].at(runs[i].size() - 2), source.string());
        const fs::path working = runs[i].back();
        EXPECT_TRUE(fs::equivalent(working.parent_path(), destination.parent_path()));
        EXPECT_TRUE(std::regex_match(working.filename().string(),
                                     std::regex("\\.zurbo-[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-"
                                                "[89AB][0-9A-F]{3}-[0-9A-F]{12}\\.pdf")));
    }
    const std::string installed = row.installsOutput ? readFile(output) : original;
    EXPECT_EQ(result.url, destination);
    EXPECT_EQ(result.engine, PDFEngine::Engine::ghostscript);
    EXPECT_EQ(result.bytes, static_cast<std::int64_t>(installed.size()));
    EXPECT_EQ(result.targetReached, target ? std::optional(result.bytes <= *target) : std::nullopt);
    EXPECT_TRUE(readFile(destination) == installed) << "the wrong file was installed";
    if (!row.installsOutput || !row.inPlace) {
        EXPECT_TRUE(readFile(source) == original) << "the source changed";
    }
    if (!row.installsOutput && row.inPlace) {
        EXPECT_TRUE(fs::equivalent(source, before)) << "the source was rewritten";
    } else if (row.existingDestination || row.inPlace) {
        EXPECT_FALSE(fs::equivalent(destination, before)) << "rewritten in place, not replaced";
    }
    EXPECT_EQ(fs::status(destination).permissions(),
              row.existingDestination ? fs::perms::owner_read | fs::perms::owner_write
                                      : sourcePermissions);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"100% out", "in.pdf", "tools"}));
    EXPECT_EQ(folder.entries("100% out").size(), row.inPlace ? 0u : 1u) << "a working file left";
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CompressionDecisionTest,
    ::testing::Values(
        DecisionRow{"smallerToANewFile", -100},
        DecisionRow{"smallerReplacesAnExistingFile", -100, false, false, true},
        DecisionRow{"equalKeepsACopyOfTheSource", 0, false, false, false, {}, false},
        DecisionRow{"equalInPlaceLeavesTheSource", 0, false, true, false, {}, false},
        DecisionRow{"largerKeepsACopyOfTheSource", 100, false, false, true, {}, false},
        DecisionRow{"largerInstalledWhenCleaning", 100, true},
        DecisionRow{"equalInPlaceInstalledWhenCleaning", 0, true, true},
        DecisionRow{"targetMetByTheFirstStep", -100, false, false, false, 0},
        DecisionRow{"targetBelowEveryStep", -100, false, false, false, -1, true, 8},
        DecisionRow{"targetAboveALargerOutput", 100, false, false, false, 0, false},
        DecisionRow{"targetBelowEveryLargerStepInPlace", 100, false, true, false, -1, false, 8},
        DecisionRow{"engineFailsOnTheThirdStep", -100, false, false, true, -1, true, 3, 3}),
    [](const auto& info) { return std::string(info.param.name); });

using Overwrite = PDFEngine::Overwrite;
using Refusal = std::variant<std::errc, PDFEngine::EngineError::Kind>;

// Everything under `folder`: each entry's content, link target or kind.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto name = fs::relative(entry.path(), folder).string();
        entries[name] = entry.is_symlink()        ? "-> " + fs::read_symlink(entry).string()
                        : entry.is_regular_file() ? readFile(entry.path())
                                                  : "<special>";
    }
    return entries;
}

struct RefusalRow {
    const char* name;
    std::string source;      // relative to the folder
    std::string destination; // relative to the folder
    Refusal refusal;
    Overwrite overwrite = Overwrite::throughLinks;
};

class RefusalTest : public CompressionPipelineTest,
                    public ::testing::WithParamInterface<RefusalRow> {};

// What cannot be read or replaced is refused with its reason before any engine runs.
TEST_P(RefusalTest, RefusesBeforeTheEngineRunsAndTouchesNothing)
{
    const RefusalRow& row = GetParam();
    const StandInExecutable gs = ghostscript({.outputFrom = outputSized(-100)});
    fs::create_directory(folder / "100% out/folder.pdf");
    writeFile(folder / "100% out/taken.pdf", "the user's own file");
    fs::create_symlink("../in.pdf", folder / "100% out/planted.pdf");
    writeFile(folder / "100% out/protected.pdf", "write-protected");
    fs::permissions(folder / "100% out/protected.pdf", fs::perms::owner_read);
    ASSERT_EQ(::mkfifo((folder / "pipe.pdf").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "zero.pdf");
    const auto before = snapshot(folder.path());

    try {
        PDFEngine::compress(folder / row.source, folder / row.destination,
                            CompressionProfile::balanced, std::nullopt, false, {},
                            PDFEngine::Engine::automatic, row.overwrite);
        ADD_FAILURE() << "the run was taken";
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(Refusal(std::errc(error.code().value())), row.refusal) << error.what();
    } catch (const PDFEngine::EngineError& error) {
        EXPECT_EQ(Refusal(error.kind()), row.refusal) << error.what();
    }
    EXPECT_TRUE(gs.runs().empty());
    EXPECT_EQ(snapshot(folder.path()), before);
}

using Kind = PDFEngine::EngineError::Kind;
INSTANTIATE_TEST_SUITE_P(
    Rows, RefusalTest,
    ::testing::Values(RefusalRow{"destinationIsAFolder", "in.pdf", "100% out/folder.pdf",
                                 std::errc::is_a_directory},
                      RefusalRow{"destinationFolderIsMissing", "in.pdf", "missing/x.pdf",
                                 std::errc::no_such_file_or_directory},
                      RefusalRow{"destinationIsWriteProtected", "in.pdf", "100% out/protected.pdf",
                                 std::errc::permission_denied},
                      RefusalRow{"madeUpNameIsTaken", "in.pdf", "100% out/taken.pdf",
                                 Kind::destinationExists, Overwrite::never},
                      RefusalRow{"madeUpNameIsAPlantedLink", "in.pdf", "100% out/planted.pdf",
                                 Kind::destinationExists, Overwrite::never},
                      RefusalRow{"sourceIsAPipe", "pipe.pdf", "out.pdf", Kind::sourceNotRegular},
                      RefusalRow{"sourceLinksToADevice", "zero.pdf", "out.pdf",
                                 Kind::sourceNotRegular},
                      RefusalRow{"sourceIsAFolder", "100% out", "out.pdf", Kind::sourceNotRegular}),
    [](const auto& info) { return std::string(info.param.name); });

// A newer save, renamed over the source or written into it while the engine
// ran, is never replaced by the compression of the older content.
TEST_F(CompressionPipelineTest, ASourceChangedDuringTheRunIsNotReplaced)
{
    writeFile(tools / "newer.pdf", padded('n', 300));
    for (const std::string save :
         {"cp tools/newer.pdf in.new && mv in.new in.pdf", "cat tools/newer.pdf > in.pdf"}) {
        SCOPED_TRACE(save);
        writeFile(source, padded('a', 200));
        const StandInExecutable gs =
            ghostscript({.outputFrom = outputSized(-100),
                         .firstLines = "cd '" + folder.path().string() + "'; " + save});
        try {
            PDFEngine::compress(source, source, CompressionProfile::balanced, std::nullopt, false);
            ADD_FAILURE() << "the older content was installed";
        } catch (const PDFEngine::EngineError& error) {
            EXPECT_EQ(error.kind(), Kind::sourceChanged);
        }
        EXPECT_TRUE(readFile(source) == readFile(tools / "newer.pdf")) << "the newer save was lost";
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"100% out", "in.pdf", "tools"}));
    }
}

// Through a link the file it points to is replaced, keeping its mode and owner; the link
// stays. A made-up name replaced on request takes the place of a link, never of its target.
TEST_F(CompressionPipelineTest, WritesThroughASymbolicLinkKeepingTheReplacedFilesOwner)
{
    const fs::path output = outputSized(-100);
    const StandInExecutable gs = ghostscript({.outputFrom = output});
    fs::create_directories(folder / "real");
    writeFile(folder / "real/target.pdf", "what the link points to");
    fs::permissions(folder / "real/target.pdf",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((folder / "real/target.pdf").c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("../real/target.pdf", folder / "100% out/link.pdf");
    fs::create_symlink("../real/target.pdf", folder / "100% out/made-up.pdf");

    const auto result = PDFEngine::compress(source, folder / "100% out/link.pdf",
                                            CompressionProfile::balanced, std::nullopt, false);
    EXPECT_EQ(result.url, folder / "100% out/link.pdf");
    EXPECT_EQ(fs::read_symlink(folder / "100% out/link.pdf"), "../real/target.pdf");
    EXPECT_TRUE(readFile(folder / "real/target.pdf") == readFile(output));
    struct stat installed = {};
    ASSERT_EQ(::stat((folder / "real/target.pdf").c_str(), &installed), 0);
    EXPECT_EQ(installed.st_mode & 07777, 0640u);
    EXPECT_EQ(installed.st_uid, root ? 65534u : ::geteuid());
    EXPECT_EQ(fs::directory_iterator(folder / "real")->path().filename(), "target.pdf");

    writeFile(folder / "real/target.pdf", "left alone");
    PDFEngine::compress(source, folder / "100% out/made-up.pdf", CompressionProfile::balanced,
                        std::nullopt, false, {}, PDFEngine::Engine::automatic, Overwrite::nameOnly);
    EXPECT_FALSE(fs::is_symlink(folder / "100% out/made-up.pdf"));
    EXPECT_TRUE(readFile(folder / "100% out/made-up.pdf") == readFile(output));
    EXPECT_EQ(readFile(folder / "real/target.pdf"), "left alone");
}

// A folder we may write but not read cannot be flushed (here: no file descriptor is left
// to open it with); the outcome is installed all the same and said to be.
TEST(FileInstallTest, AFolderThatCannotBeOpenedStillGetsTheOutcome)
{
    const TestFolder folder;
    writeFile(folder / "working.pdf", "new");
    writeFile(folder / "in.pdf", "old");
    const engine::FileInstall install(folder / "in.pdf", Overwrite::throughLinks);
    rlimit limits = {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limits), 0);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit oneMore = limits;
    oneMore.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &oneMore), 0);
    EXPECT_NO_THROW(install.commit(folder / "working.pdf"));
    ::setrlimit(RLIMIT_NOFILE, &limits);
    EXPECT_EQ(readFile(folder / "in.pdf"), "new");
    EXPECT_EQ(folder.entries(), split("in.pdf"));
}

// A file of root's in a folder of the user's: the user may rename over it, but may not
// write it, so it is not replaced.
TEST(FileInstallTest, ReplacesOnlyAFileTheUserMayWrite)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can make a file another user may not write";
    }
    const TestFolder folder;
    fs::permissions(folder.path(), fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    fs::create_directory(folder / "theirs");
    writeFile(folder / "theirs/root.pdf", "root's own");
    fs::permissions(folder / "theirs/root.pdf", fs::perms::owner_read | fs::perms::owner_write |
                                                    fs::perms::group_read | fs::perms::others_read);
    ASSERT_EQ(::chown((folder / "theirs").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::seteuid(65534), 0);
    try {
        engine::FileInstall(folder / "theirs/root.pdf", Overwrite::throughLinks);
        ADD_FAILURE() << "root's file would be replaced";
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
    }
    ASSERT_EQ(::seteuid(0), 0);
}

// The bundled qpdf is looked for in the resource folder only, never in the working folder.
TEST_F(CompressionPipelineTest, GhostscriptThenBundledQPDFThenTheNativeEngine)
{
    const std::vector<std::tuple<std::optional<std::string>, bool, bool, std::string>> rows{
        {std::nullopt, true, true, "gs"}, {"0", true, true, "gs"},
        {"1", true, true, "qpdf"},        {std::nullopt, false, true, "qpdf"},
        {"1", true, false, "native"},     {std::nullopt, false, false, "native"}};
    const fs::path previous = fs::current_path();
    const auto resources = engine::qpdfResourceFolder;
    for (const auto& [forced, hasGhostscript, hasQPDF, used] : rows) {
        SCOPED_TRACE(used + " with ZURBO_FORCE_SYSTEM_ENGINE=" + forced.value_or("(unset)"));
        const TestFolder work;
        fs::create_directories(work / "resources/Engine");
        fs::create_directories(work / "App/Resources/Engine");
        const StandInExecutable gs(work.path(), "gs", {.outputFrom = source});
        const StandInExecutable qpdf(work / "resources/Engine", "qpdf", {.outputFrom = source});
        const StandInExecutable planted(work / "App/Resources/Engine", "qpdf", {});
        engine::ghostscriptCandidates = {(hasGhostscript ? gs.path() : work / "absent").string()};
        engine::qpdfResourceFolder = [&] { return std::optional(work / "resources"); };
        if (!hasQPDF) {
            fs::remove(qpdf.path());
        }
        const ScopedEnvironment force("ZURBO_FORCE_SYSTEM_ENGINE", forced);
        fs::current_path(work.path());
        const PDFEngine::Engine engine =
            PDFEngine::compress(source, work / "out.pdf", CompressionProfile::balanced,
                                std::nullopt, true)
                .engine;
        EXPECT_EQ(PDFEngine::engineName(engine), used == "gs" ? "ghostscript" : used);
        fs::current_path(previous);
        engine::qpdfResourceFolder = resources;
        EXPECT_EQ(gs.runs().size(), used == "gs" ? 1u : 0u);
        EXPECT_EQ(qpdf.runs().size(), used == "qpdf" ? 1u : 0u);
        EXPECT_TRUE(planted.runs().empty()) << "a qpdf of the working folder ran";
    }
}

struct HandoverRow {
    const char* name;
    // Shell lines of the stand-in, run in its folder.
    std::string gs;
    bool target = false;
    // How often Ghostscript was started.
    std::size_t gsStarts = 1;
    PDFEngine::Engine engine = PDFEngine::Engine::native;
};

class HandoverTest : public CompressionPipelineTest,
                     public ::testing::WithParamInterface<HandoverRow> {};

// What Ghostscript does not deliver, the native engine does, leaving nothing of Ghostscript.
TEST_P(HandoverTest, TheNativeEngineTakesTheAttemptGhostscriptDidNotDeliver)
{
    const HandoverRow& row = GetParam();
    engine::ghostscriptBudget = {std::chrono::milliseconds(300), {}};
    writeFile(tools / "starts", "");
    const StandInExecutable gs =
        ghostscript({.outputFrom = outputSized(-100),
                     .firstLines = "cd \"$(dirname \"$0\")\"; echo $$ >> starts\n" + row.gs});
    if (row.gs == "unstartable") {
        writeFile(gs.path(), "#!/nonexistent/interpreter\n");
    }
    const fs::path destination = folder / "100% out/x.pdf";

    const PDFEngine::Result result =
        PDFEngine::compress(source, destination, CompressionProfile::balanced,
                            row.target ? std::optional<std::int64_t>(1) : std::nullopt, false);

    EXPECT_EQ(result.engine, row.engine);
    EXPECT_TRUE(engine::DocumentSurvey::of(destination).has_value()) << "no readable PDF";
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"100% out", "in.pdf", "tools"}));
    EXPECT_EQ(folder.entries("100% out"), std::vector<std::string>{"x.pdf"});
    const std::vector<std::string> starts = split(readFile(tools / "starts"));
    EXPECT_EQ(starts.size(), row.gsStarts);
    for (const std::string& pid : starts) {
        EXPECT_FALSE(fs::exists("/proc/" + pid)) << "Ghostscript outlived its attempt";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Causes, HandoverTest,
    ::testing::Values(
        HandoverRow{"fails", "echo Unrecoverable error >&2; exit 1"},
        HandoverRow{"writesAnOutputThatLostThePages",
                    "for a; do case $a in -sOutputFile=*) echo blank > \"${a#*=}\";; esac; done; "
                    "exit 0"},
        HandoverRow{"stallsPastItsBudget", "exec sleep 30"},
        HandoverRow{"cannotStart", "unstartable", false, 0},
        HandoverRow{"failsOnlyTheFirstStepOfALadder", "[ -e failed ] || { touch failed; exit 1; }",
                    true, 8, PDFEngine::Engine::ghostscript},
        HandoverRow{"stallsOnTheFirstStepOfALadder", "exec sleep 30", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct ProtectionRow {
    const char* name;
    FixtureDocument::Lock lock;
    std::string given; // the password the call receives
    std::optional<Kind> refusal;
    bool clean = false;
};

class ProtectionTest : public CompressionPipelineTest,
                       public ::testing::WithParamInterface<ProtectionRow> {};

// Whether `password` opens `pdf`, as its owner, and the revision and permissions of its lock.
std::tuple<bool, bool, int, int> opens(const fs::path& pdf, const std::string& password)
{
    QPDF document;
    int revision = 0;
    int permissions = 0;
    try {
        document.processFile(pdf.c_str(), password.c_str());
    } catch (const QPDFExc&) {
        return {false, false, 0, 0};
    }
    document.isEncrypted(revision, permissions);
    return {true, document.ownerPasswordMatched(), revision, permissions};
}

// A protected source comes out with its protection, written by the native engine alone;
// a locked one opens with either of its passwords and is locked again.
TEST_P(ProtectionTest, TheOutputKeepsTheSourcesLockAndPermissions)
{
    const ProtectionRow& row = GetParam();
    FixtureDocument document = imageHeavyDocument();
    document.lock = row.lock;
    writeFixturePdf(source, document);
    const std::string original = readFile(source);
    const StandInExecutable gs = ghostscript({.outputFrom = outputSized(-100)});
    const fs::path destination = folder / "100% out/x.pdf";
    // Only Ghostscript, when named, would lose the protection.
    const auto engine = row.refusal == Kind::protectionWouldBeLost ? PDFEngine::Engine::ghostscript
                                                                   : PDFEngine::Engine::automatic;
    try {
        PDFEngine::compress(source, destination, CompressionProfile::balanced, std::nullopt,
                            row.clean, {}, engine, PDFEngine::Overwrite::never, row.given);
        EXPECT_FALSE(row.refusal) << "the run was taken";
    } catch (const PDFEngine::EngineError& error) {
        EXPECT_EQ(std::optional(error.kind()), row.refusal) << error.what();
    }
    EXPECT_TRUE(gs.runs().empty()) << "Ghostscript would drop the protection";
    EXPECT_TRUE(readFile(source) == original);
    if (row.refusal) {
        EXPECT_TRUE(fs::is_empty(folder / "100% out"));
        return;
    }
    EXPECT_LT(fs::file_size(destination), original.size());
    EXPECT_EQ(std::get<0>(opens(destination, "")), row.lock.user.empty());
    EXPECT_TRUE(std::get<0>(opens(destination, row.lock.user)));
    EXPECT_EQ(opens(destination, row.lock.owner), opens(source, row.lock.owner));
}

INSTANTIATE_TEST_SUITE_P(
    Locks, ProtectionTest,
    ::testing::Values(
        ProtectionRow{"ownerPasswordOnly", {"", "dueño", 6}},
        ProtectionRow{"ownerPasswordOnlyCleaned", {"", "dueño", 4}, "", {}, true},
        ProtectionRow{
            "lockedOpensWithTheUserPassword", {"clave ñ", "dueño", 6}, "clave ñ", {}, true},
        ProtectionRow{"lockedOpensWithTheOwnerPassword", {"clave", "dueño", 4}, "dueño"},
        ProtectionRow{"lockedWithoutAPassword", {"clave", "dueño", 6}, "", Kind::passwordRequired},
        ProtectionRow{
            "lockedWithAWrongPassword", {"clave", "dueño", 6}, "clave ", Kind::passwordIncorrect},
        ProtectionRow{
            "ghostscriptNamedWouldDropIt", {"", "dueño", 6}, "", Kind::protectionWouldBeLost}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
