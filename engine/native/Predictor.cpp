#include "Predictor.h"

#include <cstdlib>
#include <stdexcept>

namespace zurbo::engine {

namespace {

// Paeth's choice among left, up and upper left, in the form that compiles
// to conditional moves: p - left = up - upLeft, and so on.
inline int paeth(int left, int up, int upLeft)
{
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    const int nearer = toUp <= toUpLeft ? up : upLeft;
    return toLeft <= toUp && toLeft <= toUpLeft ? left : nearer;
}

// One PNG row of `count` samples after its filter type, `pixelBytes` samples
// a pixel: a compile-time constant, so that the loops unroll per pixel.
template <std::size_t pixelBytes>
void undoPng(unsigned char filter, unsigned char* s, const unsigned char* up, std::size_t count)
{
    switch (filter) {
    case 0:
        return;
    case 1:
        for (std::size_t i = pixelBytes; i < count; ++i) {
            s[i] = static_cast<unsigned char>(s[i] + s[i - pixelBytes]);
        }
        return;
    case 2:
        for (std::size_t i = 0; i < count; ++i) {
            s[i] = static_cast<unsigned char>(s[i] + up[i]);
        }
        return;
    case 3:
        for (std::size_t i = 0; i < pixelBytes; ++i) {
            s[i] = static_cast<unsigned char>(s[i] + up[i] / 2);
        }
        for (std::size_t i = pixelBytes; i < count; ++i) {
            s[i] = static_cast<unsigned char>(s[i] + (s[i - pixelBytes] + up[i]) / 2);
        }
        return;
    case 4:
        // With nothing to the left, Paeth picks the sample above.
        for (std::size_t i = 0; i < pixelBytes; ++i) {
            s[i] = static_cast<unsigned char>(s[i] + up[i]);
        }
        for (std::size_t i = pixelBytes; i < count; ++i) {
            s[i] = static_cast<unsigned char>(s[i] +
                                              paeth(s[i - pixelBytes], up[i], up[i - pixelBytes]));
        }
        return;
    }
    throw std::runtime_error("unknown PNG filter type");
}

template <std::size_t pixelBytes> void undoTiff(unsigned char* s, std::size_t count)
{
    for (std::size_t i = pixelBytes; i < count; ++i) {
        s[i] = static_cast<unsigned char>(s[i] + s[i - pixelBytes]);
    }
}

template <std::size_t pixelBytes>
void undoRow(Predictor::Kind kind, unsigned char* row, const unsigned char* up, std::size_t count)
{
    if (kind == Predictor::Kind::png) {
        undoPng<pixelBytes>(row[0], row + 1, up, count);
    } else if (kind == Predictor::Kind::tiff) {
        undoTiff<pixelBytes>(row, count);
    }
}

} // namespace

Predictor::Predictor(Kind kind, int components, int width)
    : m_kind(kind), m_pixelBytes(static_cast<std::size_t>(components)),
      m_rowSamples(static_cast<std::size_t>(width) * m_pixelBytes),
      m_sampleOffset(kind == Kind::png ? 1 : 0), m_zeros(kind == Kind::png ? m_rowSamples : 0)
{
    if (components != 1 && components != 3 && components != 4) {
        throw std::invalid_argument("predictor for an unsupported number of components");
    }
}

void Predictor::undo(unsigned char* row, const unsigned char* previous) const
{
    const unsigned char* up = previous ? previous : m_zeros.data();
    switch (m_pixelBytes) {
    case 1:
        return undoRow<1>(m_kind, row, up, m_rowSamples);
    case 3:
        return undoRow<3>(m_kind, row, up, m_rowSamples);
    default:
        return undoRow<4>(m_kind, row, up, m_rowSamples);
    }
}

} // namespace zurbo::engine
