#include "ImageRecompressor.h"

#include "ImageDecoder.h"
#include "PDFEngine.h"
#include "TurboJpeg.h"

#include <algorithm>
#include <cmath>

namespace zurbo::engine {

namespace {

// length * numerator / denominator, rounded, in integers so that halves round
// the same way everywhere.
int proportion(int length, std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t scaled = (length * numerator + denominator / 2) / denominator;
    return std::clamp(static_cast<int>(scaled), 1, length);
}

// The soft mask follows the image to its new size.
Dimensions maskTarget(const ImageRecompressor::Job& job)
{
    const Dimensions& mask = job.softMask->dimensions;
    const Dimensions& image = job.image.dimensions;
    return {proportion(mask.width, job.target.width, image.width),
            proportion(mask.height, job.target.height, image.height)};
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

std::size_t ImageRecompressor::memoryNeeded(const Job& job)
{
    // The encoder's output buffer and the result copied from it.
    const std::size_t encoded = 2 * static_cast<std::size_t>(job.target.width) *
                                static_cast<std::size_t>(job.target.height) *
                                static_cast<std::size_t>(job.image.components);
    std::size_t bytes =
        job.image.data.size() + encoded + ImageDecoder::memoryNeeded(job.image, job.target);
    if (job.softMask) {
        bytes +=
            job.softMask->data.size() + ImageDecoder::memoryNeeded(*job.softMask, maskTarget(job));
    }
    return bytes;
}

std::optional<ImageRecompressor::Result> ImageRecompressor::recompress(Job job, StopToken stop,
                                                                       StageTimes* times)
{
    const std::size_t storedBytes = job.image.data.size();
    const Dimensions maskSize = job.softMask ? maskTarget(job) : Dimensions{};
    const Raster pixels = ImageDecoder::decode(std::move(job.image), job.target, times);
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
    std::string jpeg;
    {
        const StageTimes::Timer timer(times, StageTimes::encode);
        jpeg = TurboJpeg::compressor().encode(pixels, job.jpegQuality);
    }
    if (jpeg.size() >= storedBytes) {
        return std::nullopt;
    }
    Result result{std::move(jpeg), job.target, std::nullopt};
    if (job.softMask) {
        result.softMask = ImageDecoder::decode(std::move(*job.softMask), maskSize, times);
    }
    return result;
}

} // namespace zurbo::engine
