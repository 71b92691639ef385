#include "IdenticalObjects.h"

#include "PdfFixtures.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace zurbo::engine {
namespace {

using namespace zurbo::testing;
using ColorSpace = FixtureImage::ColorSpace;

struct MergeRow {
    const char* name;
    ColorSpace first;
    ColorSpace second;
    // Each image belongs to an optional content group of its own, alike but two.
    bool ownLayers;
    bool merged;

    friend void PrintTo(const MergeRow& row, std::ostream* out) { *out << row.name; }
};

QPDFObjectHandle imageOn(QPDFObjectHandle page)
{
    return QPDFPageObjectHelper(page).getImages().begin()->second;
}

class IdenticalObjectsTest : public ::testing::TestWithParam<MergeRow> {};

// Two pages show the same pixels; whether their images become one object
// depends on what the images refer to, compared by content.
TEST_P(IdenticalObjectsTest, MergesImagesThatAreTheSameOnceReferencesAreCompared)
{
    const MergeRow& row = GetParam();
    const TestFolder folder;
    FixtureDocument document;
    for (ColorSpace space : {row.first, row.second}) {
        document.pages.push_back({.images = {{.width = 60, .height = 40, .colorSpace = space}}});
    }
    writeFixturePdf(folder / "in.pdf", document);
    QPDF pdf;
    pdf.processFile((folder / "in.pdf").c_str());
    for (QPDFObjectHandle page : pdf.getAllPages()) {
        if (row.ownLayers) {
            imageOn(page).getDict().replaceKey(
                "/OC",
                pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /OCG /Name (Capa) >>")));
        }
    }
    IdenticalObjects::merge(pdf, IdenticalObjects::Masks::merged);
    const auto pages = pdf.getAllPages();
    EXPECT_EQ(imageOn(pages[0]).getObjGen() == imageOn(pages[1]).getObjGen(), row.merged);
}

INSTANTIATE_TEST_SUITE_P(Images, IdenticalObjectsTest,
                         ::testing::Values(MergeRow{"distinctButEqualProfiles", ColorSpace::iccRgb,
                                                    ColorSpace::iccRgb, false, true},
                                           MergeRow{"otherColourSpace", ColorSpace::rgb,
                                                    ColorSpace::iccRgb, false, false},
                                           MergeRow{"distinctButEqualLayers", ColorSpace::rgb,
                                                    ColorSpace::rgb, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
