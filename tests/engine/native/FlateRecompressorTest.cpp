#include "FlateRecompressor.h"

#include "Deflater.h"

#include <gtest/gtest.h>
#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>

#include <random>

namespace zurbo::engine {
namespace {

struct StoredStream {
    const char* name;
    std::string stored;
    std::string filter;
    std::string parameters;
    // What qpdf's general filters decode it to afterwards, when not what they
    // decode it to before.
    std::string plain;
    // What the stream's /Filter reads afterwards, and whether its bytes changed.
    std::string filterAfter;
    bool recompressed;

    friend void PrintTo(const StoredStream& row, std::ostream* out) { *out << row.name; }
};

std::string prose()
{
    std::string text;
    for (int i = 0; i < 400; ++i) {
        text += "BT /F1 11 Tf 72 " + std::to_string(700 - i) + " Td (linea " +
                std::to_string(i * 7 % 13) + ") Tj ET\n";
    }
    return text;
}

std::string noise(std::size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        text += {digits[byte >> 4], digits[byte & 15]};
    }
    return text + ">";
}

// Rows of 64 bytes behind PNG's "up" predictor: a predictor byte, then the
// difference from the row above.
std::string upRows()
{
    std::string rows;
    for (int row = 0; row < 64; ++row) {
        rows += '\2';
        rows += std::string(64, static_cast<char>(row == 0 ? 9 : row % 3));
    }
    return rows;
}

std::vector<StoredStream> rows()
{
    const std::string text = prose();
    const std::string jpegLike = "\xff\xd8\xff\xe0" + noise(300) + "\xff\xd9";
    return {{"uncompressed", text, "null", "null", "", "/FlateDecode", true},
            {"quicklyDeflated", Deflater(1).zlib(text), "/FlateDecode", "null", "", "/FlateDecode",
             true},
            {"deflatedBehindAPredictor", Deflater(1).zlib(upRows()), "/FlateDecode",
             "<< /Predictor 12 /Columns 64 >>", "", "/FlateDecode", true},
            {"jpegInAsciiHex", hex(jpegLike), "[ /ASCIIHexDecode /DCTDecode ]", "null", jpegLike,
             "[ /DCTDecode ]", true},
            {"alreadyAtItsSmallest", Deflater(12).zlib(noise(4000)), "/FlateDecode", "null", "",
             "/FlateDecode", false},
            {"parametersNotUnderstood", Deflater(1).zlib(text), "/FlateDecode", "<< /Zurbo 1 >>",
             "", "/FlateDecode", false}};
}

class FlateRecompressorTest : public ::testing::TestWithParam<StoredStream> {};

// Every stream decodes to what it held, and is stored smaller or as it was.
TEST_P(FlateRecompressorTest, StoresTheSameDataInFewerBytes)
{
    const StoredStream& row = GetParam();
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle stream = pdf.newStream();
    stream.replaceStreamData(row.stored, QPDFObjectHandle::parse(row.filter),
                             QPDFObjectHandle::parse(row.parameters));
    pdf.getRoot().replaceKey("/Zurbo", stream);
    const auto decoded = [&stream] {
        std::string data;
        Pl_String sink("decoded", nullptr, data);
        stream.pipeStreamData(&sink, nullptr, 0, qpdf_dl_generalized, true, false);
        return data;
    };
    const std::string plain = row.plain.empty() ? decoded() : row.plain;

    FlateRecompressor::apply(pdf);

    const auto raw = stream.getRawStreamData();
    const std::string stored(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
    EXPECT_EQ(stream.getDict().getKey("/Filter").unparse(), row.filterAfter);
    EXPECT_EQ(stored != row.stored, row.recompressed);
    EXPECT_LE(stored.size(), row.stored.size());
    EXPECT_EQ(decoded(), plain);
}

INSTANTIATE_TEST_SUITE_P(Streams, FlateRecompressorTest, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo::engine
