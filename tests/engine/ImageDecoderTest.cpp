#include "ImageDecoder.h"

#include "Downsampler.h"
#include "ImageStream.h"
#include "PngPredictor.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>

#include <random>

namespace zurbo::engine {
namespace {

// How a generated image is stored.
struct StoredAs {
    const char* name;
    int components;
    // 1 none, 2 TIFF, 10 to 15 PNG (each row names its own filter).
    int predictor;
    enum Twist { plain, checksumCut, hexOverFlate, rowMissing } twist = plain;

    friend void PrintTo(const StoredAs& row, std::ostream* out) { *out << row.name; }
};

// Colour images span more than one of the decoder's bands of rows.
constexpr Dimensions size{613, 211};

std::vector<std::uint8_t> pixels(int components)
{
    std::mt19937 random(static_cast<unsigned>(components));
    std::uniform_int_distribution<int> sample(0, 255);
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(size.width) * size.height *
                                      components);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        // Gradients with noise, so that every predictor has work to do.
        samples[i] = static_cast<std::uint8_t>(i % 200 + sample(random) / 8);
    }
    return samples;
}

std::string predicted(const std::vector<std::uint8_t>& samples, const StoredAs& row, int height)
{
    if (row.predictor >= 10) {
        return bench::PngPredictor::encode(samples, size.width, height, row.components,
                                           bench::PngPredictor::Choice::eachInTurn);
    }
    std::string rows(samples.begin(), samples.begin() + size.width * height * row.components);
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

std::string hex(const std::string& data)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : data) {
        text += {digits[byte >> 4], digits[byte & 15]};
    }
    return text + ">";
}

// The image XObject as a document stores it.
QPDFObjectHandle imageStream(QPDF& pdf, const StoredAs& row)
{
    const int storedRows = row.twist == StoredAs::rowMissing ? size.height - 1 : size.height;
    std::string data = deflated(predicted(pixels(row.components), row, storedRows));
    const std::string parameters = "<< /Predictor " + std::to_string(row.predictor) + " /Colors " +
                                   std::to_string(row.components) +
                                   " /BitsPerComponent 8 /Columns " + std::to_string(size.width) +
                                   " >>";
    std::string filter = "/FlateDecode";
    std::string decodeParameters = parameters;
    if (row.twist == StoredAs::checksumCut) {
        data.resize(data.size() - 4);
    } else if (row.twist == StoredAs::hexOverFlate) {
        data = hex(data);
        filter = "[ /ASCIIHexDecode /FlateDecode ]";
        decodeParameters = "[ null " + parameters + " ]";
    }
    const char* space = row.components == 1   ? "/DeviceGray"
                        : row.components == 3 ? "/DeviceRGB"
                                              : "/DeviceCMYK";
    QPDFObjectHandle stream = pdf.newStream();
    stream.replaceDict(QPDFObjectHandle::parse(
        "<< /Type /XObject /Subtype /Image /BitsPerComponent 8 /ColorSpace " + std::string(space) +
        " /Width " + std::to_string(size.width) + " /Height " + std::to_string(size.height) +
        " >>"));
    stream.replaceStreamData(data, QPDFObjectHandle::parse(filter),
                             QPDFObjectHandle::parse(decodeParameters));
    return stream;
}

class ImageDecoderTest : public ::testing::TestWithParam<StoredAs> {};

// Our inflating and predictors give what qpdf's own decoding gives, at full
// size and, through the rows fed to the downsampler, at a smaller one.
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
    const ImageRecompressor::Source source = image->read();
    if (row.twist == StoredAs::rowMissing) {
        EXPECT_THROW(ImageDecoder::decode(source, size), std::exception);
        return;
    }
    const std::vector<std::uint8_t> expected = pixels(row.components);
    EXPECT_EQ(std::vector<std::uint8_t>(byQpdf.begin(), byQpdf.end()), expected);
    EXPECT_EQ(ImageDecoder::decode(source, size).samples, expected);
    const Dimensions smaller{size.width / 3, size.height / 2};
    EXPECT_EQ(ImageDecoder::decode(source, smaller).samples,
              Downsampler::downsample({size.width, size.height, row.components, expected},
                                      smaller.width, smaller.height)
                  .samples);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImageDecoderTest,
    ::testing::Values(StoredAs{"grayFlate", 1, 1}, StoredAs{"grayPng", 1, 12},
                      StoredAs{"rgbPng", 3, 15}, StoredAs{"cmykPng", 4, 10},
                      StoredAs{"grayTiff", 1, 2}, StoredAs{"rgbTiff", 3, 2},
                      StoredAs{"cmykTiff", 4, 2},
                      StoredAs{"checksumCutGoesToQpdf", 3, 15, StoredAs::checksumCut},
                      StoredAs{"hexOverFlateGoesToQpdf", 1, 11, StoredAs::hexOverFlate},
                      StoredAs{"rowMissing", 3, 15, StoredAs::rowMissing}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
