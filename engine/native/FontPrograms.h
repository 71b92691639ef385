#pragma once

#include "FontSubsetter.h"
#include "GlyphMapper.h"
#include "InflateBudget.h"
#include "Notices.h"

#include <qpdf/QPDF.hh>

#include <map>
#include <optional>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FontPrograms: the TrueType, OpenType and CFF programs a document embeds,
// each with every font that shows its glyphs and how.
//
// A program must stay whole when any font that uses it shows glyphs in a way
// that cannot be told for sure: a form's default resources (a reader may type
// new text with them), an encoding or CMap this engine does not know, a font
// dictionary that painted content does not reach, damaged content.
// ----------------------------------------------------------------------------
class FontPrograms {
public:
    using Format = FontSubsetter::Format;

    struct Program {
        QPDFObjectHandle stream;
        // None for a /FontFile3 of a kind HarfBuzz does not cut.
        std::optional<Format> format;
        // A /FontFile2, whose /Length1 gives its size.
        bool trueTypeFile = false;
        // Why the program must stay whole; none while it may be cut.
        std::optional<std::string> whole = std::nullopt;
        // Whether a simple font uses it, which finds glyphs by character map and name.
        bool simpleUser = false;
        std::vector<GlyphMapper::Use> uses = {};
        // What names the program: font dictionaries and their descriptors.
        std::vector<QPDFObjectHandle> fonts = {};
        std::vector<QPDFObjectHandle> descriptors = {};
    };
    using Programs = std::map<QPDFObjGen, Program>;

    FontPrograms() = delete;

    // By program stream. No program when the content cannot be followed to
    // the end, which is told to `notices`. Throws for objects too damaged to
    // read, and the refusal of `budget` when the content inflates past it.
    static Programs of(QPDF& document, InflateBudget& budget, Notices notices = {});
};

} // namespace zurbo::engine
