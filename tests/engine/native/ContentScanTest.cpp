#include "ContentOperators.h"
#include "DocumentSurvey.h"
#include "ImagePlacement.h"
#include "PDFEngine.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <functional>
#include <sstream>

namespace zurbo::engine {
namespace {

using Kind = ContentTokenizer::Operand::Kind;

// Each operator with its operand count and last number or name: "cm6:144".
std::string traceOf(const std::string& content, std::size_t piece)
{
    std::ostringstream trace;
    ContentTokenizer tokens([&](const std::string& op, const ContentTokenizer::Operands& operands) {
        trace << ' ' << op << operands.count;
        const auto* last = operands.last.empty() ? nullptr : &operands.last.back();
        if (last && last->kind != Kind::other) {
            trace << ':';
            last->kind == Kind::number ? trace << last->number : trace << last->name;
        }
    });
    for (std::size_t i = 0; i < content.size(); i += piece) {
        tokens.feed(content.data() + i, std::min(piece, content.size() - i));
    }
    tokens.end();
    return trace.str().substr(1);
}

struct Tokens {
    const char* name;
    std::string content;
    const char* trace;
    friend void PrintTo(const Tokens& row, std::ostream* out) { *out << row.name; }
};

class ContentTokenizerTest : public ::testing::TestWithParam<Tokens> {};

TEST_P(ContentTokenizerTest, ReadsOperatorsFromPiecesOfAnySize)
{
    const Tokens& row = GetParam();
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, row.content.size()}) {
        EXPECT_EQ(traceOf(row.content, piece), row.trace) << "pieces of " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contents, ContentTokenizerTest,
    ::testing::Values(
        Tokens{"operandsAndNames", "q 1 0 0 1 72 -1.5 cm /Im#30 Do Q", "q0 cm6:-1.5 Do1:/Im0 Q0"},
        Tokens{"stringsCommentsArraysDictionaries",
               "(a\\) Do (b)) Tj % 1 Do\n[(x) 2] TJ <</A 1>> BDC <4142> Tj", "Tj1 TJ4 BDC4 Tj1"},
        Tokens{"inlineImageData", "BI /W 2 /H 1 ID \x01 Do EIx EI Q", "BI0 ID4:1 Q0"},
        Tokens{"overlongWordIsNoOperator", std::string(300, 'x') + " Q", "Q1"}),
    [](const auto& info) { return std::string(info.param.name); });

// One page: `content`, an image /Im0, and forms /F0 to /F15, each drawing the
// next twice; the last draws an image it does not have. The writer deflates.
struct Document {
    std::filesystem::path file;
    std::size_t contentBytes = 0;

    Document(const testing::TestFolder& folder, const std::string& content)
        : file(folder / "content.pdf"), contentBytes(content.size())
    {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFObjectHandle form = QPDFObjectHandle::newNull();
        for (int i = 0; i < 16; ++i) {
            const std::string draws = form.isNull() ? "/Nothing Do" : "q /F Do Q q /F Do Q";
            contentBytes += draws.size();
            QPDFObjectHandle next = pdf.newStream(draws);
            next.replaceDict(QPDFObjectHandle::parse(
                "<< /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << >> >> >>"));
            next.getDict().getKey("/Resources").getKey("/XObject").replaceKey("/F", form);
            form = next;
        }
        QPDFObjectHandle page = QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 100 100] /Resources << /XObject << >> >> >>");
        QPDFObjectHandle image = pdf.newStream(std::string(3, '\x7f'));
        image.replaceDict(
            QPDFObjectHandle::parse("<< /Subtype /Image /Width 1 /Height 1 "
                                    "/ColorSpace /DeviceGray /BitsPerComponent 8 >>"));
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Im0", image);
        page.getKey("/Resources").getKey("/XObject").replaceKey("/F0", form);
        page.replaceKey("/Contents", pdf.newStream(content));
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)),
                                            false);
        QPDFWriter(pdf, file.c_str()).write();
    }
};
// Where the page shows its images, read from the written file as the engine reads it.
ImagePlacement::ShownSizes placement(const Document& document,
                                     InflateBudget budget = InflateBudget())
{
    QPDF pdf;
    pdf.processFile(document.file.c_str());
    return ImagePlacement::find(pdf.getAllPages(), budget);
}

bool refusedAsBomb(const std::function<void()>& scan)
{
    try {
        scan();
    } catch (const PDFEngine::EngineError& error) {
        return error.kind() == PDFEngine::EngineError::Kind::inflateBudgetExceeded;
    }
    return false;
}

// A few kilobytes that inflate past the budget are refused by every scan, the
// refusal passing through qpdf's decoding and the scans' own damage handling.
TEST(ContentBoundsTest, ContentPastTheBudgetIsRefused)
{
    const testing::TestFolder folder;
    const Document bomb(folder, std::string(1 << 20, ' ') + "/Im0 Do");
    EXPECT_TRUE(refusedAsBomb([&] { placement(bomb, InflateBudget(256 << 10)); }));
    EXPECT_TRUE(refusedAsBomb([&] { DocumentSurvey::of(bomb.file, InflateBudget(256 << 10)); }));
    EXPECT_FALSE(refusedAsBomb([&] { placement(bomb, InflateBudget(2 << 20)); }));
}

// q nested deeper than any real page gives up on sizes rather than keeping a
// matrix for each: the image counts as shown at an unknown size.
TEST(ContentBoundsTest, DeepSavedStatesLeaveTheSizeUnknown)
{
    const testing::TestFolder folder;
    const auto shownAfter = [&](std::size_t saves) {
        std::string content;
        while (content.size() < 2 * saves) {
            content += "q ";
        }
        const auto sizes = placement(Document(folder, content + "100 0 0 50 0 0 cm /Im0 Do"));
        return sizes.size() == 1 ? sizes.begin()->second : std::optional<ShownSize>();
    };
    ASSERT_TRUE(shownAfter(100));
    EXPECT_EQ(shownAfter(100)->height, 50);
    EXPECT_FALSE(shownAfter(5000));
}

// Sixteen forms, each drawing the next twice, are 65536 paths: each form is
// still read once, or the budget of twice the content would refuse them.
TEST(ContentBoundsTest, FormsDrawingFormsAreReadOnce)
{
    const testing::TestFolder folder;
    const Document document(folder, "/F0 Do");
    const InflateBudget twiceTheContent(1 << 20, 2 * document.contentBytes);
    EXPECT_TRUE(placement(document, twiceTheContent).empty());
    const auto survey = DocumentSurvey::of(document.file, twiceTheContent);
    ASSERT_TRUE(survey);
    EXPECT_EQ(survey->pagesThatPaint, std::vector<bool>{false});
}

} // namespace
} // namespace zurbo::engine
