#pragma once

#include <cstddef>
#include <string>

namespace zurbo::engine {

// The message a failed tool leaves: its standard error decoded as UTF-8, cut at
// line feeds with empty lines dropped, the last `keptLines` lines joined by one
// space. Text that is not valid UTF-8 gives the empty message.
std::string summarizeStandardError(const std::string& standardError, std::size_t keptLines);

// Whether `bytes` is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool isValidUtf8(const std::string& bytes);

} // namespace zurbo::engine
