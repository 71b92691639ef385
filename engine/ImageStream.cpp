#include "ImageStream.h"

#include "BoundedSink.h"

#include <qpdf/Pipeline.hh>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace zurbo::engine {

namespace {

constexpr long long maximumPixels = 400'000'000;

class CountingSink : public Pipeline {
public:
    CountingSink() : Pipeline("stored bytes", nullptr) {}
    void write(unsigned char const*, size_t length) override { count += length; }
    void finish() override {}
    std::size_t count = 0;
};

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

// Filters whose decoding is exact and that qpdf undoes itself.
bool isLosslessFilter(QPDFObjectHandle filter)
{
    static const std::set<std::string> names{"/FlateDecode",     "/Fl",  "/LZWDecode",      "/LZW",
                                             "/ASCII85Decode",   "/A85", "/ASCIIHexDecode", "/AHx",
                                             "/RunLengthDecode", "/RL"};
    return filter.isName() && names.count(filter.getName());
}

using Encoding = ImageRecompressor::Source::Encoding;

// How the worker gets at the pixels: a lone Flate or DCT filter is undone
// there, other lossless chains by qpdf here. Nothing for anything else.
std::optional<Encoding> encodingOf(QPDFObjectHandle dictionary)
{
    QPDFObjectHandle filter = dictionary.getKey("/Filter");
    if (filter.isNull()) {
        return Encoding::samples;
    }
    std::vector<QPDFObjectHandle> filters =
        filter.isArray() ? filter.getArrayAsVector() : std::vector<QPDFObjectHandle>{filter};
    const bool single = filters.size() == 1;
    QPDFObjectHandle parameters = dictionary.getKey("/DecodeParms");
    if (single &&
        (filters[0].isNameAndEquals("/FlateDecode") || filters[0].isNameAndEquals("/Fl")) &&
        parameters.isNull()) {
        return Encoding::flate;
    }
    if (single &&
        (filters[0].isNameAndEquals("/DCTDecode") || filters[0].isNameAndEquals("/DCT"))) {
        // An explicit colour transform is a JPEG that TurboJPEG may read differently.
        const bool plain = parameters.isNull() ||
                           (parameters.isDictionary() && !parameters.hasKey("/ColorTransform"));
        return plain ? std::optional<Encoding>(Encoding::jpeg) : std::nullopt;
    }
    return std::all_of(filters.begin(), filters.end(), isLosslessFilter)
               ? std::optional<Encoding>(Encoding::samples)
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

} // namespace

ImageStream::ImageStream(QPDFObjectHandle object, Dimensions dimensions, int components,
                         Encoding encoding)
    : m_object(object), m_dimensions(dimensions), m_components(components), m_encoding(encoding)
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
    const std::optional<Encoding> encoding = encodingOf(dictionary);
    QPDFObjectHandle bits = dictionary.getKey("/BitsPerComponent");
    const bool qualifies =
        dictionary.getKey("/Subtype").isNameAndEquals("/Image") && dimensions.width > 0 &&
        dimensions.height > 0 &&
        static_cast<long long>(dimensions.width) * dimensions.height <= maximumPixels &&
        components > 0 && encoding && bits.isInteger() && bits.getIntValue() == 8 &&
        !isTrue(dictionary.getKey("/ImageMask")) && !hasColourKeyMask(dictionary) &&
        !dictionary.hasKey("/Matte") && decodeIsKept(dictionary.getKey("/Decode"), components);
    if (!qualifies) {
        return std::nullopt;
    }
    return ImageStream(image, dimensions, components, *encoding);
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

ImageRecompressor::Source ImageStream::read() const
{
    ImageRecompressor::Source source{m_encoding, {}, {}, m_dimensions, m_components};
    if (m_encoding != Encoding::samples) {
        // Decoded by the worker, away from the document.
        const auto data = m_object.getRawStreamData();
        source.data.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        return source;
    }
    Raster& raster = source.raster;
    raster = {m_dimensions.width, m_dimensions.height, m_components, {}};
    const std::size_t expected = raster.rowBytes() * static_cast<std::size_t>(raster.height);
    raster.samples.reserve(expected);
    BoundedSink sink(raster.samples, expected);
    bool filtered = false;
    const bool succeeded =
        m_object.pipeStreamData(&sink, &filtered, 0, qpdf_dl_specialized, true, false);
    if (!succeeded || !filtered || raster.samples.size() != expected) {
        throw std::runtime_error("image stream does not decode to its declared size");
    }
    return source;
}

std::size_t ImageStream::storedBytes() const
{
    CountingSink counter;
    m_object.pipeStreamData(&counter, nullptr, 0, qpdf_dl_none, true, false);
    return counter.count;
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
