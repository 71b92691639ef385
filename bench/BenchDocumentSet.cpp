#include "BenchDocumentSet.h"

#include "JpegEncoder.h"
#include "PngPredictor.h"
#include "SyntheticPicture.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <array>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

constexpr double pageWidth = 8.5;
constexpr double pageHeight = 11;
constexpr int fontSize = 11;
constexpr int leading = 14;

QPDFObjectHandle stream(QPDF& pdf, std::string data, const std::string& dictionary,
                        const char* filter = nullptr)
{
    QPDFObjectHandle object = pdf.newStream();
    // The dictionary first: replacing it afterwards would drop the filter.
    object.replaceDict(QPDFObjectHandle::parse(dictionary));
    object.replaceStreamData(
        std::move(data), filter ? QPDFObjectHandle::newName(filter) : QPDFObjectHandle::newNull(),
        QPDFObjectHandle::newNull());
    return object;
}

// PNG-filtered rows, deflated here because the writer would not add the predictor.
QPDFObjectHandle pngStream(QPDF& pdf, const std::string& rows, const std::string& dictionary,
                           int width, int components)
{
    std::string deflated;
    Pl_String sink("png rows", nullptr, deflated);
    Pl_Flate deflate("png rows", &sink, Pl_Flate::a_deflate);
    deflate.write(reinterpret_cast<const unsigned char*>(rows.data()), rows.size());
    deflate.finish();
    QPDFObjectHandle object = stream(pdf, std::move(deflated), dictionary, "/FlateDecode");
    object.getDict().replaceKey(
        "/DecodeParms", QPDFObjectHandle::parse("<< /Predictor 15 /BitsPerComponent 8 /Colors " +
                                                std::to_string(components) + " /Columns " +
                                                std::to_string(width) + " >>"));
    return object;
}

// Ghostscript's sRGB profile where it is installed; otherwise a stand-in
// that readers pass over for the alternate space.
const std::string& srgbProfile()
{
    static const std::string profile = [] {
        std::ifstream in("/usr/share/color/icc/ghostscript/srgb.icc", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return in ? bytes.str() : std::string("zurbo benchmark profile");
    }();
    return profile;
}

QPDFObjectHandle imageXObject(QPDF& pdf, JpegEncoder& encoder, const BenchImage& image)
{
    const int width = static_cast<int>(std::lround(image.width * image.ppi));
    const int height = static_cast<int>(std::lround(image.height * image.ppi));
    const bool scan = image.kind == BenchImage::Kind::scan;
    const int components = scan ? 1 : image.components;
    auto pixels = scan ? SyntheticPicture::scan(width, height, image.ppi, image.seed)
                       : SyntheticPicture::photograph(width, height, components, image.seed);
    const char* space = components == 1   ? "/DeviceGray"
                        : components == 3 ? "/DeviceRGB"
                                          : "/DeviceCMYK";
    std::ostringstream dictionary;
    dictionary << "<< /Type /XObject /Subtype /Image /Width " << width << " /Height " << height
               << " /BitsPerComponent 8 >>";
    QPDFObjectHandle colorSpace = QPDFObjectHandle::newName(space);
    if (image.iccProfile) {
        colorSpace = QPDFObjectHandle::newArray(
            {QPDFObjectHandle::newName("/ICCBased"),
             stream(pdf, srgbProfile(), "<< /N 3 /Alternate /DeviceRGB >>")});
    }
    QPDFObjectHandle object =
        image.jpeg ? stream(pdf, encoder.encode(pixels, width, height, components, 92),
                            dictionary.str(), "/DCTDecode")
        : image.pngPredictor
            ? pngStream(pdf, PngPredictor::encode(pixels, width, height, components),
                        dictionary.str(), width, components)
            : stream(pdf, std::string(pixels.begin(), pixels.end()), dictionary.str());
    object.getDict().replaceKey("/ColorSpace", colorSpace);
    return object;
}

std::string pageContent(const BenchPage& page)
{
    std::ostringstream content;
    content << "BT /F1 " << fontSize << " Tf " << leading << " TL 72 " << pageHeight * 72 - 54
            << " Td\n";
    for (const std::string& line : page.lines) {
        content << "(" << line << ") '\n";
    }
    content << "ET\n";
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const BenchImage& image = page.images[i];
        content << "q " << image.width * 72 << " 0 0 " << image.height * 72 << " " << image.x * 72
                << " " << image.y * 72 << " cm /Im" << i << " Do Q\n";
    }
    return content.str();
}

QPDFObjectHandle pageObject(QPDF& pdf, JpegEncoder& encoder, const BenchPage& page)
{
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        xobjects.replaceKey("/Im" + std::to_string(i), imageXObject(pdf, encoder, page.images[i]));
    }
    QPDFObjectHandle resources = QPDFObjectHandle::parse(
        "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
        "/Encoding /WinAnsiEncoding >> >> >>");
    resources.replaceKey("/XObject", xobjects);
    QPDFObjectHandle object = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>");
    object.replaceKey("/Resources", resources);
    object.replaceKey("/Contents", stream(pdf, pageContent(page), "<< >>"));
    return pdf.makeIndirectObject(object);
}

BenchPage photoPage(int lines, std::uint32_t seed, std::vector<BenchImage> images)
{
    return {BenchDocumentSet::prose(lines, seed), std::move(images)};
}

// Lossless pictures weigh several times their JPEG twins, so the Flate album
// gets one picture a page where the JPEG album gets two.
BenchDocument photoAlbum(const std::string& name, bool jpeg, std::vector<int> ppis,
                         std::uint32_t seed)
{
    BenchDocument document{name, {}};
    for (std::uint32_t i = 0; i < ppis.size(); ++i) {
        const int ppi = ppis[i];
        BenchPage page = photoPage(4, seed + i,
                                   {{.jpeg = jpeg,
                                     .ppi = ppi,
                                     .x = 1.25,
                                     .y = 5.2,
                                     .width = 6,
                                     .height = 4,
                                     .seed = seed + 10 * i}});
        if (jpeg) {
            page.images.push_back({.jpeg = true,
                                   .ppi = ppi,
                                   .x = 1.25,
                                   .y = 1,
                                   .width = 4,
                                   .height = 3.6,
                                   .seed = seed + 10 * i + 1});
        }
        document.pages.push_back(std::move(page));
    }
    return document;
}

BenchDocument grayAndCmykCatalogue()
{
    BenchDocument document{"catalogue-gray-cmyk.pdf", {}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        document.pages.push_back(photoPage(20, 300 + i,
                                           {{.components = 1,
                                             .ppi = 450,
                                             .x = 1,
                                             .y = 1,
                                             .width = 3,
                                             .height = 3.5,
                                             .seed = 310 + i},
                                            {.components = 4,
                                             .jpeg = true,
                                             .ppi = 400,
                                             .x = 4.5,
                                             .y = 1,
                                             .width = 3,
                                             .height = 3.5,
                                             .seed = 320 + i}}));
    }
    return document;
}

BenchDocument textReport()
{
    BenchDocument document{"report-text-photos.pdf", {}};
    for (std::uint32_t i = 0; i < 8; ++i) {
        document.pages.push_back(photoPage(36, 400 + i,
                                           {{.jpeg = i % 2 == 1,
                                             .ppi = 600,
                                             .x = 1,
                                             .y = 0.8,
                                             .width = 2.5,
                                             .height = 1.8,
                                             .seed = 410 + i}}));
    }
    return document;
}

// Four 16:9 camera pictures of 5120 x 2880 pixels on their own pages.
BenchDocument pngPhotographs()
{
    BenchDocument document{"photos-png-5120.pdf", {}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        document.pages.push_back(photoPage(2, 600 + i,
                                           {{.pngPredictor = true,
                                             .ppi = 800,
                                             .x = 1.05,
                                             .y = 4,
                                             .width = 6.4,
                                             .height = 3.6,
                                             .seed = 610 + i}}));
    }
    return document;
}

BenchDocument grayScan()
{
    BenchDocument document{"scan-300dpi-gray.pdf", {}};
    for (std::uint32_t i = 0; i < 3; ++i) {
        document.pages.push_back({{},
                                  {{.kind = BenchImage::Kind::scan,
                                    .ppi = 300,
                                    .x = 0,
                                    .y = 0,
                                    .width = pageWidth,
                                    .height = pageHeight,
                                    .seed = 500 + i}}});
    }
    return document;
}

// The same photograph placed on 200 pages, each copy a stream of its own
// with its own (identical) colour profile, as page imposition tools write.
BenchDocument copiesOfOnePhoto()
{
    BenchDocument document{"photo-200-copies.pdf", {}};
    for (std::uint32_t i = 0; i < 200; ++i) {
        document.pages.push_back(photoPage(6, 700,
                                           {{.jpeg = true,
                                             .iccProfile = true,
                                             .ppi = 300,
                                             .x = 1.5,
                                             .y = 3,
                                             .width = 2.5,
                                             .height = 1.8,
                                             .seed = 710}}));
    }
    return document;
}

} // namespace

std::vector<std::string> BenchDocumentSet::prose(int lineCount, std::uint32_t seed)
{
    static const std::array<const char*, 24> words{
        "informe", "anual",  "de",     "la",     "empresa", "con",   "datos",    "sobre",
        "ventas",  "costes", "y",      "planes", "para",    "el",    "proximo",  "trimestre",
        "segun",   "las",    "cifras", "del",    "mercado", "local", "regional", "europeo"};
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::vector<std::string> lines;
    for (int i = 0; i < lineCount; ++i) {
        std::string line = "Linea " + std::to_string(i + 1) + ":";
        while (line.size() < 80) {
            line += ' ';
            line += words[pick(random)];
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<BenchDocument> BenchDocumentSet::documents()
{
    return {photoAlbum("album-flate-rgb.pdf", false, {300, 450, 350}, 100),
            photoAlbum("album-jpeg-rgb.pdf", true, {300, 450, 600, 400, 500, 350}, 200),
            grayAndCmykCatalogue(),
            textReport(),
            grayScan(),
            pngPhotographs(),
            copiesOfOnePhoto()};
}

void BenchDocumentSet::write(const BenchDocument& document, const fs::path& file)
{
    QPDF pdf;
    pdf.emptyPDF();
    JpegEncoder encoder;
    QPDFPageDocumentHelper pages(pdf);
    for (const BenchPage& page : document.pages) {
        pages.addPage(QPDFPageObjectHelper(pageObject(pdf, encoder, page)), false);
    }
    QPDFWriter writer(pdf, file.c_str());
    writer.setStaticID(true);
    writer.write();
}

std::vector<fs::path> BenchDocumentSet::generate(const fs::path& folder, std::ostream& progress)
{
    fs::create_directories(folder);
    std::vector<fs::path> files;
    for (const BenchDocument& document : documents()) {
        const fs::path file = folder / document.fileName;
        write(document, file);
        progress << file.string() << ": " << fs::file_size(file) << " bytes" << std::endl;
        files.push_back(file);
    }
    return files;
}

} // namespace zurbo::bench
