#pragma once

#include <optional>
#include <set>
#include <string>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FontSubsetter: a font program cut down to some of its glyphs by HarfBuzz's
// subsetter. Glyphs keep their numbers (the others become empty), so that
// what refers to glyphs by number, content streams and CIDToGIDMaps, stays
// right. Layout tables, which no PDF reader uses, go, and so do the device
// metrics (hdmx, VDMX, LTSH) rasterisers work out again.
// ----------------------------------------------------------------------------
class FontSubsetter {
public:
    // An OpenType or TrueType table directory, or the bare CFF that PDFs
    // embed as /Type1C and /CIDFontType0C.
    enum class Format { openType, bareCff };

    struct Request {
        Format format = Format::openType;
        std::set<unsigned> glyphs;
        // How many glyphs the program holds: a bare CFF does not say it where
        // HarfBuzz looks.
        unsigned glyphCount = 0;
        // Simple fonts find their glyphs through the character maps and
        // glyph names, which must then stay whole.
        bool keepLookups = false;
    };

    FontSubsetter() = delete;

    // The subset, in the program's own format, or nothing when HarfBuzz
    // cannot make one.
    static std::optional<std::string> subset(const std::string& program, const Request& request);
};

} // namespace zurbo::engine
