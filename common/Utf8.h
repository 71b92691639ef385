#pragma once

#include <cstddef>
#include <string_view>

namespace zurbo {

// Length of the well-formed UTF-8 sequence that starts at `at` in `bytes`
// (no overlongs, surrogates or values past U+10FFFF), or 0 when none does.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);

// Whether `bytes` is well-formed UTF-8 throughout.
bool isValidUtf8(std::string_view bytes);

} // namespace zurbo
