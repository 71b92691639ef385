#include "SystemPDFEngine.h"

#include "PdfFixtures.h"
#include "PdfInspection.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace zurbo::engine {
namespace {

using testing::FixtureDocument;
using testing::FixturePage;
using testing::PdfInspection;
using testing::TestFolder;

constexpr PDFEngine::Configuration balanced{150, 82};

PDFEngine::EngineError::Kind failureOf(const std::filesystem::path& source,
                                       const std::filesystem::path& output)
{
    try {
        runSystemPDFEngine(source, output, balanced, false);
    } catch (const PDFEngine::EngineError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "the engine did not fail";
    return PDFEngine::EngineError::Kind::compressionFailed;
}

struct InformationCase {
    const char* name;
    std::map<std::string, std::string> source;
    bool cleanMetadata;
    std::map<std::string, std::string> expected;
};

class DocumentInformationTest : public ::testing::TestWithParam<InformationCase> {};

TEST_P(DocumentInformationTest, CarriesTheFourAttributesOnlyWhenAskedAndAlwaysTheCreator)
{
    const InformationCase& c = GetParam();
    const TestFolder folder;
    FixtureDocument document = testing::textOnlyDocument();
    document.info = c.source;
    testing::writeFixturePdf(folder / "in.pdf", document);

    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, c.cleanMetadata);

    EXPECT_EQ(PdfInspection(folder / "out.pdf").information(), c.expected);
}

const std::map<std::string, std::string> everything{
    {"Title", "Informe añual"}, {"Author", "Zoë"},        {"Subject", "Cuentas"},
    {"Keywords", "uno, dos"},   {"Producer", "Old tool"}, {"Creator", "Writer"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentInformationTest,
    ::testing::Values(
        InformationCase{"keptWhenNotCleaning",
                        everything,
                        false,
                        {{"Title", "Informe añual"},
                         {"Author", "Zoë"},
                         {"Subject", "Cuentas"},
                         {"Keywords", "uno, dos"},
                         {"Creator", "ZURBO"}}},
        InformationCase{"absentOnesStayAbsent",
                        {{"Title", "Solo título"}, {"Keywords", "k"}},
                        false,
                        {{"Title", "Solo título"}, {"Keywords", "k"}, {"Creator", "ZURBO"}}},
        InformationCase{"noInformationAtAll", {}, false, {{"Creator", "ZURBO"}}},
        InformationCase{"droppedWhenCleaning", everything, true, {{"Creator", "ZURBO"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemPDFEngineTest, KeepsEveryPageMediaBoxInOrderIncludingAnInheritedOne)
{
    const TestFolder folder;
    FixtureDocument document;
    document.pages = {FixturePage{300, 500, "one", {}}, FixturePage{842, 595, "two", {}},
                      FixturePage{612, 792, "three", {}}};
    document.inheritFirstMediaBox = true;
    testing::writeFixturePdf(folder / "in.pdf", document);

    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, false);

    const std::vector<std::array<double, 4>> expected{
        {0, 0, 300, 500}, {0, 0, 842, 595}, {0, 0, 612, 792}};
    EXPECT_EQ(PdfInspection(folder / "out.pdf").mediaBoxes(), expected);
}

TEST(SystemPDFEngineTest, CarriesNothingButPagesAndInformation)
{
    const TestFolder folder;
    testing::writeFixturePdf(folder / "plain.pdf", testing::textOnlyDocument());
    {
        // Give the source an outline, a names tree and metadata to leave behind.
        QPDF pdf;
        pdf.processFile((folder / "plain.pdf").c_str());
        QPDFObjectHandle root = pdf.getRoot();
        root.replaceKey("/Outlines",
                        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Count 0 >>")));
        root.replaceKey("/Names", QPDFObjectHandle::parse("<< >>"));
        root.replaceKey("/Metadata", pdf.newStream(std::string("<x:xmpmeta/>")));
        const std::filesystem::path source = folder / "in.pdf";
        QPDFWriter writer(pdf, source.c_str());
        writer.write();
    }

    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, false);

    const PdfInspection output(folder / "out.pdf");
    EXPECT_EQ(output.pageCount(), 1u);
    for (const char* key : {"/Outlines", "/Names", "/Metadata", "/AcroForm"}) {
        EXPECT_FALSE(output.catalogHas(key)) << key;
    }
}

TEST(SystemPDFEngineTest, ASourceWithoutPagesGivesADocumentWithoutPages)
{
    const TestFolder folder;
    testing::writeFixturePdf(folder / "in.pdf", FixtureDocument{});

    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, false);

    EXPECT_EQ(PdfInspection(folder / "out.pdf").pageCount(), 0u);
}

TEST(SystemPDFEngineTest, AnUnopenableSourceIsUnreadable)
{
    const TestFolder folder;
    testing::writeFile(folder / "text.pdf", "this is not a PDF at all\n");
    testing::writeFile(folder / "empty.pdf", "");
    // A catalogue whose page tree is gone.
    testing::writeFile(folder / "treeless.pdf",
                       "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\ntrailer\n"
                       "<< /Root 1 0 R /Size 2 >>\n%%EOF\n");

    for (const char* name : {"text.pdf", "empty.pdf", "missing.pdf", "treeless.pdf"}) {
        EXPECT_EQ(failureOf(folder / name, folder / "out.pdf"),
                  PDFEngine::EngineError::Kind::documentUnreadable)
            << name;
    }
}

TEST(SystemPDFEngineTest, AnOutputThatCannotBeWrittenMakesTheFilterUnavailable)
{
    const TestFolder folder;
    testing::writeFixturePdf(folder / "in.pdf", testing::textOnlyDocument());

    EXPECT_EQ(failureOf(folder / "in.pdf", folder / "no-such-folder" / "out.pdf"),
              PDFEngine::EngineError::Kind::systemFilterUnavailable);
}

} // namespace
} // namespace zurbo::engine
