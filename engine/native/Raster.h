#pragma once

#include <cstddef>
#include <vector>

namespace zurbo::engine {

// Pixel dimensions of an image.
struct Dimensions {
    int width = 0;
    int height = 0;
    friend bool operator==(const Dimensions&, const Dimensions&) = default;
};

// Eight-bit pixels, row after row, `components` interleaved samples each.
struct Raster {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> samples;

    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * components; }
};

} // namespace zurbo::engine
