#pragma once

#include <cstddef>
#include <string>

namespace zurbo::engine {

// The message a failed tool leaves: its standard error decoded as UTF-8, cut at
// line feeds with empty lines dropped, the last `keptLines` lines joined by one
// space. Text that is not valid UTF-8 gives the empty message.
std::string summarizeStandardError(const std::string& standardError, std::size_t keptLines);

} // namespace zurbo::engine
