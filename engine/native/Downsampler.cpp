#include "Downsampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace zurbo::engine {

namespace {

using Span = Downsampler::Span;

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

Downsampler::Columns flatten(const std::vector<Span>& spans)
{
    Downsampler::Columns columns;
    for (const Span& span : spans) {
        columns.first.push_back(span.first);
        columns.count.push_back(static_cast<int>(span.weights.size()));
        columns.weights.insert(columns.weights.end(), span.weights.begin(), span.weights.end());
    }
    return columns;
}

// Each output pixel of a row: the weighted sum of the column sums it covers, rounded.
template <int components>
void narrow(const float* sums, const Downsampler::Columns& columns, unsigned char* out)
{
    const float* weight = columns.weights.data();
    for (std::size_t x = 0; x < columns.first.size(); ++x) {
        const float* sample = sums + static_cast<std::size_t>(columns.first[x]) * components;
        float pixel[components] = {};
        for (int n = columns.count[x]; n > 0; --n, ++weight, sample += components) {
            for (int c = 0; c < components; ++c) {
                pixel[c] += *weight * sample[c];
            }
        }
        for (int c = 0; c < components; ++c) {
            // Sums of non-negative samples: adding a half rounds them.
            *out++ = static_cast<unsigned char>(std::min(pixel[c] + 0.5f, 255.0f));
        }
    }
}

} // namespace

Downsampler::Downsampler(Dimensions source, int components, Dimensions target)
    : m_source(source), m_result{target.width, target.height, components, {}}
{
    if (target.width < 1 || target.height < 1 || target.width > source.width ||
        target.height > source.height || (components != 1 && components != 3 && components != 4)) {
        throw std::invalid_argument("downsampling to an invalid size");
    }
    m_columns = flatten(spans(source.width, target.width));
    m_rows = spans(source.height, target.height);
    m_result.samples.resize(m_result.rowBytes() * static_cast<std::size_t>(target.height));
    const std::size_t sourceRowBytes = static_cast<std::size_t>(source.width) * components;
    m_sums[0].assign(sourceRowBytes, 0.0f);
    m_sums[1].assign(sourceRowBytes, 0.0f);
}

void Downsampler::finishRow(int outputRow)
{
    std::vector<float>& sums = m_sums[outputRow % 2];
    unsigned char* out = m_result.samples.data() + outputRow * m_result.rowBytes();
    switch (m_result.components) {
    case 1:
        narrow<1>(sums.data(), m_columns, out);
        break;
    case 3:
        narrow<3>(sums.data(), m_columns, out);
        break;
    default:
        narrow<4>(sums.data(), m_columns, out);
    }
    std::fill(sums.begin(), sums.end(), 0.0f);
}

void Downsampler::addRow(const unsigned char* row)
{
    if (m_rowsAdded >= m_source.height) {
        throw std::length_error("more rows than the image has");
    }
    const int y = m_rowsAdded++;
    if (m_result.width == m_source.width && m_result.height == m_source.height) {
        std::memcpy(m_result.samples.data() + y * m_result.rowBytes(), row, m_result.rowBytes());
        return;
    }
    for (int i = m_openRow; i < m_result.height && m_rows[i].first <= y; ++i) {
        const Span& span = m_rows[i];
        const auto r = static_cast<std::size_t>(y - span.first);
        const float weight = span.weights[r];
        float* sums = m_sums[i % 2].data();
        const std::size_t count = m_sums[i % 2].size();
        for (std::size_t k = 0; k < count; ++k) {
            sums[k] += weight * row[k];
        }
        if (r + 1 == span.weights.size()) {
            finishRow(i);
            m_openRow = i + 1;
        }
    }
}

Raster Downsampler::result()
{
    if (m_rowsAdded != m_source.height) {
        throw std::length_error("image rows missing");
    }
    return std::move(m_result);
}

Raster Downsampler::downsample(const Raster& source, int width, int height)
{
    if (width == source.width && height == source.height) {
        return source;
    }
    Downsampler downsampler({source.width, source.height}, source.components, {width, height});
    for (int y = 0; y < source.height; ++y) {
        downsampler.addRow(source.samples.data() + y * source.rowBytes());
    }
    return downsampler.result();
}

} // namespace zurbo::engine
