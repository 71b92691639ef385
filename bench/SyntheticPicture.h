#pragma once

#include <cstdint>
#include <vector>

namespace zurbo::bench {

// Pixels that treat JPEG the way real pictures do: smooth shading, soft-edged
// shapes, fine texture and sensor grain. Flat colour would flatter every
// encoder. The same arguments always give the same pixels.
class SyntheticPicture {
public:
    // A photograph with 1 (gray), 3 (RGB) or 4 (CMYK) interleaved components.
    static std::vector<std::uint8_t> photograph(int width, int height, int components,
                                                std::uint32_t seed);

    // A gray page scan: uneven paper, grain, and lines of dark text-like
    // strokes sized for `dpi`.
    static std::vector<std::uint8_t> scan(int width, int height, int dpi, std::uint32_t seed);
};

} // namespace zurbo::bench
