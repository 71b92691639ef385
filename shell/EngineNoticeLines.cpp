#include "EngineNoticeLines.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zurbo {

EngineNotices engineNoticeLines(const std::filesystem::path& source)
{
    const char* wanted = std::getenv("ZURBO_ENGINE_NOTICES");
    if (wanted == nullptr || std::string(wanted) != "1") {
        return {};
    }
    return [source = source.string()](const EngineNotice& notice) {
        // One write per line, so that lines of files compressed at once do not mix.
        const std::string line = "zurbo.engine: " + source + ": " +
                                 EngineNotice::name(notice.reason) + ": " + notice.detail + "\n";
        std::fputs(line.c_str(), stderr);
    };
}

} // namespace zurbo
