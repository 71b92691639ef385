#include "GhostscriptRunner.h"
#include "PdfFixtures.h"
#include "QPDFRunner.h"
#include "ResourceLocation.h"
#include "StandInExecutable.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <system_error>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;
using zurbo::engine::ghostscriptArguments;
using zurbo::engine::qpdfArguments;

namespace {

const PDFEngine::Configuration balanced{150, 82};

std::vector<std::string> expectedGhostscriptArguments(const std::string& output,
                                                      const std::string& source, bool clean)
{
    const std::string preserve = clean ? "false" : "true";
    std::vector<std::string> arguments{"-sDEVICE=pdfwrite", "-dCompatibilityLevel=1.6",
                                       "-dNOPAUSE",         "-dQUIET",
                                       "-dBATCH",           "-dSAFER"};
    if (clean) {
        arguments.insert(arguments.end(), {"-dOmitInfoDate=true", "-dOmitID=true"});
    }
    arguments.insert(arguments.end(), {"-dDetectDuplicateImages=true",
                                       "-dCompressFonts=true",
                                       "-dSubsetFonts=true",
                                       "-dPreserveAnnots=true",
                                       "-dPreserveMarkedContent=true",
                                       "-dPreserveDocumentInfo=" + preserve,
                                       "-dPreserveMetadata=" + preserve,
                                       "-dDownsampleColorImages=true",
                                       "-dColorImageDownsampleType=/Bicubic",
                                       "-dColorImageResolution=150",
                                       "-dDownsampleGrayImages=true",
                                       "-dGrayImageDownsampleType=/Bicubic",
                                       "-dGrayImageResolution=150",
                                       "-dDownsampleMonoImages=true",
                                       "-dMonoImageDownsampleType=/Subsample",
                                       "-dMonoImageResolution=300",
                                       "-dAutoFilterColorImages=false",
                                       "-dColorImageFilter=/DCTEncode",
                                       "-dAutoFilterGrayImages=false",
                                       "-dGrayImageFilter=/DCTEncode",
                                       "-dJPEGQ=82",
                                       "-sOutputFile=" + output,
                                       source});
    if (clean) {
        arguments.insert(arguments.end(),
                         {"-c", "[/Title () /Author () /Subject () /Keywords () /Creator () "
                                "/DOCINFO pdfmark"});
    }
    return arguments;
}

class ToolRunnerTest : public ::testing::Test {
protected:
    TestFolder folder;
    fs::path source = folder / "in.pdf";
    fs::path output = folder / "out.pdf";

    void SetUp() override
    {
        writeFixturePdf(source, textOnlyDocument());
        writeFile(output, "partial output");
    }

    std::string failureMessage(void (*runner)(const std::string&, const fs::path&, const fs::path&,
                                              PDFEngine::Configuration, bool),
                               const StandInBehaviour& behaviour)
    {
        const StandInExecutable tool(folder.path(), "tool", behaviour);
        try {
            runner(tool.path().string(), source, output, balanced, false);
        } catch (const PDFEngine::EngineError& error) {
            EXPECT_EQ(error.kind(), PDFEngine::EngineError::Kind::compressionFailed);
            return error.what();
        }
        ADD_FAILURE() << "the runner did not fail";
        return {};
    }
};

} // namespace

TEST_F(ToolRunnerTest, GhostscriptReceivesItsExactArgumentList)
{
    for (const bool clean : {false, true}) {
        const StandInExecutable gs(folder.path(), "gs", {.outputFrom = source});
        engine::runGhostscript(gs.path().string(), source, output, balanced, clean);
        const auto arguments = gs.lastArguments();
        EXPECT_EQ(arguments.size(), clean ? 33u : 29u);
        EXPECT_EQ(arguments, expectedGhostscriptArguments(output.string(), source.string(), clean));
    }
}

TEST_F(ToolRunnerTest, GhostscriptOutputPercentSignsAreDoubled)
{
    const auto arguments =
        ghostscriptArguments("/docs/in.pdf", "/docs/100% final/%d.pdf", balanced, false);
    EXPECT_EQ(arguments[27], "-sOutputFile=/docs/100%% final/%%d.pdf");
    EXPECT_EQ(arguments[28], "/docs/in.pdf");
}

TEST_F(ToolRunnerTest, QPDFReceivesItsExactArgumentList)
{
    const StandInExecutable qpdf(folder.path(), "qpdf", {});
    engine::runQPDF(qpdf.path().string(), source, output, {200, 90}, false);
    EXPECT_EQ(qpdf.lastArguments(),
              (std::vector<std::string>{"--object-streams=generate", "--compress-streams=y",
                                        "--optimize-images", "--jpeg-quality=68", "--",
                                        source.string(), output.string()}));
    EXPECT_EQ(
        qpdfArguments(source, output, {110, 72}, true),
        (std::vector<std::string>{"--object-streams=generate", "--compress-streams=y",
                                  "--optimize-images", "--jpeg-quality=32", "--remove-info",
                                  "--remove-metadata", "--", source.string(), output.string()}));
}

TEST_F(ToolRunnerTest, GhostscriptOutputThatLostThePagesIsAFailure)
{
    FixtureDocument noPages;
    writeFixturePdf(folder / "no-pages.pdf", noPages);
    // What Ghostscript writes for a source it cannot open: one page, no ink.
    writeFile(folder / "blank-page.pdf",
              "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
              "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
              "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
              "/Resources << /ProcSet [/PDF] >> /Contents 4 0 R >> endobj\n"
              "4 0 obj << /Length 24 >> stream\nq 0.1 0 0 0.1 0 0 cm\nQ\nendstream endobj\n"
              "trailer << /Root 1 0 R >>\n%%EOF\n");
    for (const char* written : {"no-pages.pdf", "blank-page.pdf"}) {
        SCOPED_TRACE(written);
        const StandInExecutable gs(folder.path(), "gs", {.outputFrom = folder / written});
        try {
            engine::runGhostscript(gs.path().string(), source, output, balanced, false);
            ADD_FAILURE() << "a run that lost the page succeeded";
        } catch (const PDFEngine::EngineError& error) {
            EXPECT_STREQ(error.what(), "El PDF se ha puesto digno y no se ha dejado comprimir.");
        }
        EXPECT_FALSE(fs::exists(output));
    }
}

TEST_F(ToolRunnerTest, ExitStatusDecidesSuccess)
{
    const StandInExecutable qpdfWithWarnings(folder.path(), "qpdf3", {.exitStatus = 3});
    EXPECT_NO_THROW(
        engine::runQPDF(qpdfWithWarnings.path().string(), source, output, balanced, false));
    EXPECT_TRUE(fs::exists(output));

    const StandInExecutable gsExit3(folder.path(), "gs3", {.exitStatus = 3});
    EXPECT_THROW(engine::runGhostscript(gsExit3.path().string(), source, output, balanced, false),
                 PDFEngine::EngineError);
    EXPECT_FALSE(fs::exists(output)) << "a failed run removes its output";
}

TEST_F(ToolRunnerTest, GhostscriptFailureKeepsTheLastTwoNonEmptyLines)
{
    EXPECT_EQ(failureMessage(engine::runGhostscript,
                             {.exitStatus = 1, .standardError = "first\n\nthird\nfourth\n"}),
              "third fourth");
    EXPECT_EQ(failureMessage(engine::runGhostscript, {.exitStatus = 1, .standardError = "only"}),
              "only");
}

TEST_F(ToolRunnerTest, QPDFFailureKeepsTheLastThreeNonEmptyLines)
{
    EXPECT_EQ(
        failureMessage(engine::runQPDF, {.exitStatus = 2, .standardError = "a\nb\n\nc\nd\n\n"}),
        "b c d");
    EXPECT_EQ(failureMessage(engine::runQPDF, {.exitStatus = 2, .standardError = "qpdf: bad\n"}),
              "qpdf: bad");
}

TEST_F(ToolRunnerTest, UnreadableOrEmptyErrorTextGivesTheFixedDescription)
{
    const std::string fixed = "El PDF se ha puesto digno y no se ha dejado comprimir.";
    EXPECT_EQ(failureMessage(engine::runGhostscript,
                             {.exitStatus = 1, .standardError = "bad \xff\xfe bytes\n"}),
              fixed);
    EXPECT_EQ(failureMessage(engine::runGhostscript,
                             {.exitStatus = 1, .standardError = "overlong \xc0\xaf\n"}),
              fixed);
    EXPECT_EQ(failureMessage(engine::runQPDF, {.exitStatus = 2, .standardError = "\n\n"}), fixed);
    EXPECT_EQ(failureMessage(engine::runQPDF,
                             {.exitStatus = 2, .standardError = "años \xe2\x86\x92 fine\n"}),
              "años → fine");
}

TEST_F(ToolRunnerTest, ChattyChildDoesNotBlock)
{
    const std::string eightMegabytes(8 << 20, 'x');
    const std::string message = failureMessage(
        engine::runGhostscript, {.exitStatus = 1, .standardError = eightMegabytes + "\nthe end\n"});
    EXPECT_EQ(message.size(), eightMegabytes.size() + std::string(" the end").size());
}

TEST_F(ToolRunnerTest, MissingExecutableIsALaunchError)
{
    EXPECT_THROW(
        engine::runGhostscript((folder / "no-such-gs").string(), source, output, balanced, false),
        std::system_error);
}

TEST_F(ToolRunnerTest, GhostscriptDiscoveryTakesTheFirstExecutableCandidate)
{
    ScopedEnvironment normal("ZURBO_FORCE_SYSTEM_ENGINE", std::nullopt);
    const StandInExecutable first(folder.path(), "first", {});
    const StandInExecutable second(folder.path(), "second", {});
    const fs::path notExecutable = folder / "plain";
    writeFile(notExecutable, "#!/bin/sh\n");
    fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);

    const std::vector<std::string> candidates{(folder / "absent").string(), notExecutable.string(),
                                              folder.path().string(), first.path().string(),
                                              second.path().string()};
    EXPECT_EQ(engine::ghostscriptPath(candidates), first.path().string());
    EXPECT_EQ(engine::ghostscriptPath(std::span(candidates).first(3)), std::nullopt);
}

TEST_F(ToolRunnerTest, ForcingTheSystemEngineHidesGhostscriptOnlyForExactlyOne)
{
    const StandInExecutable gs(folder.path(), "gs", {});
    const std::vector<std::string> candidates{gs.path().string()};
    for (const auto& [value, found] : std::vector<std::pair<std::string, bool>>{
             {"1", false}, {"0", true}, {"true", true}, {" 1", true}, {"", true}}) {
        ScopedEnvironment force("ZURBO_FORCE_SYSTEM_ENGINE", value);
        EXPECT_EQ(engine::ghostscriptPath(candidates).has_value(), found)
            << "value '" << value << "'";
    }
}

TEST_F(ToolRunnerTest, QPDFDiscoveryLooksUnderTheWorkingFolder)
{
    if (const auto resources = applicationResourceDirectory();
        resources && fs::exists(*resources / "Engine/qpdf")) {
        GTEST_SKIP() << "this build bundles qpdf, which discovery prefers";
    }
    const fs::path bundled = folder / "App/Resources/Engine";
    fs::create_directories(bundled);
    const StandInExecutable qpdf(bundled, "qpdf", {});
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const auto found = engine::bundledQPDFPath();
    fs::current_path(previous);
    EXPECT_EQ(found, folder.path().string() + "/App/Resources/Engine/qpdf");
}
