#include "EngineTestSupport.h"
#include "GhostscriptRunner.h"
#include "PdfFixtures.h"
#include "QPDFRunner.h"

#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <functional>
#include <system_error>

namespace fs = std::filesystem;
using namespace zurbo;
using namespace zurbo::testing;
using EngineError = PDFEngine::EngineError;

namespace {

const std::string dignified = "El PDF se ha puesto digno y no se ha dejado comprimir.";

class ToolRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { writeFixturePdf(source, textOnlyDocument()); }

    // `from` changed by `change`, written as `name` in the folder.
    void rewrite(const fs::path& from, const std::string& name,
                 const std::function<void(QPDF&)>& change) const
    {
        QPDF pdf;
        pdf.processFile(from.c_str());
        change(pdf);
        // The writer keeps the name's pointer until it writes.
        const fs::path file = folder / name;
        QPDFWriter writer(pdf, file.c_str());
        writer.write();
    }

    TestFolder folder;
    fs::path source = folder / "in.pdf";
    fs::path output = folder / "out.pdf";
};

TEST_F(ToolRunnerTest, ToolsReceiveTheirExactArgumentLists)
{
    // The tools get the files we opened (recorded after the arguments) by names that
    // hold no byte of the real ones.
    const engine::SourceFile opened(source);
    const StandInExecutable gs(folder.path(), "gs", {.outputFrom = source});
    engine::runGhostscript(gs.path().string(), opened, output, {150, 82}, false);
    engine::runGhostscript(gs.path().string(), opened, output, {150, 82}, true);
    const std::vector<std::string> keeping = split(
        "-sDEVICE=pdfwrite -dCompatibilityLevel=1.6 -dNOPAUSE -dQUIET -dBATCH -dSAFER "
        "-dDetectDuplicateImages=true -dCompressFonts=true -dSubsetFonts=true "
        "-dPreserveAnnots=true -dPreserveMarkedContent=true -dPreserveDocumentInfo=true "
        "-dPreserveMetadata=true -dDownsampleColorImages=true -dColorImageDownsampleType=/Bicubic "
        "-dColorImageResolution=150 -dDownsampleGrayImages=true "
        "-dGrayImageDownsampleType=/Bicubic -dGrayImageResolution=150 "
        "-dColorImageDownsampleThreshold=1.0 -dGrayImageDownsampleThreshold=1.0 "
        "-dDownsampleMonoImages=true -dMonoImageDownsampleType=/Subsample "
        "-dMonoImageResolution=300 -dAutoFilterColorImages=false -dColorImageFilter=/DCTEncode "
        "-dAutoFilterGrayImages=false -dGrayImageFilter=/DCTEncode -dJPEGQ=82 "
        "-sOutputFile=/proc/self/fd/4 /proc/self/fd/3 " +
        source.string() + " " + output.string());
    // Cleaning metadata changes the list in three places.
    std::vector<std::string> cleaning = keeping;
    cleaning.insert(cleaning.begin() + 6, {"-dOmitInfoDate=true", "-dOmitID=true"});
    cleaning[13] = "-dPreserveDocumentInfo=false";
    cleaning[14] = "-dPreserveMetadata=false";
    cleaning.insert(cleaning.end() - 2, {"-c", "[/Title () /Author () /Subject () /Keywords () "
                                               "/Creator () /DOCINFO pdfmark"});
    EXPECT_EQ(gs.runs(), (std::vector{keeping, cleaning}));
    // Ghostscript reads '%' in its output name as a page-number format.
    EXPECT_EQ(
        engine::ghostscriptArguments("/d/in.pdf", "/d/100% final/%d.pdf", {150, 82}, false).at(29),
        "-sOutputFile=/d/100%% final/%%d.pdf");

    const StandInExecutable qpdf(folder.path(), "qpdf", {});
    engine::runQPDF(qpdf.path().string(), opened, output, {200, 90}, false);
    engine::runQPDF(qpdf.path().string(), opened, output, {110, 72}, true);
    const std::string options = "--object-streams=generate --compress-streams=y --optimize-images ";
    const std::string files =
        " -- /proc/self/fd/3 /proc/self/fd/4 " + source.string() + " " + output.string();
    EXPECT_EQ(qpdf.runs(),
              (std::vector{
                  split(options + "--jpeg-quality=68" + files),
                  split(options + "--jpeg-quality=32 --remove-info --remove-metadata" + files)}));
}

TEST(QPDFQualityTest, ThresholdsFollowTheResolution)
{
    for (const auto& [resolution, quality] : std::vector<std::pair<std::int64_t, std::string>>{
             {240, "68"}, {190, "68"}, {189, "45"}, {130, "45"}, {129, "32"}, {82, "32"}}) {
        EXPECT_EQ(engine::qpdfArguments("in.pdf", "out.pdf", {resolution, 93}, false).at(3),
                  "--jpeg-quality=" + quality)
            << "resolution " << resolution;
    }
}

TEST_F(ToolRunnerTest, ExitStatusAndOutputDecideAndStandardErrorExplains)
{
    struct Row {
        const char* name;
        bool qpdf;
        int status;
        std::string standardError;
        std::optional<std::string> message; // none: success
        std::string written = "in.pdf";     // what the tool leaves as its output
        std::string read = "in.pdf";        // the source it is given
    };
    writeFixturePdf(folder / "no-pages.pdf", FixtureDocument{});
    // What Ghostscript writes, exiting with 0, for a source it cannot open: one page, no ink.
    writeFile(folder / "blank-page.pdf",
              "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
              "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
              "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
              "/Resources << /ProcSet [/PDF] >> /Contents 4 0 R >> endobj\n"
              "4 0 obj << /Length 24 >> stream\nq 0.1 0 0 0.1 0 0 cm\nQ\nendstream endobj\n"
              "trailer << /Root 1 0 R >>\n%%EOF\n");
    // A second page that draws nothing through the first page's resources, which
    // Ghostscript writes without them; and filled-in form fields, which it drops.
    rewrite(source, "empty-second.pdf", [](QPDF& pdf) {
        QPDFObjectHandle empty = QPDFObjectHandle(pdf.getAllPages().at(0)).shallowCopy();
        empty.replaceKey("/Contents", pdf.newStream(""));
        pdf.addPage(pdf.makeIndirectObject(empty), false);
    });
    rewrite(folder / "empty-second.pdf", "empty-second-out.pdf",
            [](QPDF& pdf) { QPDFObjectHandle(pdf.getAllPages().at(1)).removeKey("/Resources"); });
    for (const auto& [name, value] : {std::pair{"filled.pdf", "/V (Alice)"}, {"blank.pdf", ""}}) {
        rewrite(source, name, [value = std::string(value)](QPDF& pdf) {
            QPDFObjectHandle fields = QPDFObjectHandle::newArray();
            for (const std::string& field :
                 {"<< /FT /Tx /T (name) " + value + " /Subtype /Widget /Rect [0 0 9 9] >>",
                  std::string(
                      "<< /FT /Btn /T (pet) /V /Off /Subtype /Widget /Rect [0 0 9 9] >>")}) {
                fields.appendItem(pdf.makeIndirectObject(QPDFObjectHandle::parse(field)));
            }
            pdf.getRoot().replaceKey("/AcroForm",
                                     QPDFObjectHandle::newDictionary({{"/Fields", fields}}));
        });
    }
    const std::string lost = "Este PDF trae un formulario relleno y el motor se comía las "
                             "respuestas. Lo dejamos como estaba.";
    const std::string blankLost =
        "Este PDF trae un formulario y el motor se comía las casillas. Lo dejamos como estaba.";
    const std::string full =
        "No queda espacio en el disco para el PDF comprimido. Libera sitio y vuelve a probar.";
    const std::string chatty(8 << 20, 'x');
    const std::vector<Row> rows{
        {"gsZero", false, 0, "a warning\n", std::nullopt},
        {"gsThreeFails", false, 3, "first\n\nthird\nfourth\n", "third fourth"},
        {"gsKilled", false, -9, "", dignified},
        {"gsInvalidUtf8", false, 1, "bad \xff\xfe bytes\n", dignified},
        {"gsChattyDoesNotBlock", false, 1, chatty + "\nthe end\n", chatty + " the end"},
        {"gsLostThePages", false, 0, "", dignified, "no-pages.pdf"},
        {"gsLeftThePageBlank", false, 0, "", dignified, "blank-page.pdf"},
        {"gsKeptAPageThatDrawsNothing", false, 0, "", std::nullopt, "empty-second-out.pdf",
         "empty-second.pdf"},
        {"gsKeptTheAnswers", false, 0, "", std::nullopt, "filled.pdf", "filled.pdf"},
        {"gsLostTheAnswers", false, 0, "", lost, "in.pdf", "filled.pdf"},
        {"gsKeptTheBlankForm", false, 0, "", std::nullopt, "blank.pdf", "blank.pdf"},
        {"gsLostTheBlankForm", false, 0, "", blankLost, "in.pdf", "blank.pdf"},
        {"gsIoErrorOnClosing", false, 0, "GS: ERROR: ioerror (-12) on closing pdfwrite device.\n",
         full},
        {"qpdfLeftThePageBlank", true, 0, "", dignified, "blank-page.pdf"},
        {"qpdfThreeIsWarnings", true, 3, "WARNING: odd\n", std::nullopt},
        {"qpdfLastThreeNonEmptyLines", true, 1, "a\nb\n\nc\nd\n\n", "b c d"},
        {"qpdfUtf8", true, 2, "años \xe2\x86\x92 fine\n", "años → fine"},
        {"qpdfDiskFull", true, 2, "qpdf: /proc/self/fd/4: No space left on device\n", full}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const StandInExecutable tool(folder.path(), row.name,
                                     {.exitStatus = row.status,
                                      .standardError = row.standardError,
                                      .outputFrom = folder / row.written});
        const auto run = row.qpdf ? engine::runQPDF : engine::runGhostscript;
        try {
            run(tool.path().string(), engine::SourceFile(folder / row.read), output, {150, 82},
                false, {});
            EXPECT_EQ(row.message, std::nullopt) << "the run succeeded";
            EXPECT_TRUE(fs::exists(output));
        } catch (const EngineError& error) {
            EXPECT_EQ(error.what(), row.message.value_or("(success)"));
            EXPECT_FALSE(fs::exists(output)) << "a failed run removes its output";
        }
    }
    EXPECT_THROW(engine::runGhostscript((folder / "absent").string(), engine::SourceFile(source),
                                        output, {150, 82}, false),
                 std::system_error);
}

TEST_F(ToolRunnerTest, GhostscriptDiscoveryTakesTheFirstExecutableCandidate)
{
    EXPECT_EQ(engine::ghostscriptCandidates,
              split("/opt/homebrew/bin/gs /opt/homebrew/opt/ghostscript/bin/gs /usr/local/bin/gs "
                    "/usr/bin/gs"));
    const StandInExecutable first(folder.path(), "first", {});
    const StandInExecutable second(folder.path(), "second", {});
    writeFile(folder / "plain", "#!/bin/sh\n"); // not executable
    const std::vector<std::string> candidates{(folder / "absent").string(),
                                              (folder / "plain").string(), folder.path().string(),
                                              first.path().string(), second.path().string()};
    for (const auto& [value, found] : std::vector<std::pair<std::optional<std::string>, bool>>{
             {std::nullopt, true}, {"1", false}, {"0", true}, {"true", true}, {" 1", true}}) {
        const ScopedEnvironment force("ZURBO_FORCE_SYSTEM_ENGINE", value);
        EXPECT_EQ(engine::ghostscriptPath(candidates),
                  found ? std::optional(first.path().string()) : std::nullopt)
            << "ZURBO_FORCE_SYSTEM_ENGINE=" << value.value_or("(unset)");
        EXPECT_EQ(engine::ghostscriptPath(std::span(candidates).first(3)), std::nullopt);
    }
}

} // namespace
