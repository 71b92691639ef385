#include "SystemPDFEngine.h"

#include "EngineTestSupport.h"
#include "PdfFixtures.h"
#include "PopplerCommands.h"
#include "StructuralSimilarity.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace fs = std::filesystem;

namespace zurbo::engine {
namespace {

using namespace zurbo::testing;
using EngineError = PDFEngine::EngineError;
using Information = std::map<std::string, std::string>;

constexpr PDFEngine::Configuration balanced{150, 82};

// An image XObject as a written PDF stores it.
struct StoredImage {
    long long width = 0;
    long long height = 0;
    std::string stored;
    long long softMaskWidth = 0;
    QPDFObjGen object;
};

// The one image a page paints, directly or through a form.
StoredImage imageOn(const fs::path& pdf, std::size_t pageIndex)
{
    QPDF document;
    document.processFile(pdf.c_str());
    StoredImage stored;
    const auto read = [&](QPDFObjectHandle& image, QPDFObjectHandle&, const std::string&) {
        QPDFObjectHandle dictionary = image.getDict();
        QPDFObjectHandle mask = dictionary.getKey("/SMask");
        const auto data = image.getRawStreamData();
        stored = {
            dictionary.getKey("/Width").getIntValue(), dictionary.getKey("/Height").getIntValue(),
            std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
            mask.isStream() ? mask.getDict().getKey("/Width").getIntValue() : 0, image.getObjGen()};
    };
    QPDFPageDocumentHelper(document).getAllPages().at(pageIndex).forEachImage(true, read);
    return stored;
}

// Pages, their media boxes, four document attributes and the catalogue
// entries a reader uses go across; private data does not, nor XMP metadata
// and the source's /ID under cleaning, nor a structure whose object is
// damaged. What damage leaves as it was or drops is told, and the rest written.
TEST(SystemPDFEngineTest, WritesThePagesTheInformationAndWhatAReaderUses)
{
    const TestFolder folder;
    FixtureDocument document;
    document.pages = {{300, 500, "one"}, {842, 595, "two"}, {612, 792, "three"}};
    document.inheritFirstMediaBox = true;
    document.info = {{"Title", "Informe añual"}, {"Author", "Zoë"},    {"Subject", "Cuentas"},
                     {"Keywords", "uno, dos"},   {"Producer", "Tool"}, {"Creator", "Writer"}};
    writeFixturePdf(folder / "plain.pdf", document);
    QPDF source;
    source.processFile((folder / "plain.pdf").c_str());
    QPDFObjectHandle root = source.getRoot();
    root.replaceKey("/Names", QPDFObjectHandle::parse("<< >>"));
    root.replaceKey("/PieceInfo", QPDFObjectHandle::parse("<< /Editor << /Private 1 >> >>"));
    root.replaceKey("/Metadata", source.newStream(std::string("<x:xmpmeta/>")));
    // Its data runs past the /Length the file gives it once that is bumped below.
    QPDFObjectHandle outlines = source.makeIndirectObject(QPDFObjectHandle::parse("<< >>"));
    outlines.replaceKey("/Zurbo", source.newStream(std::string("twenty-three bytes long")));
    root.replaceKey("/Outlines", outlines);
    const fs::path written = folder / "in.pdf"; // the writer keeps the name's pointer
    QPDFWriter writer(source, written.c_str());
    writer.setObjectStreamMode(qpdf_o_disable);
    writer.setCompressStreams(false);
    writer.write();
    std::string damaged = readFile(folder / "in.pdf");
    damaged.replace(damaged.find("/Length 23"), 10, "/Length 93");
    writeFile(folder / "damaged.pdf", damaged);
    writeFixturePdf(folder / "empty.pdf", FixtureDocument{});
    writeFixturePdf(folder / "photo.pdf", imageHeavyDocument());
    QPDF photo;
    photo.processFile((folder / "photo.pdf").c_str());
    QPDFPageDocumentHelper(photo).getAllPages().at(0).forEachImage(
        true, [](QPDFObjectHandle& image, QPDFObjectHandle&, const std::string&) {
            image.replaceStreamData("not deflated", QPDFObjectHandle::newName("/FlateDecode"),
                                    QPDFObjectHandle::newNull());
        });
    const fs::path undecodable = folder / "undecodable.pdf";
    QPDFWriter(photo, undecodable.c_str()).write();

    const std::vector<std::string> boxes{"[ 0 0 300 500 ]", "[ 0 0 842 595 ]", "[ 0 0 612 792 ]"};
    const Information creator{{"Creator", "ZURBO"}};
    Information copied(document.info.begin(), document.info.end());
    copied.erase("Producer");
    copied["Creator"] = "ZURBO";
    const auto keys = [](const char* names) {
        const auto words = split(names);
        return std::set<std::string>(words.begin(), words.end());
    };
    using enum EngineNotice::Reason;
    for (const auto& [input, clean, pages, information, catalogue, notices] :
         std::vector<std::tuple<std::string, bool, std::vector<std::string>, Information,
                                std::set<std::string>, std::set<EngineNotice::Reason>>>{
             {"undecodable.pdf",
              false,
              {"[ 0 0 612 792 ]"},
              creator,
              keys("/Pages /Type"),
              {imageUndecodable, streamUndecodable}},
             {"empty.pdf", false, {}, creator, keys("/Pages /Type"), {}},
             {"in.pdf", true, boxes, creator, keys("/Names /Outlines /Pages /Type"), {}},
             {"in.pdf", false, boxes, copied, keys("/Metadata /Names /Outlines /Pages /Type"), {}},
             {"damaged.pdf",
              false,
              boxes,
              copied,
              keys("/Metadata /Names /Pages /Type"),
              {structureDamaged}}}) {
        SCOPED_TRACE(input + (clean ? " cleaned" : ""));
        std::set<EngineNotice::Reason> told;
        runSystemPDFEngine(folder / input, folder / "out.pdf", balanced, clean, {}, nullptr, {},
                           [&told](const EngineNotice& notice) { told.insert(notice.reason); });
        EXPECT_EQ(told, notices);
        QPDF output;
        output.processFile((folder / "out.pdf").c_str());
        std::vector<std::string> written;
        for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(output).getAllPages()) {
            written.push_back(page.getAttribute("/MediaBox", false).unparseResolved());
        }
        EXPECT_EQ(written, pages);
        EXPECT_EQ(output.getRoot().getKeys(), catalogue);
        Information info;
        for (auto [key, value] : output.getTrailer().getKey("/Info").ditems()) {
            info[key.substr(1)] = value.getUTF8Value();
        }
        EXPECT_EQ(info, information);
        QPDF original;
        original.processFile((folder / input).c_str());
        const auto firstId = [](QPDF& pdf) {
            return pdf.getTrailer().getKey("/ID").getArrayItem(0).getStringValue();
        };
        EXPECT_EQ(firstId(output) == firstId(original), !clean);
    }
    EXPECT_EQ(bench::extractText(folder / "out.pdf"), "one\n\n\ftwo\n\n\fthree\n\n\f");
}

TEST(SystemPDFEngineTest, RefusesUnreadableSourcesAndUnwritableOutputs)
{
    const TestFolder folder;
    writeFile(folder / "text.pdf", "this is not a PDF at all\n");
    writeFile(folder / "empty.pdf", "");
    writeFile(folder / "treeless.pdf", // a catalogue whose page tree is gone
              "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\ntrailer\n"
              "<< /Root 1 0 R /Size 2 >>\n%%EOF\n");
    writeFixturePdf(folder / "good.pdf", textOnlyDocument());
    using enum EngineError::Kind;
    for (const auto& [source, output, kind] :
         std::vector<std::tuple<std::string, fs::path, EngineError::Kind>>{
             {"text.pdf", folder / "out.pdf", documentUnreadable},
             {"empty.pdf", folder / "out.pdf", documentUnreadable},
             {"missing.pdf", folder / "out.pdf", documentUnreadable},
             {"treeless.pdf", folder / "out.pdf", documentUnreadable},
             {"good.pdf", folder / "no/out.pdf", systemFilterUnavailable},
             {"good.pdf", "/dev/full", diskFull}}) {
        try {
            runSystemPDFEngine(folder / source, output, balanced, false);
            ADD_FAILURE() << source << " was accepted";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.kind(), kind) << source << " into " << output;
        }
    }
    // A stop request ends the run between two images, or while writing when there are none.
    const StopSource stop;
    stop.requestStop();
    writeFixturePdf(folder / "photo.pdf", imageHeavyDocument());
    for (const char* source : {"good.pdf", "photo.pdf"}) {
        EXPECT_THROW(
            runSystemPDFEngine(folder / source, folder / "out.pdf", balanced, false, stop.token()),
            PDFEngine::Cancelled)
            << source;
    }
}

// Mean grey where the fixtures show their first image, on a page rendered at 40 dpi.
double meanGreyOfTheImage(const bench::GrayImage& page)
{
    double sum = 0;
    int count = 0;
    for (int y = page.height * 78 / 100; y < page.height * 90 / 100; ++y) {
        for (int x = page.width * 13 / 100; x < page.width * 34 / 100; ++x, ++count) {
            sum += page.at(x, y);
        }
    }
    return sum / count;
}

// One page per image; each must come out sized for where it is shown, as a
// smaller JPEG or untouched, and look the same.
TEST(SystemPDFEngineTest, RecompressesEveryImageForWhereItIsShown)
{
    using enum FixtureImage::ColorSpace;
    const auto photo = [](FixtureImage::ColorSpace space, bool jpeg, bool softMask = false,
                          std::vector<int> solidColor = {}, bool invertedCmyk = false) {
        return FixtureImage{1200, 900, space, jpeg, invertedCmyk, std::move(solidColor), softMask};
    };
    // 20 x 13 inches at 150 ppi want 3000 x 1950 pixels; 2550 is the largest size.
    FixtureImage large{
        .width = 3000, .height = 2000, .shownWidthInches = 20, .shownHeightInches = 13};
    // A flat colour is smaller losslessly than as a JPEG.
    const FixtureImage flat{.width = 200, .height = 150, .solidColor = {20, 120, 220}};
    const std::vector<std::tuple<const char*, FixtureImage, double, int, int>> rows{
        {"rgb", photo(rgb, false), 1, 300, 225},
        {"sameRgbThroughAScalingForm", photo(rgb, false), 0.5, 300, 225},
        {"iccRgbJpeg", photo(iccRgb, true), 1, 300, 225},
        {"iccGray", photo(iccGray, false), 1, 300, 225},
        {"cmykJpeg", photo(cmyk, true), 1, 300, 225},
        {"softMasked", photo(rgb, false, true), 1, 300, 225},
        {"red", photo(rgb, true, false, {230, 20, 20}), 1, 300, 225},
        {"cyanAdobeInverted", photo(cmyk, true, false, {255, 0, 0, 0}, true), 1, 300, 225},
        {"boundedByTheLargestSize", large, 1, 2550, 1658},
        {"jpegBelowTheResolution", {.width = 250, .height = 180, .jpeg = true}, 1, 250, 180},
        {"jpegWouldBeLarger", flat, 1, 200, 150}};
    const TestFolder folder;
    FixtureDocument document;
    for (const auto& [name, image, formScale, width, height] : rows) {
        document.pages.push_back({.text = name, .images = {image}, .formScale = formScale});
    }
    writeFixturePdf(folder / "in.pdf", document);
    runSystemPDFEngine(folder / "in.pdf", folder / "out.pdf", balanced, false);

    const auto sourcePages = bench::renderGrayPages(folder / "in.pdf", 40);
    const auto outputPages = bench::renderGrayPages(folder / "out.pdf", 40);
    for (std::size_t page = 0; page < rows.size(); ++page) {
        const auto& [name, image, formScale, width, height] = rows[page];
        SCOPED_TRACE(name);
        const StoredImage before = imageOn(folder / "in.pdf", page);
        const StoredImage after = imageOn(folder / "out.pdf", page);
        EXPECT_EQ(std::tuple(after.width, after.height), std::tuple(width, height));
        const bool untouched = before.width == width;
        EXPECT_EQ(after.stored == before.stored, untouched);
        EXPECT_TRUE(untouched || after.stored.starts_with("\xff\xd8")) << "not a new JPEG";
        EXPECT_EQ(after.softMaskWidth, image.softMask ? width : 0);
        EXPECT_GT(bench::structuralSimilarity(sourcePages.at(page), outputPages.at(page)), 0.9);
        EXPECT_NEAR(meanGreyOfTheImage(outputPages[page]), meanGreyOfTheImage(sourcePages[page]),
                    6);
    }
    // Identical images on different pages become one object.
    EXPECT_NE(imageOn(folder / "in.pdf", 0).object, imageOn(folder / "in.pdf", 1).object);
    EXPECT_EQ(imageOn(folder / "out.pdf", 0).object, imageOn(folder / "out.pdf", 1).object);
}

} // namespace
} // namespace zurbo::engine
