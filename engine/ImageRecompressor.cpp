#include "ImageRecompressor.h"

#include "BoundedSink.h"
#include "Downsampler.h"
#include "TurboJpeg.h"

#include <qpdf/Pl_Flate.hh>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zurbo::engine {

namespace {

// length * numerator / denominator, rounded, in integers so that halves round
// the same way everywhere.
int proportion(int length, std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t scaled = (length * numerator + denominator / 2) / denominator;
    return std::clamp(static_cast<int>(scaled), 1, length);
}

Raster inflated(const ImageRecompressor::Source& source)
{
    Raster raster{source.dimensions.width, source.dimensions.height, source.components, {}};
    const std::size_t expected = raster.rowBytes() * static_cast<std::size_t>(raster.height);
    raster.samples.reserve(expected);
    BoundedSink sink(raster.samples, expected);
    Pl_Flate inflate("image data", &sink, Pl_Flate::a_inflate);
    inflate.write(reinterpret_cast<const unsigned char*>(source.data.data()), source.data.size());
    inflate.finish();
    if (raster.samples.size() != expected) {
        throw std::runtime_error("image data shorter than declared");
    }
    return raster;
}

Raster decodedPixels(const ImageRecompressor::Source& source, Dimensions target)
{
    using Encoding = ImageRecompressor::Source::Encoding;
    if (source.encoding == Encoding::samples) {
        return Downsampler::downsample(source.raster, target.width, target.height);
    }
    if (source.encoding == Encoding::flate) {
        return Downsampler::downsample(inflated(source), target.width, target.height);
    }
    TurboJpeg decoder = TurboJpeg::decompressor();
    const TurboJpeg::Header header = decoder.header(source.data);
    if (header.width != source.dimensions.width || header.height != source.dimensions.height ||
        header.components != source.components) {
        throw TurboJpeg::Error("JPEG frame differs from the image's declared size");
    }
    const Raster decoded =
        decoder.decode(source.data, source.components, target.width, target.height);
    return Downsampler::downsample(decoded, target.width, target.height);
}

} // namespace

Dimensions ImageRecompressor::targetDimensions(Dimensions pixels,
                                               const std::optional<ShownSize>& shown,
                                               const FilterDescription::ImageSettings& settings)
{
    const int longest = std::max(pixels.width, pixels.height);
    if (longest < settings.sizeMin) {
        return pixels;
    }
    Dimensions target = pixels;
    if (shown) {
        // Points are 1/72 inch.
        const auto atResolution = [&](int length, double points) {
            const double wanted = std::ceil(points / 72.0 * settings.resolution - 1e-6);
            return std::clamp(static_cast<int>(std::min<double>(wanted, length)), 1, length);
        };
        target = {atResolution(pixels.width, shown->width),
                  atResolution(pixels.height, shown->height)};
    }
    const int targetLongest = std::max(target.width, target.height);
    if (settings.sizeMax > 0 && targetLongest > settings.sizeMax) {
        target = {proportion(target.width, settings.sizeMax, targetLongest),
                  proportion(target.height, settings.sizeMax, targetLongest)};
    }
    return target;
}

int ImageRecompressor::jpegQuality(double compressionQuality)
{
    // The filter's scale is not libjpeg's: the balanced profile's 0.82 stands
    // for the quantisation a general-purpose PDF writer uses for photographs
    // (libjpeg 56), whose files look the same on screen at a third less size.
    constexpr double libjpegPerFilterUnit = 56 / 0.82;
    return std::clamp(static_cast<int>(std::lround(compressionQuality * libjpegPerFilterUnit)), 1,
                      100);
}

std::optional<ImageRecompressor::Result> ImageRecompressor::recompress(const Job& job)
{
    const Raster pixels = decodedPixels(job.image, job.target);
    std::string jpeg = TurboJpeg::compressor().encode(pixels, job.jpegQuality);
    if (jpeg.size() >= job.storedBytes) {
        return std::nullopt;
    }
    Result result{std::move(jpeg), job.target, std::nullopt};
    if (job.softMask) {
        const Dimensions& mask = job.softMask->dimensions;
        const Dimensions maskTarget{
            proportion(mask.width, job.target.width, job.image.dimensions.width),
            proportion(mask.height, job.target.height, job.image.dimensions.height)};
        result.softMask = decodedPixels(*job.softMask, maskTarget);
    }
    return result;
}

} // namespace zurbo::engine
