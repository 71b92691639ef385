#include "ImagePlacement.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace zurbo::engine {
namespace {

// A one-page document whose content and forms are given as text; /Im is an
// image, /Fm0 and /Fm1 forms that may paint it and each other.
class PlacementDocument {
public:
    PlacementDocument(const std::string& pageContent, const std::string& form0 = "",
                      const std::string& form0Matrix = "[1 0 0 1 0 0]",
                      const std::string& form1 = "")
    {
        m_pdf.emptyPDF();
        m_image = m_pdf.newStream(std::string(4 * 3 * 3, '\x7f'));
        m_image.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Image /Width 4 /Height 3 /ColorSpace /DeviceRGB "
            "/BitsPerComponent 8 >>"));
        QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
        xobjects.replaceKey("/Im", m_image);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
        addForm(xobjects, "/Fm0", form0, form0Matrix, resources);
        addForm(xobjects, "/Fm1", form1, "[1 0 0 1 0 0]", resources);

        QPDFObjectHandle page =
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>");
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", m_pdf.newStream(pageContent));
        QPDFPageDocumentHelper(m_pdf).addPage(QPDFPageObjectHelper(m_pdf.makeIndirectObject(page)),
                                              false);
    }

    ImagePlacement::ShownSizes sizes() { return ImagePlacement::find(m_pdf.getAllPages()); }
    QPDFObjGen image() const { return m_image.getObjGen(); }
    QPDF& pdf() { return m_pdf; }

private:
    // Forms share the page's resources, so they can paint the image and each other.
    void addForm(QPDFObjectHandle xobjects, const std::string& name, const std::string& content,
                 const std::string& matrix, QPDFObjectHandle resources)
    {
        if (content.empty()) {
            return;
        }
        QPDFObjectHandle form = m_pdf.newStream(content);
        form.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Form /BBox [0 0 1000 1000] /Matrix " + matrix + " >>"));
        form.getDict().replaceKey("/Resources", resources);
        xobjects.replaceKey(name, form);
    }

    QPDF m_pdf;
    QPDFObjectHandle m_image;
};

struct PlacementCase {
    const char* name;
    std::string page;
    std::string form0;
    std::string form0Matrix;
    std::string form1;
    double width;
    double height;
};

class ImagePlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(ImagePlacementTest, FindsTheLargestShownSizeInPoints)
{
    const PlacementCase& c = GetParam();
    PlacementDocument document(c.page, c.form0, c.form0Matrix, c.form1);
    const auto sizes = document.sizes();
    ASSERT_EQ(sizes.count(document.image()), 1u);
    const auto& shown = sizes.at(document.image());
    ASSERT_TRUE(shown);
    EXPECT_NEAR(shown->width, c.width, 1e-6);
    EXPECT_NEAR(shown->height, c.height, 1e-6);
}

const std::string identity = "[1 0 0 1 0 0]";

INSTANTIATE_TEST_SUITE_P(
    Cases, ImagePlacementTest,
    ::testing::Values(
        PlacementCase{"direct", "q 144 0 0 108 72 72 cm /Im Do Q", "", identity, "", 144, 108},
        PlacementCase{"restoredState", "q 3 0 0 3 0 0 cm Q 144 0 0 108 0 0 cm /Im Do", "", identity,
                      "", 144, 108},
        PlacementCase{"concatenated", "2 0 0 2 0 0 cm q 72 0 0 54 10 10 cm /Im Do Q", "", identity,
                      "", 144, 108},
        PlacementCase{"rotated", "0 144 -108 0 300 300 cm /Im Do", "", identity, "", 144, 108},
        PlacementCase{"largestOfEveryUse",
                      "q 144 0 0 10 0 0 cm /Im Do Q q 20 0 0 108 0 0 cm /Im Do Q", "", identity, "",
                      144, 108},
        PlacementCase{"formMatrix", "q 2 0 0 2 0 0 cm /Fm0 Do Q", "144 0 0 108 0 0 cm /Im Do",
                      "[0.5 0 0 0.5 0 0]", "", 144, 108},
        PlacementCase{"nestedForms", "/Fm1 Do", "72 0 0 54 0 0 cm /Im Do", "[2 0 0 2 0 0]",
                      "/Fm0 Do", 144, 108},
        PlacementCase{"formCycleIsCut", "q 144 0 0 108 0 0 cm /Fm0 Do Q",
                      "/Im Do 0.5 0 0 0.5 0 0 cm /Fm1 Do", identity, "/Fm0 Do /Im Do", 144, 108}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImagePlacementEdgeTest, ImagesInPatternsHaveNoKnownSize)
{
    PlacementDocument document(
        "q 144 0 0 108 0 0 cm /Im Do Q /Pattern cs /P0 scn 0 0 100 100 re f");
    QPDFObjectHandle pattern = document.pdf().newStream(std::string("10 0 0 10 0 0 cm /Im Do"));
    pattern.replaceDict(QPDFObjectHandle::parse(
        "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 >>"));
    QPDFObjectHandle page = document.pdf().getAllPages().front();
    QPDFObjectHandle resources = page.getKey("/Resources");
    pattern.getDict().replaceKey("/Resources", resources);
    QPDFObjectHandle patterns = QPDFObjectHandle::newDictionary();
    patterns.replaceKey("/P0", pattern);
    resources.replaceKey("/Pattern", patterns);

    const auto sizes = document.sizes();
    ASSERT_EQ(sizes.count(document.image()), 1u);
    EXPECT_FALSE(sizes.at(document.image()));
}

TEST(ImagePlacementEdgeTest, UnknownNamesAndDamagedOperandsPaintNothing)
{
    PlacementDocument document("/Nope Do 1 0 0 cm (x) Do q Q Q Q");
    EXPECT_TRUE(document.sizes().empty());
}

} // namespace
} // namespace zurbo::engine
