#include "SystemPDFEngine.h"

#include "PdfFixtures.h"
#include "PdfInspection.h"
#include "PopplerCommands.h"
#include "PopplerTools.h"
#include "StructuralSimilarity.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace zurbo::engine {
namespace {

using testing::FixtureDocument;
using testing::FixtureImage;
using testing::FixturePage;
using testing::PdfInspection;
using testing::StoredImage;
using testing::TestFolder;
using ColorSpace = FixtureImage::ColorSpace;

constexpr PDFEngine::Configuration balanced{150, 82};

FixtureDocument onePage(std::vector<FixtureImage> images, double formScale = 1)
{
    FixtureDocument document;
    FixturePage page;
    page.images = std::move(images);
    page.formScale = formScale;
    document.pages.push_back(page);
    return document;
}

// Runs the engine on `document` and returns the images of its first page,
// before and after.
struct Outcome {
    std::map<std::string, StoredImage> before;
    std::map<std::string, StoredImage> after;
};

Outcome compressed(const TestFolder& folder, const FixtureDocument& document,
                   PDFEngine::Configuration configuration = balanced)
{
    testing::writeFixturePdf(folder / "in.pdf", document);
    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", configuration, false);
    return {PdfInspection(folder / "in.pdf").pageImages(0),
            PdfInspection(folder / "out.pdf").pageImages(0)};
}

TEST(ImageFilterTest, ShrinksAnImageToTheResolutionOfWhereItIsShown)
{
    for (const double formScale : {1.0, 0.5}) {
        const TestFolder folder;
        const Outcome outcome =
            compressed(folder, onePage({{.width = 1200, .height = 900}}, formScale));
        const StoredImage& image = outcome.after.at("Im0");
        EXPECT_EQ(image.width, 300) << "form scale " << formScale;
        EXPECT_EQ(image.height, 225) << "form scale " << formScale;
        EXPECT_EQ(image.filter, "DCTDecode");
    }
}

TEST(ImageFilterTest, PagesShowingIdenticalImagesShareOneRecompressedObject)
{
    // The fixture paints the same pixels on every page, each page its own stream.
    const TestFolder folder;
    testing::writeFixturePdf(folder / "in.pdf", testing::imageHeavyDocument(3));
    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, false);

    const PdfInspection source(folder / "in.pdf");
    EXPECT_NE(source.pageImages(0).at("Im0").objectNumber,
              source.pageImages(2).at("Im0").objectNumber);
    const PdfInspection output(folder / "out.pdf");
    const StoredImage first = output.pageImages(0).at("Im0");
    for (std::size_t page = 1; page < 3; ++page) {
        EXPECT_EQ(output.pageImages(page).at("Im0").objectNumber, first.objectNumber) << page;
    }
    EXPECT_EQ(first.width, 300);
}

TEST(ImageFilterTest, LeavesAJpegAlreadyBelowTheResolutionAsItIs)
{
    const TestFolder folder;
    const Outcome outcome =
        compressed(folder, onePage({{.width = 250, .height = 180, .jpeg = true}}));
    EXPECT_TRUE(outcome.after.at("Im0").storedData == outcome.before.at("Im0").storedData);
}

TEST(ImageFilterTest, BoundsTheLongestSideByTheLargestImageSize)
{
    // At 10 ppi the largest size is 170 pixels; 20 inches would want 200.
    const TestFolder folder;
    FixtureDocument document =
        onePage({{.width = 1200, .height = 900, .shownWidthInches = 20, .shownHeightInches = 15}});
    document.pages[0].widthPoints = 1600;
    document.pages[0].heightPoints = 1300;
    const Outcome outcome = compressed(folder, document, {10, 82});
    EXPECT_EQ(outcome.after.at("Im0").width, 170);
    EXPECT_EQ(outcome.after.at("Im0").height, 128);
}

TEST(ImageFilterTest, KeepsTheOldStreamWhenTheJpegWouldBeLarger)
{
    // A flat colour compresses to almost nothing losslessly.
    const TestFolder folder;
    const Outcome outcome =
        compressed(folder, onePage({{.width = 200, .height = 150, .solidColor = {20, 120, 220}}}));
    EXPECT_EQ(outcome.after.at("Im0").filter, "FlateDecode");
    EXPECT_TRUE(outcome.after.at("Im0").storedData == outcome.before.at("Im0").storedData);
}

struct FidelityCase {
    const char* name;
    FixtureImage image;
};

class ImageFidelityTest : public ::testing::TestWithParam<FidelityCase> {};

TEST_P(ImageFidelityTest, RenderedPagesMatchTheSourceAfterRecompression)
{
    const TestFolder folder;
    const Outcome outcome = compressed(folder, onePage({GetParam().image}));
    ASSERT_EQ(outcome.after.at("Im0").width, 300) << "the image was not recompressed";
    EXPECT_EQ(outcome.after.at("Im0").hasSoftMask, GetParam().image.softMask);

    const auto source = testing::renderPage(folder / "in.pdf", 1, 40);
    const auto output = testing::renderPage(folder / "out.pdf", 1, 40);
    EXPECT_GT(bench::structuralSimilarity(bench::renderGrayPages(folder / "in.pdf", 40).at(0),
                                          bench::renderGrayPages(folder / "out.pdf", 40).at(0)),
              0.9);
    const auto sourceColor = source.meanColor(0.13, 0.78, 0.34, 0.9);
    const auto outputColor = output.meanColor(0.13, 0.78, 0.34, 0.9);
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_NEAR(outputColor[c], sourceColor[c], 6) << "channel " << c;
    }
}

FixtureImage photo(ColorSpace space, bool jpeg = false, bool softMask = false)
{
    return {.width = 1200, .height = 900, .colorSpace = space, .jpeg = jpeg, .softMask = softMask};
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImageFidelityTest,
    ::testing::Values(FidelityCase{"gray", photo(ColorSpace::gray)},
                      FidelityCase{"grayJpeg", photo(ColorSpace::gray, true)},
                      FidelityCase{"rgb", photo(ColorSpace::rgb)},
                      FidelityCase{"rgbJpeg", photo(ColorSpace::rgb, true)},
                      FidelityCase{"iccGray", photo(ColorSpace::iccGray)},
                      FidelityCase{"iccRgbJpeg", photo(ColorSpace::iccRgb, true)},
                      FidelityCase{"cmyk", photo(ColorSpace::cmyk)},
                      FidelityCase{"cmykJpeg", photo(ColorSpace::cmyk, true)},
                      FidelityCase{"softMaskedRgb", photo(ColorSpace::rgb, false, true)},
                      FidelityCase{"softMaskedJpeg", photo(ColorSpace::rgb, true, true)}),
    [](const auto& info) { return std::string(info.param.name); });

struct HueCase {
    const char* name;
    FixtureImage image;
    std::vector<double> expectedRgb;
};

class ImageHueTest : public ::testing::TestWithParam<HueCase> {};

TEST_P(ImageHueTest, FlatColoursComeOutTheSameNeverInverted)
{
    const TestFolder folder;
    const Outcome outcome = compressed(folder, onePage({GetParam().image}));
    ASSERT_EQ(outcome.after.at("Im0").width, 300) << "the image was not recompressed";

    for (const char* name : {"in.pdf", "out.pdf"}) {
        const auto color =
            testing::renderPage(folder / name, 1, 40).meanColor(0.15, 0.8, 0.32, 0.88);
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_NEAR(color[c], GetParam().expectedRgb[c], 40) << name << " channel " << c;
        }
    }
}

FixtureImage flat(ColorSpace space, std::vector<int> color, bool invertedCmyk = false)
{
    return {.width = 1200,
            .height = 900,
            .colorSpace = space,
            .jpeg = true,
            .invertedCmyk = invertedCmyk,
            .solidColor = std::move(color)};
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ImageHueTest,
    ::testing::Values(
        HueCase{"cyanCmykJpeg", flat(ColorSpace::cmyk, {255, 0, 0, 0}), {0, 170, 235}},
        HueCase{"cyanAdobeInvertedCmykJpeg",
                flat(ColorSpace::cmyk, {255, 0, 0, 0}, true),
                {0, 170, 235}},
        HueCase{"yellowCmykJpeg", flat(ColorSpace::cmyk, {0, 0, 255, 0}), {255, 240, 0}},
        HueCase{"redRgbJpeg", flat(ColorSpace::rgb, {230, 20, 20}), {230, 20, 20}}),
    [](const auto& info) { return std::string(info.param.name); });

// A page painting one image XObject, which the test may then damage.
std::filesystem::path pageWithImage(const TestFolder& folder, const std::string& dictionary,
                                    const std::string& data)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle image = pdf.newStream(data);
    image.replaceDict(QPDFObjectHandle::parse(dictionary));
    QPDFObjectHandle page = QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 612 792] /Resources << /XObject << >> >> >>");
    page.getKey("/Resources").getKey("/XObject").replaceKey("/Im0", image);
    page.replaceKey("/Contents", pdf.newStream(std::string("q 144 0 0 108 72 72 cm /Im0 Do Q")));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
    const auto path = folder / "hostile.pdf";
    QPDFWriter writer(pdf, path.c_str());
    writer.setCompressStreams(false);
    writer.write();
    return path;
}

std::string flate(const std::string& data)
{
    Pl_Buffer buffer("flate");
    Pl_Flate deflate("deflate", &buffer, Pl_Flate::a_deflate);
    deflate.writeString(data);
    deflate.finish();
    const auto bytes = buffer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
}

struct HostileCase {
    const char* name;
    std::string dictionary;
    std::string data;
};

class HostileImageTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileImageTest, IsLeftAsItIs)
{
    const TestFolder folder;
    const auto source = pageWithImage(folder, GetParam().dictionary, GetParam().data);
    runSystemPDFEngine(source, folder / "out.pdf", balanced, false);
    // Unfiltered streams may come out compressed; their content stays.
    const StoredImage after = PdfInspection(folder / "out.pdf").pageImages(0).at("Im0");
    const StoredImage before = PdfInspection(source).pageImages(0).at("Im0");
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.height, before.height);
    EXPECT_TRUE(after.decodedData == before.decodedData);
}

const std::string rgbImage = "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB "
                             "/BitsPerComponent 8 ";

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileImageTest,
    ::testing::Values(
        HostileCase{"overFourHundredMegapixels",
                    rgbImage + "/Width 20000 /Height 20001 /Filter /FlateDecode >>",
                    flate(std::string(3000, '\x40'))},
        HostileCase{"decodesToMoreThanDeclared",
                    rgbImage + "/Width 600 /Height 400 /Filter /FlateDecode >>",
                    flate(std::string(600 * 400 * 3 * 4, '\x40'))},
        HostileCase{"decodesToLessThanDeclared",
                    rgbImage + "/Width 600 /Height 400 /Filter /FlateDecode >>",
                    flate(std::string(600 * 4 * 3, '\x40'))},
        HostileCase{"brokenJpeg", rgbImage + "/Width 600 /Height 400 /Filter /DCTDecode >>",
                    std::string("\xff\xd8\xff\xe0 not really a jpeg")},
        HostileCase{
            "sixteenBits",
            "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceGray /BitsPerComponent 16 "
            "/Width 600 /Height 400 >>",
            std::string(600 * 400 * 2, '\x10')},
        HostileCase{"indexed",
                    "<< /Type /XObject /Subtype /Image /BitsPerComponent 8 /Width 600 /Height 400 "
                    "/ColorSpace [/Indexed /DeviceRGB 1 <000000FFFFFF>] >>",
                    std::string(600 * 400, '\x01')},
        HostileCase{"imageMask",
                    "<< /Type /XObject /Subtype /Image /ImageMask true /Width 600 /Height 400 >>",
                    std::string(75 * 400, '\x55')}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
