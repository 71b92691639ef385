#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zurbo {

// A byte count as users read it: kB, MB or GB only, decimal multiples of 1000,
// with `decimalSeparator` between the whole and the fraction digits
// ("1,2 MB", "845 kB", "3,45 GB"). Negative counts read as zero.
std::string byteCountText(std::int64_t bytes, std::string_view decimalSeparator = ".");

} // namespace zurbo
