#pragma once

#include "InflateBudget.h"

#include <qpdf/QPDF.hh>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// GlyphUse: which character codes each font shows, found by following every
// content a reader paints: pages, the forms they paint at any depth, tiling
// patterns, soft mask groups, Type 3 glyph procedures, and the appearances
// and icons of annotations. A form shows text in the font it is painted
// with until it sets its own, so each form is followed once per font it
// starts with.
// ----------------------------------------------------------------------------
class GlyphUse {
public:
    // What content shows with one font dictionary.
    struct Shown {
        QPDFObjectHandle font;
        // Indexed by code: 256 entries for one-byte codes, 65536 for two.
        // Empty for a font whose codes this walk cannot split, or could not
        // read all of.
        std::vector<bool> codes;
    };

    struct Result {
        // Every font in the resources of painted content, by object, shown or not.
        std::map<QPDFObjGen, Shown> fonts;
        // Fonts that are direct objects, which cannot be told apart.
        std::vector<QPDFObjectHandle> anonymousFonts;
        // Why the walk stopped short, when it met damage or more work than it
        // allows; what it found is then not all there is.
        std::optional<std::string> incomplete = std::nullopt;
    };

    GlyphUse() = delete;

    // Content is read as it is inflated, each byte counted against `budget`,
    // whose refusal passes through; other damage leaves the result incomplete.
    static Result collect(QPDF& document, InflateBudget& budget);

    // How many bytes make one code of `font`: 1 for simple fonts, 2 for
    // composite fonts with the Identity-H or Identity-V encoding, 0 otherwise.
    static int codeBytes(QPDFObjectHandle font);
};

} // namespace zurbo::engine
