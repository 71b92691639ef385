#include "PdfFixtures.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zurbo::testing {

namespace {

int componentCount(FixtureImage::ColorSpace space)
{
    switch (space) {
    case FixtureImage::ColorSpace::gray:
    case FixtureImage::ColorSpace::iccGray:
        return 1;
    case FixtureImage::ColorSpace::rgb:
    case FixtureImage::ColorSpace::iccRgb:
        return 3;
    case FixtureImage::ColorSpace::cmyk:
        return 4;
    }
    return 3;
}

QPDFObjectHandle colorSpace(QPDF& pdf, FixtureImage::ColorSpace space)
{
    switch (space) {
    case FixtureImage::ColorSpace::gray:
        return QPDFObjectHandle::newName("/DeviceGray");
    case FixtureImage::ColorSpace::rgb:
        return QPDFObjectHandle::newName("/DeviceRGB");
    case FixtureImage::ColorSpace::cmyk:
        return QPDFObjectHandle::newName("/DeviceCMYK");
    case FixtureImage::ColorSpace::iccGray:
    case FixtureImage::ColorSpace::iccRgb:
        break;
    }
    // A stand-in profile: readers fall back on the alternate space, the same
    // way for the source and for the output.
    const int components = componentCount(space);
    QPDFObjectHandle profile = pdf.newStream(std::string("zurbo test profile"));
    profile.getDict().replaceKey("/N", QPDFObjectHandle::newInteger(components));
    profile.getDict().replaceKey(
        "/Alternate", QPDFObjectHandle::newName(components == 1 ? "/DeviceGray" : "/DeviceRGB"));
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    array.appendItem(QPDFObjectHandle::newName("/ICCBased"));
    array.appendItem(profile);
    return array;
}

std::string photoPixels(int width, int height, int components)
{
    std::mt19937 noise(static_cast<unsigned>(width * 7919 + height));
    std::uniform_int_distribution<int> jitter(-6, 6);
    std::string pixels(static_cast<std::size_t>(width) * height * components, '\0');
    std::size_t at = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            for (int c = 0; c < components; ++c) {
                const double wave = std::sin((u * (3 + c) + v * (2 + c)) * 6.2831) * 0.5 + 0.5;
                const int value =
                    static_cast<int>(40 + 170 * wave * (0.6 + 0.4 * v)) + jitter(noise);
                pixels[at++] = static_cast<char>(std::clamp(value, 0, 255));
            }
        }
    }
    return pixels;
}

std::string solidPixels(int width, int height, const std::vector<int>& color)
{
    std::string pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * color.size());
    for (long i = 0; i < static_cast<long>(width) * height; ++i) {
        for (const int value : color) {
            pixels.push_back(static_cast<char>(value));
        }
    }
    return pixels;
}

std::string imagePixels(const FixtureImage& image)
{
    return image.solidColor.empty()
               ? photoPixels(image.width, image.height, componentCount(image.colorSpace))
               : solidPixels(image.width, image.height, image.solidColor);
}

std::string inverted(std::string samples)
{
    for (char& sample : samples) {
        sample = static_cast<char>(255 - static_cast<unsigned char>(sample));
    }
    return samples;
}

std::string encodeJpeg(const std::string& pixels, const FixtureImage& image)
{
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int components = componentCount(image.colorSpace);
    const int format = components == 1 ? TJPF_GRAY : components == 3 ? TJPF_RGB : TJPF_CMYK;
    const int subsampling = components == 1   ? TJSAMP_GRAY
                            : components == 3 ? TJSAMP_420
                                              : TJSAMP_444;
    const int status =
        tjCompress2(handle, reinterpret_cast<const unsigned char*>(pixels.data()), image.width, 0,
                    image.height, format, &jpeg, &size, subsampling, 92, 0);
    std::string encoded = status == 0 ? std::string(reinterpret_cast<char*>(jpeg), size) : "";
    tjFree(jpeg);
    tjDestroy(handle);
    if (encoded.empty()) {
        throw std::runtime_error("fixture JPEG encoding failed");
    }
    return encoded;
}

QPDFObjectHandle flateStream(QPDF& pdf, const std::string& data, const std::string& dictionary)
{
    QPDFObjectHandle stream = pdf.newStream();
    stream.replaceStreamData(data, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    stream.replaceDict(QPDFObjectHandle::parse(dictionary));
    return stream;
}

QPDFObjectHandle imageXObject(QPDF& pdf, const FixtureImage& image)
{
    const std::string pixels = imagePixels(image);
    std::ostringstream dictionary;
    dictionary << "<< /Type /XObject /Subtype /Image /Width " << image.width << " /Height "
               << image.height << " /BitsPerComponent 8 >>";
    QPDFObjectHandle stream = flateStream(pdf, pixels, dictionary.str());
    stream.getDict().replaceKey("/ColorSpace", colorSpace(pdf, image.colorSpace));
    if (image.jpeg && image.invertedCmyk) {
        stream.replaceStreamData(encodeJpeg(inverted(pixels), image),
                                 QPDFObjectHandle::newName("/DCTDecode"),
                                 QPDFObjectHandle::newNull());
        stream.getDict().replaceKey("/Decode", QPDFObjectHandle::parse("[1 0 1 0 1 0 1 0]"));
    } else if (image.jpeg) {
        stream.replaceStreamData(encodeJpeg(pixels, image), QPDFObjectHandle::newName("/DCTDecode"),
                                 QPDFObjectHandle::newNull());
    }
    if (image.softMask) {
        std::ostringstream maskDictionary;
        maskDictionary << "<< /Type /XObject /Subtype /Image /Width " << image.width << " /Height "
                       << image.height << " /ColorSpace /DeviceGray /BitsPerComponent 8 >>";
        stream.getDict().replaceKey(
            "/SMask",
            flateStream(pdf, photoPixels(image.width, image.height, 1), maskDictionary.str()));
    }
    return stream;
}

// Draws the page's images, each placed at its shown size (before any form
// scaling) from one inch off the lower-left corner.
std::string imageDrawing(QPDF& pdf, const FixturePage& page, QPDFObjectHandle xobjects)
{
    std::ostringstream content;
    const double scale = page.formScale;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const FixtureImage& image = page.images[i];
        const std::string name = "/Im" + std::to_string(i);
        xobjects.replaceKey(name, imageXObject(pdf, image));
        content << "q " << image.shownWidthInches * 72 / scale << " 0 0 "
                << image.shownHeightInches * 72 / scale << " " << (72 + 10 * i) / scale << " "
                << (72 + 10 * i) / scale << " cm " << name << " Do Q\n";
    }
    return content.str();
}

QPDFObjectHandle pageObject(QPDF& pdf, const FixturePage& page)
{
    std::ostringstream content;
    content << "BT /F1 14 Tf 72 " << page.heightPoints - 72 << " Td (" << page.text << ") Tj ET\n";
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    if (page.formScale == 1) {
        content << imageDrawing(pdf, page, xobjects);
    } else {
        QPDFObjectHandle formXObjects = QPDFObjectHandle::newDictionary();
        QPDFObjectHandle form = flateStream(pdf, imageDrawing(pdf, page, formXObjects),
                                            "<< /Type /XObject /Subtype /Form >>");
        QPDFObjectHandle formDictionary = form.getDict();
        std::ostringstream matrix;
        matrix << "[" << page.formScale << " 0 0 " << page.formScale << " 0 0]";
        formDictionary.replaceKey("/Matrix", QPDFObjectHandle::parse(matrix.str()));
        formDictionary.replaceKey("/BBox",
                                  QPDFObjectHandle::parse("[-100000 -100000 100000 100000]"));
        formDictionary.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        formDictionary.getKey("/Resources").replaceKey("/XObject", formXObjects);
        xobjects.replaceKey("/Fm0", form);
        content << "/Fm0 Do\n";
    }
    QPDFObjectHandle resources = QPDFObjectHandle::parse(
        "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    resources.replaceKey("/XObject", xobjects);

    std::ostringstream mediaBox;
    mediaBox << "[0 0 " << page.widthPoints << " " << page.heightPoints << "]";
    QPDFObjectHandle object = QPDFObjectHandle::parse("<< /Type /Page >>");
    object.replaceKey("/MediaBox", QPDFObjectHandle::parse(mediaBox.str()));
    object.replaceKey("/Resources", resources);
    object.replaceKey("/Contents", flateStream(pdf, content.str(), "<< >>"));
    return pdf.makeIndirectObject(object);
}

} // namespace

void writeFixturePdf(const std::filesystem::path& path, const FixtureDocument& document)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper pages(pdf);
    for (const FixturePage& page : document.pages) {
        pages.addPage(QPDFPageObjectHelper(pageObject(pdf, page)), false);
    }
    if (document.inheritFirstMediaBox && !document.pages.empty()) {
        QPDFObjectHandle first = pdf.getAllPages().front();
        pdf.getRoot().getKey("/Pages").replaceKey("/MediaBox", first.getKey("/MediaBox"));
        first.removeKey("/MediaBox");
    }
    if (!document.info.empty()) {
        QPDFObjectHandle info = QPDFObjectHandle::newDictionary();
        for (const auto& [key, value] : document.info) {
            info.replaceKey("/" + key, QPDFObjectHandle::newUnicodeString(value));
        }
        pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(info));
    }
    QPDFWriter writer(pdf, path.c_str());
    writer.setStaticID(true);
    writer.write();
}

FixtureDocument imageHeavyDocument(int pages)
{
    FixtureDocument document;
    for (int i = 0; i < pages; ++i) {
        FixturePage page;
        page.text = "Page " + std::to_string(i + 1) + " of an image-heavy fixture";
        page.images.push_back({.width = 1200, .height = 900});
        document.pages.push_back(page);
    }
    return document;
}

FixtureDocument textOnlyDocument()
{
    FixtureDocument document;
    FixturePage page;
    page.text = "Nothing here but a line of text";
    document.pages.push_back(page);
    return document;
}

} // namespace zurbo::testing
