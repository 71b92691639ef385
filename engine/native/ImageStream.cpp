#include "ImageStream.h"

#include "LargeBuffer.h"

#include <qpdf/Pipeline.hh>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace zurbo::engine {

namespace {

constexpr long long maximumPixels = 400'000'000;

int componentsOf(QPDFObjectHandle space)
{
    if (space.isName()) {
        const std::string name = space.getName();
        return name == "/DeviceGray" ? 1 : name == "/DeviceRGB" ? 3 : name == "/DeviceCMYK" ? 4 : 0;
    }
    if (space.isArray() && space.getArrayNItems() == 2 &&
        space.getArrayItem(0).isNameAndEquals("/ICCBased") && space.getArrayItem(1).isStream()) {
        QPDFObjectHandle n = space.getArrayItem(1).getDict().getKey("/N");
        const int count = n.isInteger() ? n.getIntValueAsInt() : 0;
        return count == 1 || count == 3 ? count : 0;
    }
    return 0;
}

// Filters whose decoding is exact and that qpdf undoes.
bool isLosslessFilter(QPDFObjectHandle filter)
{
    static const std::set<std::string> names{"/FlateDecode",     "/Fl",  "/LZWDecode",      "/LZW",
                                             "/ASCII85Decode",   "/A85", "/ASCIIHexDecode", "/AHx",
                                             "/RunLengthDecode", "/RL"};
    return filter.isName() && names.count(filter.getName());
}

using Encoding = ImageRecompressor::Source::Encoding;
using PredictorKind = Predictor::Kind;

struct Coding {
    Encoding encoding;
    PredictorKind predictor = PredictorKind::none;
};

int integerOr(QPDFObjectHandle value, int fallback)
{
    return value.isNull() ? fallback : value.isInteger() ? value.getIntValueAsInt() : -1;
}

// The predictor of Flate parameters when it is one the engine undoes itself:
// 8-bit samples laid out as the image's own.
std::optional<PredictorKind> ownPredictor(QPDFObjectHandle parameters, Dimensions dimensions,
                                          int components)
{
    if (parameters.isNull()) {
        return PredictorKind::none;
    }
    if (!parameters.isDictionary()) {
        return std::nullopt;
    }
    const int predictor = integerOr(parameters.getKey("/Predictor"), 1);
    if (predictor == 1) {
        return PredictorKind::none;
    }
    const bool ownLayout = integerOr(parameters.getKey("/Colors"), 1) == components &&
                           integerOr(parameters.getKey("/BitsPerComponent"), 8) == 8 &&
                           integerOr(parameters.getKey("/Columns"), 1) == dimensions.width;
    if (ownLayout && predictor == 2) {
        return PredictorKind::tiff;
    }
    if (ownLayout && predictor >= 10 && predictor <= 15) {
        return PredictorKind::png;
    }
    return std::nullopt;
}

// How the worker gets at the pixels: a lone DCT filter by TurboJPEG, a lone
// Flate filter by libdeflate and our own predictors, other lossless chains
// by qpdf. Nothing for anything else.
std::optional<Coding> codingOf(QPDFObjectHandle dictionary, Dimensions dimensions, int components)
{
    QPDFObjectHandle filter = dictionary.getKey("/Filter");
    if (filter.isNull()) {
        return Coding{Encoding::samples};
    }
    std::vector<QPDFObjectHandle> filters =
        filter.isArray() ? filter.getArrayAsVector() : std::vector<QPDFObjectHandle>{filter};
    QPDFObjectHandle parameters = dictionary.getKey("/DecodeParms");
    if (filters.size() == 1 && parameters.isArray() && parameters.getArrayNItems() == 1) {
        parameters = parameters.getArrayItem(0);
    }
    const bool single = filters.size() == 1;
    if (single &&
        (filters[0].isNameAndEquals("/FlateDecode") || filters[0].isNameAndEquals("/Fl"))) {
        if (const auto predictor = ownPredictor(parameters, dimensions, components)) {
            return Coding{Encoding::flate, *predictor};
        }
    }
    if (single &&
        (filters[0].isNameAndEquals("/DCTDecode") || filters[0].isNameAndEquals("/DCT"))) {
        // An explicit colour transform is a JPEG that TurboJPEG may read differently.
        const bool plain = parameters.isNull() ||
                           (parameters.isDictionary() && !parameters.hasKey("/ColorTransform"));
        return plain ? std::optional<Coding>(Coding{Encoding::jpeg}) : std::nullopt;
    }
    return std::all_of(filters.begin(), filters.end(), isLosslessFilter)
               ? std::optional<Coding>(Coding{Encoding::qpdfFilters})
               : std::nullopt;
}

// A /Decode array maps samples linearly, which averaging and re-encoding
// preserve, so any well-formed one stays with the image.
bool decodeIsKept(QPDFObjectHandle decode, int components)
{
    if (decode.isNull()) {
        return true;
    }
    if (!decode.isArray() || decode.getArrayNItems() != 2 * components) {
        return false;
    }
    const auto items = decode.getArrayAsVector();
    return std::all_of(items.begin(), items.end(), [](QPDFObjectHandle n) { return n.isNumber(); });
}

bool isTrue(QPDFObjectHandle value)
{
    return value.isBool() && value.getBoolValue();
}

// A colour-key mask picks exact sample values, which lossy coding moves; a
// soft mask, when there is one, overrides it.
bool hasColourKeyMask(QPDFObjectHandle dictionary)
{
    return dictionary.getKey("/Mask").isArray() && !dictionary.getKey("/SMask").isStream();
}

int positiveInteger(QPDFObjectHandle value)
{
    return value.isInteger() && value.getIntValue() > 0 && value.getIntValue() <= 1'000'000
               ? value.getIntValueAsInt()
               : 0;
}

// Collects the stored bytes in a buffer of the length the dictionary gives,
// grown should the stream hold more.
class StoredBytesSink : public Pipeline {
public:
    explicit StoredBytesSink(std::size_t expected)
        : Pipeline("stored image", nullptr), m_bytes(std::max<std::size_t>(expected, 4096))
    {
    }

    void write(unsigned char const* data, size_t length) override
    {
        if (m_filled + length > m_bytes.size()) {
            LargeBuffer larger(std::max(2 * m_bytes.size(), m_filled + length));
            std::copy_n(m_bytes.data(), m_filled, larger.data());
            m_bytes = std::move(larger);
        }
        std::copy_n(data, length, m_bytes.data() + m_filled);
        m_filled += length;
    }

    void finish() override {}

    LargeBuffer take()
    {
        m_bytes.truncate(m_filled);
        return std::move(m_bytes);
    }

private:
    LargeBuffer m_bytes;
    std::size_t m_filled = 0;
};

} // namespace

ImageStream::ImageStream(QPDFObjectHandle object, Dimensions dimensions, int components,
                         Encoding encoding, Predictor::Kind predictor)
    : m_object(object), m_dimensions(dimensions), m_components(components), m_encoding(encoding),
      m_predictor(predictor)
{
}

std::optional<ImageStream> ImageStream::qualifying(QPDFObjectHandle image)
{
    if (!image.isStream()) {
        return std::nullopt;
    }
    QPDFObjectHandle dictionary = image.getDict();
    const Dimensions dimensions{positiveInteger(dictionary.getKey("/Width")),
                                positiveInteger(dictionary.getKey("/Height"))};
    const int components = componentsOf(dictionary.getKey("/ColorSpace"));
    const std::optional<Coding> coding = codingOf(dictionary, dimensions, components);
    QPDFObjectHandle bits = dictionary.getKey("/BitsPerComponent");
    const bool qualifies =
        dictionary.getKey("/Subtype").isNameAndEquals("/Image") && dimensions.width > 0 &&
        dimensions.height > 0 &&
        static_cast<long long>(dimensions.width) * dimensions.height <= maximumPixels &&
        components > 0 && coding && bits.isInteger() && bits.getIntValue() == 8 &&
        !isTrue(dictionary.getKey("/ImageMask")) && !hasColourKeyMask(dictionary) &&
        !dictionary.hasKey("/Matte") && decodeIsKept(dictionary.getKey("/Decode"), components);
    if (!qualifies) {
        return std::nullopt;
    }
    return ImageStream(image, dimensions, components, coding->encoding, coding->predictor);
}

std::optional<ImageStream> ImageStream::inspect(QPDFObjectHandle image)
{
    std::optional<ImageStream> stream = qualifying(image);
    if (!stream) {
        return std::nullopt;
    }
    QPDFObjectHandle mask = image.getDict().getKey("/SMask");
    if (mask.isNull()) {
        return stream;
    }
    std::optional<ImageStream> maskStream = qualifying(mask);
    if (!maskStream || maskStream->m_components != 1 || mask.getDict().hasKey("/SMask")) {
        return std::nullopt;
    }
    stream->m_softMask = std::make_shared<const ImageStream>(std::move(*maskStream));
    return stream;
}

std::size_t ImageStream::storedBytes() const
{
    QPDFObjectHandle length = m_object.getDict().getKey("/Length");
    return length.isInteger() && length.getIntValue() > 0
               ? static_cast<std::size_t>(length.getIntValue())
               : 0;
}

ImageRecompressor::Source ImageStream::read() const
{
    ImageRecompressor::Source source{m_encoding, {}, m_dimensions, m_components, m_predictor,
                                     {},         {}};
    // Only the stored bytes are read here; the worker decodes them.
    StoredBytesSink sink(std::min<std::size_t>(storedBytes(), maximumPixels));
    if (!m_object.pipeStreamData(&sink, nullptr, 0, qpdf_dl_none, true, false)) {
        throw std::runtime_error("image stream cannot be read");
    }
    source.data = sink.take();
    if (m_encoding == Encoding::flate || m_encoding == Encoding::qpdfFilters) {
        QPDFObjectHandle dictionary = m_object.getDict();
        source.filters = dictionary.getKey("/Filter").unparseResolved();
        source.decodeParameters = dictionary.getKey("/DecodeParms").unparseResolved();
    }
    return source;
}

void ImageStream::replace(const ImageRecompressor::Result& result) const
{
    m_object.replaceStreamData(result.jpeg, QPDFObjectHandle::newName("/DCTDecode"),
                               QPDFObjectHandle::newNull());
    QPDFObjectHandle dictionary = m_object.getDict();
    dictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(result.dimensions.width));
    dictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(result.dimensions.height));
    if (result.softMask && m_softMask) {
        const Raster& mask = *result.softMask;
        QPDFObjectHandle maskObject = m_softMask->m_object;
        // Left without a filter: the writer compresses it losslessly.
        maskObject.replaceStreamData(std::string(mask.samples.begin(), mask.samples.end()),
                                     QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        QPDFObjectHandle maskDictionary = maskObject.getDict();
        maskDictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(mask.width));
        maskDictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(mask.height));
    }
}

} // namespace zurbo::engine
