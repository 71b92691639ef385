#pragma once

#include "InflateBudget.h"
#include "Notices.h"
#include "StageTimes.h"
#include "StopToken.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FontSubsets: embedded TrueType, OpenType and CFF programs cut down to the
// glyphs the document shows with them.
//
// Glyphs keep their numbers, so no content changes; widths, encodings,
// ToUnicode maps and names stay, the names gaining a subset tag where they
// had none. A program stays whole when any font that uses it shows glyphs in
// a way that cannot be told for sure: a form's default resources (a reader
// may type new text with them), an encoding or CMap this engine does not
// know, a font dictionary that painted content does not reach, damaged
// content. Type 1 programs stay as they are. The calling thread walks the
// content and reads the programs; the workers map codes to glyphs and cut.
// ----------------------------------------------------------------------------
class FontSubsets {
public:
    FontSubsets() = delete;

    // A program left whole for damage or uncertainty is told to `notices`.
    // Never throws for damaged input; throws the refusal of `budget` when the
    // content inflates past it. Throws PDFEngine::Cancelled between two
    // programs once `stop` is requested. Adds its time to the fonts stage of
    // `times` when given.
    static void apply(QPDF& document, InflateBudget& budget, StopToken stop = {},
                      StageTimes* times = nullptr, Notices notices = {});
};

} // namespace zurbo::engine
