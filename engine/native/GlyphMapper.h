#pragma once

#include "FontFace.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// GlyphMapper: the glyphs of a font program that its fonts show.
//
// Readers differ in how a simple font's character code finds its glyph: by
// glyph name, through one character map or another, by the code itself. The
// glyphs kept are those every such way could give, so that a subset shows the
// same glyphs in any reader. A composite font's CIDs go through its
// CIDToGIDMap or, in a CID-keyed CFF, through the font's own charset.
// ----------------------------------------------------------------------------
class GlyphMapper {
public:
    // A simple font's codes, each with the glyph names its encoding may give it.
    struct SimpleUse {
        std::vector<std::pair<unsigned char, std::vector<std::string>>> codes;
    };
    // A composite font's CIDs, and its CIDToGIDMap when that is a stream.
    struct CidUse {
        std::vector<unsigned> cids;
        std::optional<std::vector<unsigned>> cidToGlyph;
    };
    using Use = std::variant<SimpleUse, CidUse>;

    GlyphMapper() = delete;

    // The glyphs `uses` show in `face`, the missing glyph among them; nothing
    // when a TrueType or OpenType font is given a glyph name whose Unicode
    // value this engine does not know.
    static std::optional<std::set<unsigned>> glyphs(FontFace& face, const std::vector<Use>& uses);
};

} // namespace zurbo::engine
