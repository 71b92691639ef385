#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurbo::bench {

// Rows of 8-bit pixels filtered the way PNG writers store photographs: each
// row led by its filter type (None, Sub, Up, Average or Paeth), picked per
// row by the smallest sum of residuals, as libpng does. The result is what a
// Flate stream with /Predictor 15 holds before compression.
class PngPredictor {
public:
    static std::string encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                              int components);
};

} // namespace zurbo::bench
