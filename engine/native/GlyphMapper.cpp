#include "GlyphMapper.h"

#include "GlyphNames.h"

namespace zurbo::engine {

namespace {

class Collector {
public:
    explicit Collector(FontFace& face) : m_face(face) { add(0); }

    std::set<unsigned> glyphs;

    // Returns false when the glyph cannot be told for sure.
    bool simple(unsigned char code, const std::vector<std::string>& names)
    {
        std::vector<char32_t> unicodes;
        bool allResolved = true;
        for (const std::string& name : names) {
            if (const auto glyph = m_face.glyphNamed(name)) {
                add(*glyph);
            }
            if (const auto value = GlyphNames::unicode(name)) {
                unicodes.push_back(*value);
            } else {
                allResolved = false;
            }
        }
        bool found = false;
        const auto& maps = m_face.characterMaps();
        for (std::size_t map = 0; map < maps.size(); ++map) {
            for (char32_t key : keys(maps[map], code, names, unicodes)) {
                const unsigned glyph = m_face.glyphFor(map, key);
                found = found || glyph != 0;
                add(glyph);
            }
        }
        if (!found && m_face.isOpenType()) {
            // Readers take the code for the glyph when no map has it.
            add(code);
        }
        // Readers turn glyph names into Unicode values, or into glyph numbers
        // ("g12", "glyph12"), to look them up in a TrueType or OpenType font;
        // a bare CFF has only its own names.
        return allResolved || !m_face.isOpenType();
    }

    void cids(const GlyphMapper::CidUse& use)
    {
        if (use.cidToGlyph) {
            for (unsigned cid : use.cids) {
                add(cid < use.cidToGlyph->size() ? (*use.cidToGlyph)[cid] : 0);
            }
            return;
        }
        if (!m_charset) {
            m_charset = m_face.glyphsByCid();
            if (!m_charset) {
                m_charset.emplace();
                m_identity = true;
            }
        }
        for (unsigned cid : use.cids) {
            add(m_identity ? cid : cid < m_charset->size() ? (*m_charset)[cid] : 0);
        }
    }

private:
    // What a reader may look a code up by in one character map.
    static std::vector<char32_t> keys(const FontFace::CharacterMap& map, unsigned char code,
                                      const std::vector<std::string>& names,
                                      const std::vector<char32_t>& unicodes)
    {
        std::vector<char32_t> keys{code};
        if (map.unicode()) {
            keys.insert(keys.end(), unicodes.begin(), unicodes.end());
            keys.push_back(0xF000 + code);
        } else if (map.platform == 3 && map.encoding == 0) {
            keys.insert(keys.end(), {0xF000U + code, 0xF100U + code, 0xF200U + code});
        } else if (map.platform == 1 && map.encoding == 0) {
            for (const std::string& name : names) {
                if (const auto mac = GlyphNames::code(GlyphNames::Encoding::macRoman, name)) {
                    keys.push_back(*mac);
                }
            }
        }
        return keys;
    }

    void add(unsigned glyph)
    {
        if (glyph < m_face.glyphCount()) {
            glyphs.insert(glyph);
        }
    }

    FontFace& m_face;
    std::optional<std::vector<unsigned>> m_charset;
    bool m_identity = false;
};

} // namespace

std::optional<std::set<unsigned>> GlyphMapper::glyphs(FontFace& face, const std::vector<Use>& uses)
{
    Collector collector(face);
    for (const Use& use : uses) {
        if (const auto* cidUse = std::get_if<CidUse>(&use)) {
            collector.cids(*cidUse);
            continue;
        }
        for (const auto& [code, names] : std::get<SimpleUse>(use).codes) {
            if (!collector.simple(code, names)) {
                return std::nullopt;
            }
        }
    }
    return std::move(collector.glyphs);
}

} // namespace zurbo::engine
