#include "FontPrograms.h"

#include "BoundedSink.h"
#include "GlyphUse.h"
#include "ReachableObjects.h"
#include "SimpleFontEncoding.h"

#include <set>

namespace zurbo::engine {

namespace {

using Format = FontPrograms::Format;
using Program = FontPrograms::Program;
using Programs = FontPrograms::Programs;

// Larger CIDToGIDMaps than 65536 glyphs need stay unread, their fonts whole.
constexpr std::size_t maximumMapBytes = 2 * 65536;

struct Embedding {
    QPDFObjectHandle stream;
    std::optional<Format> format;
    bool trueTypeFile;
    QPDFObjectHandle holder;
    QPDFObjectHandle descriptor;
};

bool isComposite(QPDFObjectHandle font)
{
    return font.getKey("/Subtype").isNameAndEquals("/Type0");
}

// The dictionary with the descriptor: a simple font itself, or a composite
// font's CIDFont.
QPDFObjectHandle holderOf(QPDFObjectHandle font)
{
    if (!isComposite(font)) {
        return font;
    }
    QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
    return descendants.isArray() && descendants.getArrayNItems() == 1 ? descendants.getArrayItem(0)
                                                                      : QPDFObjectHandle::newNull();
}

// The program a font embeds, unless it is a Type 1 program or none.
std::optional<Embedding> embeddingOf(QPDFObjectHandle font)
{
    QPDFObjectHandle holder = holderOf(font);
    QPDFObjectHandle descriptor =
        holder.isDictionary() ? holder.getKey("/FontDescriptor") : QPDFObjectHandle::newNull();
    if (!descriptor.isDictionary()) {
        return std::nullopt;
    }
    QPDFObjectHandle trueType = descriptor.getKey("/FontFile2");
    if (trueType.isStream()) {
        return Embedding{trueType, Format::openType, true, holder, descriptor};
    }
    QPDFObjectHandle other = descriptor.getKey("/FontFile3");
    if (!other.isStream()) {
        return std::nullopt;
    }
    QPDFObjectHandle subtype = other.getDict().getKey("/Subtype");
    std::optional<Format> format;
    if (subtype.isNameAndEquals("/OpenType")) {
        format = Format::openType;
    } else if (subtype.isNameAndEquals("/Type1C") || subtype.isNameAndEquals("/CIDFontType0C")) {
        format = Format::bareCff;
    }
    return Embedding{other, format, false, holder, descriptor};
}

std::optional<GlyphMapper::Use> cidUse(const GlyphUse::Shown& shown)
{
    QPDFObjectHandle cidFont = holderOf(shown.font);
    GlyphMapper::CidUse use;
    for (unsigned cid = 0; cid < shown.codes.size(); ++cid) {
        if (shown.codes[cid]) {
            use.cids.push_back(cid);
        }
    }
    QPDFObjectHandle subtype = cidFont.getKey("/Subtype");
    if (subtype.isNameAndEquals("/CIDFontType0")) {
        return use;
    }
    QPDFObjectHandle map = cidFont.getKey("/CIDToGIDMap");
    if (!subtype.isNameAndEquals("/CIDFontType2") ||
        !(map.isNull() || map.isNameAndEquals("/Identity") || map.isStream())) {
        return std::nullopt;
    }
    if (map.isStream()) {
        const auto bytes = BoundedSink::decoded(map, maximumMapBytes);
        if (!bytes) {
            return std::nullopt;
        }
        use.cidToGlyph.emplace();
        for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
            use.cidToGlyph->push_back(static_cast<unsigned char>((*bytes)[i]) * 256U +
                                      static_cast<unsigned char>((*bytes)[i + 1]));
        }
    }
    return use;
}

// How a font shows its program's glyphs, or nothing when that is not sure.
std::optional<GlyphMapper::Use> useOf(const GlyphUse::Shown& shown)
{
    if (shown.codes.empty()) {
        return std::nullopt;
    }
    if (isComposite(shown.font)) {
        return cidUse(shown);
    }
    QPDFObjectHandle font = shown.font;
    QPDFObjectHandle subtype = font.getKey("/Subtype");
    const auto names = SimpleFontEncoding::namesOf(font);
    if (!names || !(subtype.isNameAndEquals("/TrueType") || subtype.isNameAndEquals("/Type1") ||
                    subtype.isNameAndEquals("/MMType1"))) {
        return std::nullopt;
    }
    GlyphMapper::SimpleUse use;
    for (unsigned code = 0; code < 256; ++code) {
        if (shown.codes[code]) {
            use.codes.emplace_back(static_cast<unsigned char>(code), (*names)[code]);
        }
    }
    return use;
}

void keepWhole(Program& program, std::string why)
{
    if (!program.whole) {
        program.whole = std::move(why);
    }
}

Program& entry(Programs& programs, const Embedding& embedding)
{
    const auto [found, added] =
        programs.emplace(embedding.stream.getObjGen(),
                         Program{embedding.stream, embedding.format, embedding.trueTypeFile});
    Program& program = found->second;
    // One stream embedded as two kinds of program is a puzzle best left alone.
    if (!added &&
        (program.format != embedding.format || program.trueTypeFile != embedding.trueTypeFile)) {
        keepWhole(program, "embedded as two kinds of program");
    }
    return program;
}

void keepWhole(Programs& programs, QPDFObjectHandle font, const std::string& why)
{
    const auto embedding = font.isDictionary() ? embeddingOf(font) : std::nullopt;
    if (embedding) {
        keepWhole(entry(programs, *embedding), why);
    }
}

void addUse(Programs& programs, const GlyphUse::Shown& shown)
{
    const auto embedding = embeddingOf(shown.font);
    if (!embedding) {
        return;
    }
    Program& program = entry(programs, *embedding);
    const auto use = useOf(shown);
    if (!use) {
        keepWhole(program, "a font shows it with codes, an encoding or a CMap not known for sure");
        return;
    }
    program.simpleUser = program.simpleUser || std::holds_alternative<GlyphMapper::SimpleUse>(*use);
    program.uses.push_back(*use);
    program.fonts.push_back(shown.font);
    if (isComposite(shown.font)) {
        program.fonts.push_back(embedding->holder);
    }
    program.descriptors.push_back(embedding->descriptor);
}

bool isFont(QPDFObjectHandle object)
{
    static const std::set<std::string> subtypes{"/Type0", "/Type1", "/MMType1", "/TrueType",
                                                "/Type3"};
    // Sloppy producers leave out /Type; a descriptor or descendants tell too.
    QPDFObjectHandle subtype = object.getKey("/Subtype");
    return subtype.isName() && subtypes.count(subtype.getName()) &&
           (object.getKey("/Type").isNameAndEquals("/Font") || object.hasKey("/FontDescriptor") ||
            object.hasKey("/DescendantFonts"));
}

// Font dictionaries, direct ones included, held by `object` and the direct
// objects within it.
void fontsIn(QPDFObjectHandle object, std::vector<QPDFObjectHandle>& fonts, int depth)
{
    QPDFObjectHandle container = object.isStream() ? object.getDict() : object;
    if (container.isDictionary() && isFont(container)) {
        fonts.push_back(container);
    }
    if (depth == 0 || !(container.isDictionary() || container.isArray())) {
        return;
    }
    const std::vector<QPDFObjectHandle> items =
        container.isArray() ? container.getArrayAsVector() : std::vector<QPDFObjectHandle>{};
    for (QPDFObjectHandle item : items) {
        if (!item.isIndirect()) {
            fontsIn(item, fonts, depth - 1);
        }
    }
    if (container.isDictionary()) {
        for (auto [key, value] : container.ditems()) {
            if (!value.isIndirect()) {
                fontsIn(value, fonts, depth - 1);
            }
        }
    }
}

// Programs of the fonts that painted content does not reach, and of those of
// the forms' default resources, stay whole.
void keepUnwalkedWhole(Programs& programs, QPDF& document, const GlyphUse::Result& use)
{
    std::vector<QPDFObjectHandle> fonts;
    for (QPDFObjectHandle object : ReachableObjects::of(document)) {
        fontsIn(object, fonts, 6);
    }
    for (QPDFObjectHandle font : fonts) {
        if (!font.isIndirect() || !use.fonts.count(font.getObjGen())) {
            keepWhole(programs, font, "a font that painted content does not reach uses it");
        }
    }
    QPDFObjectHandle form = document.getRoot().getKey("/AcroForm");
    QPDFObjectHandle resources = form.isDictionary() ? form.getKey("/DR") : form;
    QPDFObjectHandle defaults = resources.isDictionary() ? resources.getKey("/Font") : resources;
    if (defaults.isDictionary()) {
        for (auto [name, font] : defaults.ditems()) {
            keepWhole(programs, font, "a form's default font, which a reader may type with");
        }
    }
}

} // namespace

FontPrograms::Programs FontPrograms::of(QPDF& document, InflateBudget& budget, Notices notices)
{
    const GlyphUse::Result use = GlyphUse::collect(document, budget);
    if (use.incomplete) {
        notices.report(EngineNotice::Reason::fontGlyphUseUncertain, QPDFObjectHandle::newNull(),
                       "every font program stays whole: " + *use.incomplete);
        return {};
    }
    Programs programs;
    for (const auto& [id, shown] : use.fonts) {
        addUse(programs, shown);
    }
    for (QPDFObjectHandle font : use.anonymousFonts) {
        keepWhole(programs, font, "a font that is not an object of its own uses it");
    }
    keepUnwalkedWhole(programs, document, use);
    return programs;
}

} // namespace zurbo::engine
