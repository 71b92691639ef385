#include "ImageDecoder.h"

#include "ImageStream.h"
#include "PngPredictor.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>

namespace zurbo::engine {
namespace {

// How a generated image is stored.
struct StoredAs {
    const char* name;
    int components;
    // 1 none, 2 TIFF, 10 to 15 PNG (each row names its own filter).
    int predictor;
    // Missing its checksum, which libdeflate refuses and qpdf accepts.
    bool checksumCut = false;
    // Undone a band at a time, as images too large to hold whole are.
    bool inBands = false;

    friend void PrintTo(const StoredAs& row, std::ostream* out) { *out << row.name; }
};

// Colour images span more than one of the decoder's bands of rows.
constexpr Dimensions size{613, 211};

// Gradients with noise, so that every predictor has work to do, and low
// bands of little noise, where Paeth's distances tie.
std::vector<std::uint8_t> pixels(int components)
{
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(size.width) * size.height *
                                      components);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint32_t noise = i * 2654435761u;
        samples[i] =
            static_cast<std::uint8_t>(i / 9000 % 2 ? i % 200 + (noise >> 27) : noise >> 30);
    }
    return samples;
}

std::string predicted(const std::vector<std::uint8_t>& samples, const StoredAs& row)
{
    if (row.predictor >= 10) {
        return bench::PngPredictor::encode(samples, size.width, size.height, row.components,
                                           bench::PngPredictor::Choice::eachInTurn);
    }
    std::string rows(samples.begin(), samples.end());
    const std::size_t rowBytes = static_cast<std::size_t>(size.width) * row.components;
    for (std::size_t i = rows.size(); row.predictor == 2 && i-- > 0;) {
        if (i % rowBytes >= static_cast<std::size_t>(row.components)) {
            rows[i] = static_cast<char>(rows[i] - rows[i - row.components]);
        }
    }
    return rows;
}

std::string deflated(const std::string& data)
{
    std::string compressed;
    Pl_String sink("deflated", nullptr, compressed);
    Pl_Flate deflate("deflate", &sink, Pl_Flate::a_deflate);
    deflate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    deflate.finish();
    return compressed;
}

// The image XObject as a document stores it.
QPDFObjectHandle imageStream(QPDF& pdf, const StoredAs& row)
{
    std::string data = deflated(predicted(pixels(row.components), row));
    const std::string parameters = "<< /Predictor " + std::to_string(row.predictor) + " /Colors " +
                                   std::to_string(row.components) +
                                   " /BitsPerComponent 8 /Columns " + std::to_string(size.width) +
                                   " >>";
    data.resize(data.size() - (row.checksumCut ? 4 : 0));
    const char* spaces[] = {"", "/DeviceGray", "", "/DeviceRGB", "/DeviceCMYK"};
    QPDFObjectHandle stream = pdf.newStream();
    stream.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Image /BitsPerComponent 8 /ColorSpace " +
        std::string(spaces[row.components]) + " /Width " + std::to_string(size.width) +
        " /Height " + std::to_string(size.height) + " >>"));
    stream.replaceStreamData(data, QPDFObjectHandle::newName("/FlateDecode"),
                             QPDFObjectHandle::parse(parameters));
    return stream;
}

class ImageDecoderTest : public ::testing::TestWithParam<StoredAs> {};

// Our inflating and predictors give what qpdf's own decoding gives; data
// libdeflate refuses goes through qpdf on the worker.
TEST_P(ImageDecoderTest, DecodesAsQpdfDoes)
{
    const StoredAs& row = GetParam();
    QPDF pdf;
    pdf.emptyPDF();
    pdf.setSuppressWarnings(true);
    QPDFObjectHandle stream = imageStream(pdf, row);
    std::string byQpdf;
    Pl_String sink("decoded", nullptr, byQpdf);
    stream.pipeStreamData(&sink, nullptr, 0, qpdf_dl_specialized, true, false);
    const auto image = ImageStream::inspect(stream);
    ASSERT_TRUE(image);
    const std::vector<std::uint8_t> expected = pixels(row.components);
    EXPECT_EQ(std::vector<std::uint8_t>(byQpdf.begin(), byQpdf.end()), expected);
    ImageRecompressor::Source source = image->read();
    source.inBands = row.inBands;
    EXPECT_EQ(ImageDecoder::decode(std::move(source), size).samples, expected);
    // A row short of the declared size is refused.
    ImageRecompressor::Source shortened = image->read();
    shortened.dimensions.height += 1;
    EXPECT_THROW(ImageDecoder::decode(std::move(shortened), size), std::exception);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImageDecoderTest,
                         ::testing::Values(StoredAs{"grayFlate", 1, 1}, StoredAs{"grayPng", 1, 12},
                                           StoredAs{"rgbPng", 3, 15}, StoredAs{"cmykPng", 4, 10},
                                           StoredAs{"grayTiff", 1, 2}, StoredAs{"rgbTiff", 3, 2},
                                           StoredAs{"cmykTiff", 4, 2},
                                           StoredAs{"checksumCutGoesToQpdf", 3, 15, true},
                                           StoredAs{"rgbPngInBands", 3, 15, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
