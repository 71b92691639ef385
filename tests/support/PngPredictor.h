#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurbo::bench {

// Rows of 8-bit pixels filtered the way PNG writers store photographs: each
// row led by its filter type (None, Sub, Up, Average or Paeth), picked per
// row by the smallest sum of residuals, as libpng does, or each in turn. The
// result is what a Flate stream with a PNG predictor holds before compression.
class PngPredictor {
public:
    enum class Choice { smallest, eachInTurn };

    static std::string encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                              int components, Choice choice = Choice::smallest);
};

} // namespace zurbo::bench
