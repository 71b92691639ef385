#include "Downsampler.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zurbo::engine {

namespace {

// The source pixels one output pixel covers along an axis and how much of each.
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> spans(int sourceLength, int targetLength)
{
    const double step = static_cast<double>(sourceLength) / targetLength;
    std::vector<Span> result(static_cast<std::size_t>(targetLength));
    for (int i = 0; i < targetLength; ++i) {
        const double begin = i * step;
        const double end = std::min((i + 1) * step, static_cast<double>(sourceLength));
        Span& span = result[static_cast<std::size_t>(i)];
        span.first = static_cast<int>(begin);
        for (int s = span.first; s < end; ++s) {
            const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
            span.weights.push_back(static_cast<float>(covered / step));
        }
    }
    return result;
}

// Adds `weight` times the horizontally reduced `row` into `sums`.
void accumulateRow(const unsigned char* row, const std::vector<Span>& columns, int components,
                   float weight, std::vector<float>& sums)
{
    std::size_t out = 0;
    for (const Span& column : columns) {
        for (int c = 0; c < components; ++c) {
            float value = 0;
            const unsigned char* sample =
                row + static_cast<std::size_t>(column.first) * components + c;
            for (const float w : column.weights) {
                value += w * *sample;
                sample += components;
            }
            sums[out++] += weight * value;
        }
    }
}

} // namespace

Raster Downsampler::downsample(const Raster& source, int width, int height)
{
    if (width < 1 || height < 1 || width > source.width || height > source.height) {
        throw std::invalid_argument("downsampling to an invalid size");
    }
    if (width == source.width && height == source.height) {
        return source;
    }
    const std::vector<Span> columns = spans(source.width, width);
    const std::vector<Span> rows = spans(source.height, height);
    Raster target{width, height, source.components, {}};
    target.samples.resize(target.rowBytes() * static_cast<std::size_t>(height));
    std::vector<float> sums(target.rowBytes());
    unsigned char* out = target.samples.data();
    for (const Span& row : rows) {
        std::fill(sums.begin(), sums.end(), 0.0f);
        for (std::size_t r = 0; r < row.weights.size(); ++r) {
            const unsigned char* sourceRow =
                source.samples.data() +
                (static_cast<std::size_t>(row.first) + r) * source.rowBytes();
            accumulateRow(sourceRow, columns, source.components, row.weights[r], sums);
        }
        for (const float sum : sums) {
            *out++ = static_cast<unsigned char>(std::clamp(std::lround(sum), 0L, 255L));
        }
    }
    return target;
}

} // namespace zurbo::engine
