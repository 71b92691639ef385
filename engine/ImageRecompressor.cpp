#include "ImageRecompressor.h"

#include "Downsampler.h"
#include "TurboJpeg.h"

#include <algorithm>
#include <cmath>

namespace zurbo::engine {

namespace {

int scaledLength(int length, double factor)
{
    return std::clamp(static_cast<int>(std::lround(length * factor)), 1, length);
}

Raster decodedPixels(const ImageRecompressor::Source& source, Dimensions target)
{
    if (source.jpeg.empty()) {
        return Downsampler::downsample(source.raster, target.width, target.height);
    }
    TurboJpeg decoder = TurboJpeg::decompressor();
    const TurboJpeg::Header header = decoder.header(source.jpeg);
    if (header.width != source.dimensions.width || header.height != source.dimensions.height ||
        header.components != source.components) {
        throw TurboJpeg::Error("JPEG frame differs from the image's declared size");
    }
    const Raster decoded =
        decoder.decode(source.jpeg, source.components, target.width, target.height);
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
        const double factor = static_cast<double>(settings.sizeMax) / targetLongest;
        target = {scaledLength(target.width, factor), scaledLength(target.height, factor)};
    }
    return target;
}

std::optional<ImageRecompressor::Result> ImageRecompressor::recompress(const Job& job)
{
    const Raster pixels = decodedPixels(job.image, job.target);
    std::string jpeg = TurboJpeg::compressor().encode(pixels, job.quality);
    if (jpeg.size() >= job.storedBytes) {
        return std::nullopt;
    }
    Result result{std::move(jpeg), job.target, std::nullopt};
    if (job.softMask) {
        const double factor = static_cast<double>(job.target.width) / job.image.dimensions.width;
        const double factorY = static_cast<double>(job.target.height) / job.image.dimensions.height;
        const Dimensions maskTarget{scaledLength(job.softMask->dimensions.width, factor),
                                    scaledLength(job.softMask->dimensions.height, factorY)};
        result.softMask = decodedPixels(*job.softMask, maskTarget);
    }
    return result;
}

} // namespace zurbo::engine
