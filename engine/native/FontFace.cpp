#include "FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H

namespace zurbo::engine {

struct FontFace::Handles {
    std::string program;
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~Handles()
    {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
};

bool FontFace::CharacterMap::unicode() const
{
    return platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
}

std::unique_ptr<FontFace> FontFace::open(std::string program)
{
    auto handles = std::make_unique<Handles>();
    handles->program = std::move(program);
    if (FT_Init_FreeType(&handles->library) != 0 ||
        FT_New_Memory_Face(handles->library,
                           reinterpret_cast<const FT_Byte*>(handles->program.data()),
                           static_cast<FT_Long>(handles->program.size()), 0, &handles->face) != 0) {
        return nullptr;
    }
    return std::unique_ptr<FontFace>(new FontFace(std::move(handles)));
}

FontFace::FontFace(std::unique_ptr<Handles> handles) : m_handles(std::move(handles))
{
    const FT_Face face = m_handles->face;
    for (FT_Int i = 0; i < face->num_charmaps; ++i) {
        m_maps.push_back({face->charmaps[i]->platform_id, face->charmaps[i]->encoding_id});
    }
}

FontFace::~FontFace() = default;

unsigned FontFace::glyphCount() const
{
    return static_cast<unsigned>(m_handles->face->num_glyphs);
}

bool FontFace::isOpenType() const
{
    return FT_IS_SFNT(m_handles->face);
}

unsigned FontFace::glyphFor(std::size_t map, char32_t code)
{
    const FT_Face face = m_handles->face;
    if (map >= m_maps.size() || FT_Set_Charmap(face, face->charmaps[map]) != 0) {
        return 0;
    }
    return FT_Get_Char_Index(face, code);
}

std::optional<unsigned> FontFace::glyphNamed(const std::string& name)
{
    const FT_Face face = m_handles->face;
    if (!FT_HAS_GLYPH_NAMES(face)) {
        return std::nullopt;
    }
    const FT_UInt glyph = FT_Get_Name_Index(face, name.c_str());
    if (glyph == 0 && name != ".notdef") {
        return std::nullopt;
    }
    return glyph;
}

std::optional<std::vector<unsigned>> FontFace::glyphsByCid()
{
    const FT_Face face = m_handles->face;
    FT_Bool cidKeyed = 0;
    if (FT_Get_CID_Is_Internally_CID_Keyed(face, &cidKeyed) != 0 || !cidKeyed) {
        return std::nullopt;
    }
    std::vector<unsigned> glyphs;
    for (FT_UInt glyph = 0; glyph < glyphCount(); ++glyph) {
        FT_UInt cid = 0;
        if (FT_Get_CID_From_Glyph_Index(face, glyph, &cid) == 0 && cid <= 0xFFFF) {
            if (cid >= glyphs.size()) {
                glyphs.resize(cid + 1, 0);
            }
            glyphs[cid] = glyph;
        }
    }
    return glyphs;
}

} // namespace zurbo::engine
