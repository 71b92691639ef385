#include "FontSubsetter.h"

#include <hb-subset.h>

#include <memory>

namespace zurbo::engine {

namespace {

template <typename T, void (*destroy)(T*)> struct Destroyer {
    void operator()(T* object) const { destroy(object); }
};
using Blob = std::unique_ptr<hb_blob_t, Destroyer<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Destroyer<hb_face_t, hb_face_destroy>>;
using Input =
    std::unique_ptr<hb_subset_input_t, Destroyer<hb_subset_input_t, hb_subset_input_destroy>>;

void appendBigEndian(std::string& out, unsigned value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

// A bare CFF inside the least OpenType table directory HarfBuzz subsets: the
// CFF table and a maxp table with the glyph count.
std::string openTypeAround(const std::string& cff, unsigned glyphCount)
{
    std::string maxp;
    appendBigEndian(maxp, 0x00005000, 4);
    appendBigEndian(maxp, glyphCount, 2);
    std::string out;
    appendBigEndian(out, 0x4F54544F, 4); // 'OTTO'
    appendBigEndian(out, 2, 2);          // tables
    appendBigEndian(out, 32, 2);         // search range
    appendBigEndian(out, 1, 2);          // entry selector
    appendBigEndian(out, 0, 2);          // range shift
    const std::pair<const char*, const std::string*> tables[] = {{"CFF ", &cff}, {"maxp", &maxp}};
    std::size_t offset = 12 + 2 * 16;
    for (const auto& [tag, table] : tables) {
        out += tag;
        appendBigEndian(out, 0, 4); // checksum, which nothing reads
        appendBigEndian(out, static_cast<unsigned>(offset), 4);
        appendBigEndian(out, static_cast<unsigned>(table->size()), 4);
        offset += (table->size() + 3) / 4 * 4;
    }
    for (const auto& [tag, table] : tables) {
        out += *table;
        out.append((4 - table->size() % 4) % 4, '\0');
    }
    return out;
}

Input inputFor(const FontSubsetter::Request& request)
{
    Input input(hb_subset_input_create_or_fail());
    if (!input) {
        return nullptr;
    }
    hb_set_t* glyphs = hb_subset_input_set(input.get(), HB_SUBSET_SETS_GLYPH_INDEX);
    for (unsigned glyph : request.glyphs) {
        hb_set_add(glyphs, glyph);
    }
    // Layout tables, and the device metrics a rasteriser works out again.
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag :
         {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
          HB_TAG('B', 'A', 'S', 'E'), HB_TAG('J', 'S', 'T', 'F'), HB_TAG('M', 'A', 'T', 'H'),
          HB_TAG('V', 'D', 'M', 'X'), HB_TAG('h', 'd', 'm', 'x'), HB_TAG('L', 'T', 'S', 'H')}) {
        hb_set_add(dropped, tag);
    }
    unsigned flags = HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NOTDEF_OUTLINE |
                     HB_SUBSET_FLAGS_NO_PRUNE_UNICODE_RANGES;
    if (request.keepLookups) {
        flags |= HB_SUBSET_FLAGS_GLYPH_NAMES;
        hb_set_add(hb_subset_input_set(input.get(), HB_SUBSET_SETS_NO_SUBSET_TABLE_TAG),
                   HB_TAG('c', 'm', 'a', 'p'));
    } else {
        // Composite fonts reach glyphs by number only.
        hb_set_add(dropped, HB_TAG('c', 'm', 'a', 'p'));
    }
    hb_subset_input_set_flags(input.get(), flags);
    return input;
}

} // namespace

std::optional<std::string> FontSubsetter::subset(const std::string& program, const Request& request)
{
    const bool bare = request.format == Format::bareCff;
    const std::string whole = bare ? openTypeAround(program, request.glyphCount) : program;
    const Blob source(hb_blob_create(whole.data(), static_cast<unsigned>(whole.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    const Face face(hb_face_create(source.get(), 0));
    const Input input = inputFor(request);
    if (!input || hb_face_get_glyph_count(face.get()) == 0) {
        return std::nullopt;
    }
    const Face subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset) {
        return std::nullopt;
    }
    const Blob result(bare ? hb_face_reference_table(subset.get(), HB_TAG('C', 'F', 'F', ' '))
                           : hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(result.get(), &length);
    if (length == 0) {
        return std::nullopt;
    }
    return std::string(data, length);
}

} // namespace zurbo::engine
