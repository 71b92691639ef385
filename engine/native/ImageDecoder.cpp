#include "ImageDecoder.h"

#include "DetachedDecoder.h"
#include "Downsampler.h"
#include "Inflater.h"
#include "LargeBuffer.h"
#include "TurboJpeg.h"

#include <qpdf/Pipeline.hh>

#include <algorithm>
#include <stdexcept>

namespace zurbo::engine {

namespace {

using Source = ImageRecompressor::Source;
using Stage = StageTimes::Stage;

// Rows are undone and downsampled in bands of about this size, small enough
// to be still in the cache when the downsampler reads them.
constexpr std::size_t bandBytes = 256 * 1024;

std::size_t rowBytes(const Source& source)
{
    return static_cast<std::size_t>(source.dimensions.width) * source.components;
}

// Hands whole rows of samples to a downsampler as qpdf decodes them.
class RowPipeline : public Pipeline {
public:
    RowPipeline(Downsampler& rows, std::size_t rowBytes)
        : Pipeline("image rows", nullptr), m_rows(rows), m_row(rowBytes)
    {
    }

    // Throws std::length_error once more rows arrive than the image has.
    void write(unsigned char const* data, size_t length) override
    {
        while (length > 0) {
            const std::size_t taken = std::min(length, m_row.size() - m_filled);
            std::copy(data, data + taken, m_row.begin() + static_cast<std::ptrdiff_t>(m_filled));
            m_filled += taken;
            data += taken;
            length -= taken;
            if (m_filled == m_row.size()) {
                m_rows.addRow(m_row.data());
                m_filled = 0;
            }
        }
    }

    void finish() override
    {
        if (m_filled != 0) {
            throw std::length_error("image data ends within a row");
        }
    }

private:
    Downsampler& m_rows;
    std::vector<unsigned char> m_row;
    std::size_t m_filled = 0;
};

// Decoding and downsampling interleave here; both count as inflating. Data
// qpdf repairs, as zlib forgives a missing checksum, still counts.
Raster decodeWithQpdf(const Source& source, Dimensions target, StageTimes* times)
{
    const StageTimes::Timer timer(times, Stage::inflate);
    Downsampler rows(source.dimensions, source.components, target);
    RowPipeline sink(rows, rowBytes(source));
    if (DetachedDecoder::decode(source.data.view(), source.filters, source.decodeParameters,
                                sink) == DetachedDecoder::Outcome::failed) {
        throw std::runtime_error("image data does not decode");
    }
    return rows.result();
}

Raster decodeFlate(Source& source, Dimensions target, StageTimes* times)
{
    if (source.inBands) {
        return decodeWithQpdf(source, target, times);
    }
    const Predictor predictor(source.predictor, source.components, source.dimensions.width);
    const std::size_t stride = predictor.storedRowBytes();
    const auto height = static_cast<std::size_t>(source.dimensions.height);
    // Not zeroed: the inflater fills every byte or the data is refused.
    const LargeBuffer stored(stride * height);
    bool inflated = false;
    {
        const StageTimes::Timer timer(times, Stage::inflate);
        inflated = Inflater().inflate(source.data.view(), stored.data(), stored.size());
    }
    if (!inflated) {
        // zlib forgives what libdeflate does not: a missing checksum, which
        // libdeflate may read as the end of a short stream. Data of really
        // the wrong size, qpdf refuses too.
        return decodeWithQpdf(source, target, times);
    }
    source.data = {};
    Downsampler rows(source.dimensions, source.components, target);
    const std::size_t bandRows = std::max<std::size_t>(1, bandBytes / stride);
    for (std::size_t first = 0; first < height; first += bandRows) {
        const std::size_t end = std::min(height, first + bandRows);
        {
            const StageTimes::Timer timer(times, Stage::inflate);
            for (std::size_t y = first; y < end; ++y) {
                unsigned char* row = stored.data() + y * stride;
                predictor.undo(row, y > 0 ? row - stride + predictor.sampleOffset() : nullptr);
            }
        }
        const StageTimes::Timer timer(times, Stage::downsample);
        for (std::size_t y = first; y < end; ++y) {
            rows.addRow(stored.data() + y * stride + predictor.sampleOffset());
        }
    }
    return rows.result();
}

// A progressive JPEG's decoder holds the coefficients of the whole frame,
// whatever the scale; a JPEG whose frame cannot be found counts as one.
bool isProgressive(std::string_view jpeg)
{
    const auto byte = [&jpeg](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    std::size_t i = 2;
    while (i + 4 <= jpeg.size() && byte(i) == 0xFF) {
        const unsigned char marker = byte(i + 1);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        i += marker == 0xFF ? 1 : 2 + (std::size_t{byte(i + 2)} << 8 | byte(i + 3));
    }
    return true;
}

Raster decodeJpeg(const Source& source, Dimensions target, StageTimes* times)
{
    Raster decoded;
    {
        const StageTimes::Timer timer(times, Stage::jpegDecode);
        TurboJpeg decoder = TurboJpeg::decompressor();
        const TurboJpeg::Header header = decoder.header(source.data.view());
        if (header.width != source.dimensions.width || header.height != source.dimensions.height ||
            header.components != source.components) {
            throw TurboJpeg::Error("JPEG frame differs from the image's declared size");
        }
        decoded =
            decoder.decode(source.data.view(), source.components, target.width, target.height);
    }
    if (decoded.width == target.width && decoded.height == target.height) {
        return decoded;
    }
    const StageTimes::Timer timer(times, Stage::downsample);
    return Downsampler::downsample(decoded, target.width, target.height);
}

Raster downsampleSamples(const Source& source, Dimensions target, StageTimes* times)
{
    const std::size_t stride = rowBytes(source);
    if (source.data.size() != stride * static_cast<std::size_t>(source.dimensions.height)) {
        throw std::runtime_error("image data differs from its declared size");
    }
    const StageTimes::Timer timer(times, Stage::downsample);
    Downsampler rows(source.dimensions, source.components, target);
    const unsigned char* samples = source.data.data();
    for (int y = 0; y < source.dimensions.height; ++y) {
        rows.addRow(samples + static_cast<std::size_t>(y) * stride);
    }
    return rows.result();
}

} // namespace

std::size_t ImageDecoder::memoryNeeded(const Source& source, Dimensions target)
{
    const auto components = static_cast<std::size_t>(source.components);
    const auto pixels = [components](Dimensions size) {
        return static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) *
               components;
    };
    // The downsampler's sums of two rows and its spans, and the result.
    std::size_t bytes = 6 * sizeof(float) * rowBytes(source) + pixels(target);
    switch (source.encoding) {
    case Source::Encoding::jpeg:
        bytes += pixels(TurboJpeg::decodedSize(source.dimensions, target.width, target.height));
        return bytes + (isProgressive(source.data.view()) ? 2 * pixels(source.dimensions) : 0);
    case Source::Encoding::flate:
        if (!source.inBands) {
            const Predictor predictor(source.predictor, source.components, source.dimensions.width);
            return bytes +
                   LargeBuffer::footprint(predictor.storedRowBytes() *
                                          static_cast<std::size_t>(source.dimensions.height));
        }
        [[fallthrough]];
    case Source::Encoding::qpdfFilters:
        // qpdf's scratch document, zlib's window and buffers, a row or two.
        return bytes + (std::size_t{1} << 20) + 2 * rowBytes(source);
    case Source::Encoding::samples:
        break;
    }
    return bytes;
}

Raster ImageDecoder::decode(Source source, Dimensions target, StageTimes* times)
{
    switch (source.encoding) {
    case Source::Encoding::jpeg:
        return decodeJpeg(source, target, times);
    case Source::Encoding::flate:
        return decodeFlate(source, target, times);
    case Source::Encoding::qpdfFilters:
        return decodeWithQpdf(source, target, times);
    case Source::Encoding::samples:
        break;
    }
    return downsampleSamples(source, target, times);
}

} // namespace zurbo::engine
