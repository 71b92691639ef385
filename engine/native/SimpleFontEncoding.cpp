#include "SimpleFontEncoding.h"

#include "GlyphNames.h"

namespace zurbo::engine {

namespace {

using Encoding = GlyphNames::Encoding;

std::optional<std::vector<Encoding>> bases(QPDFObjectHandle name)
{
    if (name.isNull()) {
        return std::vector{Encoding::standard, Encoding::winAnsi, Encoding::macRoman};
    }
    const auto named = name.isName() ? GlyphNames::named(name.getName()) : std::nullopt;
    if (!named) {
        return std::nullopt;
    }
    return std::vector{*named};
}

// Adds the names of a /Differences array; false when it is malformed.
bool addDifferences(QPDFObjectHandle differences, SimpleFontEncoding::Names& names)
{
    if (differences.isNull()) {
        return true;
    }
    if (!differences.isArray()) {
        return false;
    }
    long long code = -1;
    for (QPDFObjectHandle item : differences.aitems()) {
        if (item.isInteger()) {
            code = item.getIntValue();
        } else if (item.isName() && code >= 0) {
            if (code < 256) {
                names[static_cast<std::size_t>(code)].push_back(item.getName().substr(1));
            }
            ++code;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<SimpleFontEncoding::Names> SimpleFontEncoding::namesOf(QPDFObjectHandle font)
{
    QPDFObjectHandle encoding = font.getKey("/Encoding");
    const bool dictionary = encoding.isDictionary();
    if (!dictionary && !encoding.isNull() && !encoding.isName()) {
        return std::nullopt;
    }
    const auto encodings = bases(dictionary ? encoding.getKey("/BaseEncoding") : encoding);
    Names names;
    if (!encodings || (dictionary && !addDifferences(encoding.getKey("/Differences"), names))) {
        return std::nullopt;
    }
    for (unsigned code = 0; code < 256; ++code) {
        for (Encoding base : *encodings) {
            if (const char* name = GlyphNames::at(base, static_cast<unsigned char>(code))) {
                names[code].emplace_back(name);
            }
        }
    }
    return names;
}

} // namespace zurbo::engine
