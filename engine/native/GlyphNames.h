#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// GlyphNames: the glyph names of the standard Latin encodings a simple font
// may name (StandardEncoding, WinAnsiEncoding, MacRomanEncoding) and the
// Unicode values readers give glyph names when they look glyphs up through
// a font's Unicode character map.
// ----------------------------------------------------------------------------
class GlyphNames {
public:
    enum class Encoding { standard, winAnsi, macRoman };

    GlyphNames() = delete;

    // The encoding a PDF names "/StandardEncoding", "/WinAnsiEncoding" or
    // "/MacRomanEncoding"; nothing for any other name.
    static std::optional<Encoding> named(const std::string& name);

    // The glyph name `encoding` gives `code`, or nothing for an unused code.
    static const char* at(Encoding encoding, unsigned char code);

    // The code `encoding` gives the glyph called `name`, when it has one.
    static std::optional<unsigned char> code(Encoding encoding, std::string_view name);

    // The Unicode value of a glyph name: the names of these encodings, and
    // the "uniXXXX" and "uXXXX" forms; nothing for any other name.
    static std::optional<char32_t> unicode(std::string_view name);
};

} // namespace zurbo::engine
