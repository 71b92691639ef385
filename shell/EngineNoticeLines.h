#pragma once

#include "EngineNotice.h"

#include <filesystem>

namespace zurbo {

// What the native engine left as it was while compressing `source`, as lines
// on standard error ("zurbo.engine: FILE: reason: detail") when the
// environment asks for them with ZURBO_ENGINE_NOTICES=1; none otherwise. The
// command line has no Qt, so it cannot share the application's category.
EngineNotices engineNoticeLines(const std::filesystem::path& source);

} // namespace zurbo
