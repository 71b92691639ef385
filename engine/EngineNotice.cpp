#include "EngineNotice.h"

#include <array>

namespace zurbo {

const char* EngineNotice::name(Reason reason)
{
    static constexpr std::array<const char*, static_cast<int>(Reason::reasonCount)> names{
        "image unreadable",           "image kind not handled", "image undecodable",
        "image too large for budget", "image mask shared",      "image not replaced",
        "content unreadable",         "content past limit",     "font glyph use uncertain",
        "font undecodable",           "object not merged",      "stream undecodable",
        "structure damaged"};
    return names.at(static_cast<int>(reason));
}

} // namespace zurbo
