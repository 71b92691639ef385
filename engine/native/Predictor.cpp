#include "Predictor.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zurbo::engine {

namespace {

// Paeth's choice among left, up and upper left (p - left = up - upLeft, and
// so on), picked with masks: on noisy pictures the nearest changes from
// sample to sample, and a branch on it would be mispredicted half the time.
inline int paeth(int left, int up, int upLeft)
{
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    int upLeftNearer = -static_cast<int>(toUp > toUpLeft);
    int leftFarther = -static_cast<int>(toLeft > std::min(toUp, toUpLeft));
    // Hidden from the optimiser, which would turn the masks back into branches.
    asm("" : "+r"(upLeftNearer), "+r"(leftFarther));
    const int nearer = up ^ ((up ^ upLeft) & upLeftNearer);
    return left ^ ((left ^ nearer) & leftFarther);
}

#if defined(__SSE2__)
// A pixel of three or four samples as 16-bit lanes, and back. Three bytes
// go one by one: a copy through memory would stall on the store before it.
template <std::size_t pixelBytes> __m128i loadPixel(const unsigned char* p)
{
    std::uint32_t bytes = 0;
    if constexpr (pixelBytes == 4) {
        std::memcpy(&bytes, p, 4);
    } else {
        bytes = p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    }
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), _mm_setzero_si128());
}

template <std::size_t pixelBytes> void storePixel(unsigned char* p, __m128i lanes)
{
    const auto bytes =
        static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
    if constexpr (pixelBytes == 4) {
        std::memcpy(p, &bytes, 4);
    } else {
        p[0] = static_cast<unsigned char>(bytes);
        p[1] = static_cast<unsigned char>(bytes >> 8);
        p[2] = static_cast<unsigned char>(bytes >> 16);
    }
}

__m128i absolute(__m128i x)
{
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

__m128i select(__m128i mask, __m128i ifSet, __m128i otherwise)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

// Paeth on colour pixels: the samples of a pixel are independent, so all of
// them go at once in the lanes of one register, without a branch, and only
// the pixel to the left waits for the one before. Left of the first pixel
// counts as zero, which makes Paeth pick the sample above.
template <std::size_t pixelBytes>
void undoPaethOnLanes(unsigned char* s, const unsigned char* up, std::size_t count)
{
    __m128i left = _mm_setzero_si128();
    __m128i upLeft = _mm_setzero_si128();
    for (std::size_t i = 0; i < count; i += pixelBytes) {
        const __m128i above = loadPixel<pixelBytes>(up + i);
        const __m128i towardsLeft = _mm_sub_epi16(above, upLeft);
        const __m128i towardsAbove = _mm_sub_epi16(left, upLeft);
        const __m128i toUpLeft = absolute(_mm_add_epi16(towardsLeft, towardsAbove));
        const __m128i toLeft = absolute(towardsLeft);
        const __m128i toAbove = absolute(towardsAbove);
        const __m128i nearest = _mm_min_epi16(toLeft, _mm_min_epi16(toAbove, toUpLeft));
        // Ties go to left, then above.
        const __m128i predicted = select(_mm_cmpeq_epi16(nearest, toLeft), left,
                                         select(_mm_cmpeq_epi16(nearest, toAbove), above, upLeft));
        // Sums wrap at 256: add the bytes, not the lanes.
        left = _mm_and_si128(_mm_add_epi8(loadPixel<pixelBytes>(s + i), predicted),
                             _mm_set1_epi16(0xff));
        storePixel<pixelBytes>(s + i, left);
        upLeft = above;
    }
}
#endif

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
#if defined(__SSE2__)
        if constexpr (pixelBytes >= 3) {
            return undoPaethOnLanes<pixelBytes>(s, up, count);
        }
#endif
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
