#include "HostileDocuments.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <string>

namespace fs = std::filesystem;

namespace zurbo::bench {

namespace {

constexpr int hugeSide = 20000;

// `unit` repeated to `bytes`, then `tail`, deflated a megabyte at a time so
// that the whole is never in memory.
std::string deflatedRepeat(const std::string& unit, std::size_t bytes, const std::string& tail)
{
    std::string deflated;
    Pl_String sink("deflated", nullptr, deflated);
    Pl_Flate deflate("deflate", &sink, Pl_Flate::a_deflate);
    std::string chunk;
    while (chunk.size() < (1 << 20)) {
        chunk += unit;
    }
    for (std::size_t written = 0; written < bytes;) {
        const std::size_t length = std::min(chunk.size(), bytes - written);
        deflate.write(reinterpret_cast<const unsigned char*>(chunk.data()), length);
        written += length;
    }
    deflate.write(reinterpret_cast<const unsigned char*>(tail.data()), tail.size());
    deflate.finish();
    return deflated;
}

std::string deflated(const std::string& data)
{
    return deflatedRepeat(data, data.size(), {});
}

QPDFObjectHandle stream(QPDF& pdf, std::string data, const std::string& dictionary,
                        const std::string& filter)
{
    QPDFObjectHandle object = pdf.newStream();
    object.replaceDict(QPDFObjectHandle::parse(dictionary));
    object.replaceStreamData(std::move(data), QPDFObjectHandle::parse(filter),
                             QPDFObjectHandle::newNull());
    return object;
}

// A Flate RGB image of one colour.
QPDFObjectHandle solidImage(QPDF& pdf, int side, unsigned char shade)
{
    const std::string pixel{static_cast<char>(shade), static_cast<char>(255 - shade), '\x40'};
    const std::size_t bytes = static_cast<std::size_t>(side) * side * 3;
    return stream(pdf, deflatedRepeat(pixel, bytes, {}),
                  "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB /BitsPerComponent 8"
                  " /Width " +
                      std::to_string(side) + " /Height " + std::to_string(side) + " >>",
                  "/FlateDecode");
}

// A US Letter page whose content paints `image` as /Im0.
void addPage(QPDF& pdf, QPDFObjectHandle content, QPDFObjectHandle image)
{
    QPDFObjectHandle page = QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 612 792] /Resources << /XObject << >> >> >>");
    page.getKey("/Resources").getKey("/XObject").replaceKey("/Im0", image);
    page.replaceKey("/Contents", content);
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
}

const std::string paintImage = "\nq 576 0 0 576 18 108 cm /Im0 Do Q\n";

void write(QPDF& pdf, const fs::path& file)
{
    QPDFWriter writer(pdf, file.c_str());
    // Streams go out exactly as built: the writer must not inflate the layers.
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setStaticID(true);
    writer.write();
}

void spacesBomb(const fs::path& file)
{
    QPDF pdf;
    pdf.emptyPDF();
    const std::string once = deflatedRepeat(" ", 2'000'000'000, paintImage);
    addPage(pdf, stream(pdf, deflated(once), "<< >>", "[/FlateDecode /FlateDecode]"),
            solidImage(pdf, 64, 10));
    write(pdf, file);
}

void saveOperators(const fs::path& file)
{
    QPDF pdf;
    pdf.emptyPDF();
    addPage(pdf,
            stream(pdf, deflatedRepeat("q\n", 60'000'000, paintImage), "<< >>", "/FlateDecode"),
            solidImage(pdf, 64, 20));
    write(pdf, file);
}

void hugeImages(const fs::path& file)
{
    QPDF pdf;
    pdf.emptyPDF();
    for (unsigned char shade : {30, 90, 150, 210}) {
        addPage(pdf, stream(pdf, paintImage, "<< >>", "null"), solidImage(pdf, hugeSide, shade));
    }
    write(pdf, file);
}

} // namespace

std::vector<fs::path> HostileDocuments::generate(const fs::path& folder, std::ostream& progress)
{
    fs::create_directories(folder);
    const std::vector<std::pair<const char*, void (*)(const fs::path&)>> documents{
        {"flate-bomb-2gb-spaces.pdf", spacesBomb},
        {"save-operators-30m.pdf", saveOperators},
        {"rgb-images-4x20000.pdf", hugeImages}};
    std::vector<fs::path> files;
    for (const auto& [name, make] : documents) {
        const fs::path file = folder / name;
        make(file);
        progress << file.string() << ": " << fs::file_size(file) << " bytes" << std::endl;
        files.push_back(file);
    }
    return files;
}

} // namespace zurbo::bench
