#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FontFace: a font program as FreeType reads it (TrueType, OpenType or a bare
// CFF), for finding which glyph a reader takes for a character code, a glyph
// name or a CID. Its own FreeType library, so that faces on different
// threads share nothing.
// ----------------------------------------------------------------------------
class FontFace {
public:
    // A character map of the font: its platform and encoding numbers, as
    // TrueType numbers them ((3,1) Windows Unicode, (3,0) symbol, (1,0)
    // Macintosh Roman; FreeType gives a CFF's own encoding platform 7).
    struct CharacterMap {
        int platform = 0;
        int encoding = 0;
        bool unicode() const;
    };

    // The face, or nothing when FreeType refuses the program.
    static std::unique_ptr<FontFace> open(std::string program);
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace();

    unsigned glyphCount() const;
    // Whether the font holds an OpenType (sfnt) table directory.
    bool isOpenType() const;
    const std::vector<CharacterMap>& characterMaps() const { return m_maps; }

    // The glyph `map` (an index into characterMaps()) gives `code`; 0, the
    // missing glyph, when none.
    unsigned glyphFor(std::size_t map, char32_t code);
    // The glyph called `name`, when the font names its glyphs and has it.
    std::optional<unsigned> glyphNamed(const std::string& name);
    // For a CID-keyed CFF, the glyph of each CID that has one; nothing for
    // any other font.
    std::optional<std::vector<unsigned>> glyphsByCid();

private:
    struct Handles;
    explicit FontFace(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> m_handles;
    std::vector<CharacterMap> m_maps;
};

} // namespace zurbo::engine
