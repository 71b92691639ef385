#include "SystemPDFEngine.h"

#include "PopplerCommands.h"
#include "StructuralSimilarity.h"
#include "TestFolder.h"
#include "TextFixtures.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

namespace zurbo::engine {
namespace {

using namespace zurbo::testing;
using Kind = EmbeddedFont::Kind;

struct FontRow {
    const char* name;
    Kind kind;
    const char* fontFile;
    bool formField = false;
    bool inheritedByForm = false;

    friend void PrintTo(const FontRow& row, std::ostream* out) { *out << row.name; }
};

// The decoded size and name of the one embedded font program.
std::pair<std::size_t, std::string> fontProgram(const std::filesystem::path& pdf)
{
    QPDF document;
    document.processFile(pdf.c_str());
    for (QPDFObjectHandle font : document.getAllObjects()) {
        QPDFObjectHandle descendants =
            font.isDictionary() ? font.getKey("/DescendantFonts") : QPDFObjectHandle::newNull();
        QPDFObjectHandle holder = descendants.isArray() ? descendants.getArrayItem(0) : font;
        QPDFObjectHandle descriptor =
            holder.isDictionary() ? holder.getKey("/FontDescriptor") : QPDFObjectHandle::newNull();
        for (const char* key : {"/FontFile2", "/FontFile3"}) {
            if (descriptor.isDictionary() && descriptor.getKey(key).isStream()) {
                return {descriptor.getKey(key).getStreamData(qpdf_dl_generalized)->getSize(),
                        holder.getKey("/BaseFont").getName()};
            }
        }
    }
    return {0, "/none"};
}

class FontSubsetsTest : public ::testing::TestWithParam<FontRow> {};

// The output's program holds fewer glyphs, and the pages look and read the
// same; a form field's font, which a reader may type new text in, stays whole
// and says why.
TEST_P(FontSubsetsTest, KeepsOnlyTheGlyphsShown)
{
    const FontRow& row = GetParam();
    const auto font = systemFont(row.fontFile);
    if (!font) {
        GTEST_SKIP() << row.fontFile << " is not installed (fonts-dejavu-core, fonts-urw-base35)";
    }
    const TestFolder folder;
    writeTextPdf(folder / "in.pdf",
                 {.font = {row.kind, *font},
                  .pages = {"Zurbo keeps what a reader uses\nand drops the rest.",
                            "Second page: 0123456789 (!?)"},
                  .formField = row.formField,
                  .inheritedByForm = row.inheritedByForm});
    std::vector<EngineNotice::Reason> told;
    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", {150, 82}, false, {}, nullptr, {},
                       [&told](const EngineNotice& notice) { told.push_back(notice.reason); });
    EXPECT_EQ(told, row.formField ? std::vector{EngineNotice::Reason::fontGlyphUseUncertain}
                                  : std::vector<EngineNotice::Reason>{});

    const auto [before, name] = fontProgram(folder / "in.pdf");
    const auto [after, subsetName] = fontProgram(folder / "out.pdf");
    if (row.formField) {
        EXPECT_EQ(std::tuple(after, subsetName), std::tuple(before, name));
    } else {
        EXPECT_LT(after, before / 2);
        EXPECT_EQ(subsetName.substr(7), "+" + name.substr(1));
    }
    EXPECT_EQ(bench::extractText(folder / "out.pdf"), bench::extractText(folder / "in.pdf"));
    const auto source = bench::renderGrayPages(folder / "in.pdf", 72);
    const auto output = bench::renderGrayPages(folder / "out.pdf", 72);
    ASSERT_EQ(output.size(), source.size());
    for (std::size_t page = 0; page < source.size(); ++page) {
        EXPECT_DOUBLE_EQ(bench::structuralSimilarity(source[page], output[page]), 1.0) << page;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, FontSubsetsTest,
    ::testing::Values(FontRow{"trueType", Kind::trueType, "DejaVuSans.ttf"},
                      FontRow{"trueTypeComposite", Kind::trueTypeComposite, "DejaVuSans.ttf"},
                      FontRow{"openTypeCff", Kind::openType, "NimbusSans-Regular.otf"},
                      FontRow{"bareCff", Kind::bareCff, "NimbusSans-Regular.otf"},
                      FontRow{"shownByAFormInTheFontThePageSet", Kind::bareCff,
                              "NimbusSans-Regular.otf", false, true},
                      FontRow{"formFieldFontStaysWhole", Kind::trueType, "DejaVuSans.ttf", true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
