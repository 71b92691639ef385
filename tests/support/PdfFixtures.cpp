#include "PdfFixtures.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zurbo::testing {

namespace {

// A smooth, photo-like pattern with a little noise (the same for the same
// size), or every pixel the image's solid colour.
std::string pixels(const FixtureImage& image, int components)
{
    std::mt19937 noise(static_cast<unsigned>(image.width * 7919 + image.height));
    std::uniform_int_distribution<int> jitter(-6, 6);
    std::string samples;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const double u = static_cast<double>(x) / image.width;
            const double v = static_cast<double>(y) / image.height;
            for (int c = 0; c < components; ++c) {
                const double wave = std::sin((u * (3 + c) + v * (2 + c)) * 6.2831) * 0.5 + 0.5;
                const int value =
                    image.solidColor.empty()
                        ? static_cast<int>(40 + 170 * wave * (0.6 + 0.4 * v)) + jitter(noise)
                        : image.solidColor.at(static_cast<std::size_t>(c));
                samples.push_back(static_cast<char>(std::clamp(value, 0, 255)));
            }
        }
    }
    return samples;
}

std::string encodeJpeg(const std::string& samples, const FixtureImage& image, int components)
{
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int format = components == 1 ? TJPF_GRAY : components == 3 ? TJPF_RGB : TJPF_CMYK;
    if (tjCompress2(handle, reinterpret_cast<const unsigned char*>(samples.data()), image.width, 0,
                    image.height, format, &jpeg, &size, components == 1 ? TJSAMP_GRAY : TJSAMP_444,
                    92, 0) != 0) {
        throw std::runtime_error("fixture JPEG encoding failed");
    }
    std::string encoded(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(handle);
    return encoded;
}

// A stream stored as given (the writer Flate-compresses it) or with `filter`.
QPDFObjectHandle newStream(QPDF& pdf, const std::string& dictionary, const std::string& data,
                           const char* filter = nullptr)
{
    QPDFObjectHandle stream = pdf.newStream();
    stream.replaceDict(QPDFObjectHandle::parse(dictionary));
    stream.replaceStreamData(
        data, filter ? QPDFObjectHandle::newName(filter) : QPDFObjectHandle::newNull(),
        QPDFObjectHandle::newNull());
    return stream;
}

QPDFObjectHandle imageXObject(QPDF& pdf, const FixtureImage& image)
{
    using enum FixtureImage::ColorSpace;
    const auto space = image.colorSpace;
    const int components = space == cmyk ? 4 : space == gray || space == iccGray ? 1 : 3;
    const std::string device = components == 1   ? "/DeviceGray"
                               : components == 3 ? "/DeviceRGB"
                                                 : "/DeviceCMYK";
    std::string samples = pixels(image, components);
    if (image.jpeg && image.invertedCmyk) {
        for (char& sample : samples) {
            sample = static_cast<char>(255 - static_cast<unsigned char>(sample));
        }
    }
    const std::string dictionary = "<< /Type /XObject /Subtype /Image /Width " +
                                   std::to_string(image.width) + " /Height " +
                                   std::to_string(image.height) + " /BitsPerComponent 8 >>";
    QPDFObjectHandle stream =
        image.jpeg
            ? newStream(pdf, dictionary, encodeJpeg(samples, image, components), "/DCTDecode")
            : newStream(pdf, dictionary, samples);
    stream.getDict().replaceKey("/ColorSpace", QPDFObjectHandle::newName(device));
    if (space == iccGray || space == iccRgb) {
        // A stand-in profile: readers fall back on the alternate space, the
        // same way for the source and for the output.
        QPDFObjectHandle profile =
            newStream(pdf, "<< /N " + std::to_string(components) + " >>", "zurbo test profile");
        profile.getDict().replaceKey("/Alternate", QPDFObjectHandle::newName(device));
        stream.getDict().replaceKey("/ColorSpace", QPDFObjectHandle::parse("[/ICCBased]"));
        stream.getDict().getKey("/ColorSpace").appendItem(profile);
    }
    if (image.jpeg && image.invertedCmyk) {
        stream.getDict().replaceKey("/Decode", QPDFObjectHandle::parse("[1 0 1 0 1 0 1 0]"));
    }
    if (image.softMask) {
        const FixtureImage mask{.width = image.width, .height = image.height};
        QPDFObjectHandle maskStream = newStream(pdf, dictionary, pixels(mask, 1));
        maskStream.getDict().replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceGray"));
        stream.getDict().replaceKey("/SMask", maskStream);
    }
    return stream;
}

QPDFObjectHandle pageObject(QPDF& pdf, const FixturePage& page)
{
    // Each image at its shown size (before any form scaling), one inch off the corner.
    QPDFObjectHandle images = QPDFObjectHandle::newDictionary();
    std::ostringstream drawing;
    const double scale = page.formScale;
    for (std::size_t i = 0; i < page.images.size(); ++i) {
        const FixtureImage& image = page.images[i];
        images.replaceKey("/Im" + std::to_string(i), imageXObject(pdf, image));
        drawing << "q " << image.shownWidthInches * 72 / scale << " 0 0 "
                << image.shownHeightInches * 72 / scale << " " << (72 + 10 * i) / scale << " "
                << (72 + 10 * i) / scale << " cm /Im" << i << " Do Q\n";
    }
    std::ostringstream content;
    content << "BT /F1 14 Tf 72 " << page.heightPoints - 72 << " Td (" << page.text << ") Tj ET\n";
    QPDFObjectHandle xobjects = images;
    if (scale == 1) {
        content << drawing.str();
    } else {
        std::ostringstream form;
        form << "<< /Type /XObject /Subtype /Form /Matrix [" << scale << " 0 0 " << scale
             << " 0 0] /BBox [-100000 -100000 100000 100000] /Resources << >> >>";
        QPDFObjectHandle formStream = newStream(pdf, form.str(), drawing.str());
        formStream.getDict().getKey("/Resources").replaceKey("/XObject", images);
        xobjects = QPDFObjectHandle::newDictionary();
        xobjects.replaceKey("/Fm0", formStream);
        content << "/Fm0 Do\n";
    }
    std::ostringstream dictionary;
    dictionary << "<< /Type /Page /MediaBox [0 0 " << page.widthPoints << " " << page.heightPoints
               << "] /Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont "
                  "/Helvetica >> >> >> >>";
    QPDFObjectHandle object = QPDFObjectHandle::parse(dictionary.str());
    object.getKey("/Resources").replaceKey("/XObject", xobjects);
    object.replaceKey("/Contents", newStream(pdf, "<< >>", content.str()));
    return pdf.makeIndirectObject(object);
}

} // namespace

void writeFixturePdf(const std::filesystem::path& path, const FixtureDocument& document)
{
    QPDF pdf;
    pdf.emptyPDF();
    for (const FixturePage& page : document.pages) {
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pageObject(pdf, page)), false);
    }
    if (document.inheritFirstMediaBox && !document.pages.empty()) {
        QPDFObjectHandle first = pdf.getAllPages().front();
        pdf.getRoot().getKey("/Pages").replaceKey("/MediaBox", first.getKey("/MediaBox"));
        first.removeKey("/MediaBox");
    }
    if (!document.info.empty()) {
        QPDFObjectHandle info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        for (const auto& [key, value] : document.info) {
            info.replaceKey("/" + key, QPDFObjectHandle::newUnicodeString(value));
        }
        pdf.getTrailer().replaceKey("/Info", info);
    }
    QPDFWriter writer(pdf, path.c_str());
    writer.setStaticID(true);
    if (const auto& lock = document.lock; lock && lock->revision == 4) {
        writer.setR4EncryptionParametersInsecure(lock->user.c_str(), lock->owner.c_str(), true,
                                                 false, true, true, true, false, qpdf_r3p_none,
                                                 true, true);
    } else if (lock) {
        writer.setR6EncryptionParameters(lock->user.c_str(), lock->owner.c_str(), true, false, true,
                                         true, true, false, qpdf_r3p_none, true);
    }
    writer.write();
}

FixtureDocument imageHeavyDocument(int pages)
{
    FixtureDocument document;
    for (int i = 0; i < pages; ++i) {
        document.pages.push_back(
            {.text = "Page " + std::to_string(i + 1) + " of an image-heavy fixture",
             .images = {{.width = 1200, .height = 900}}});
    }
    return document;
}

FixtureDocument textOnlyDocument()
{
    return {.pages = {{.text = "Nothing here but a line of text"}}};
}

} // namespace zurbo::testing
