#pragma once

#include <functional>
#include <string>

namespace zurbo {

// ----------------------------------------------------------------------------
// EngineNotice: something the native engine left as it was, or dropped, and
// why, so that whoever wonders why an image kept its size can find out.
//
// Damage and limits are noticed; the engine's ordinary judgement is not: an
// image or stream whose new data would be no smaller, a JPEG already at its
// size, a Type 1 font program, all keep their data without a notice.
// ----------------------------------------------------------------------------
struct EngineNotice {
    enum class Reason {
        // The image's dictionary or stored data cannot be read.
        imageUnreadable,
        // An image of a kind the engine does not recompress: not 8 bits per
        // sample, a filter, colour space or mask it does not undo, too many pixels.
        imageKindNotHandled,
        // Its samples do not decode, or do not encode again.
        imageUndecodable,
        // Decoding it, even in bands, would not fit the memory budget.
        imageTooLargeForBudget,
        // Other images share its soft mask, which cannot follow each one's size.
        imageMaskShared,
        // Its new data could not be written into the document.
        imageNotReplaced,
        // Content that cannot be read to its end: the images painted after the
        // damage are not found, those before it keep what was read.
        contentUnreadable,
        // Content painting more than is kept: its images' shown size is unknown.
        contentPastLimit,
        // A font program stays whole: which glyphs are shown cannot be told for sure.
        fontGlyphUseUncertain,
        // A font program stays whole: it cannot be read, opened or cut.
        fontUndecodable,
        // Objects that cannot be read keep their own copies of what they share.
        objectNotMerged,
        // A stream that cannot be read or decoded keeps its stored bytes.
        streamUndecodable,
        // A damaged object is dropped (a link, an annotation, a catalogue
        // entry), or leads nowhere.
        structureDamaged,
        reasonCount
    };

    Reason reason;
    // For a maintainer, in English: the object ("12 0 R") and what failed.
    std::string detail;

    // A short English name for logs and reports: "image undecodable", ...
    static const char* name(Reason reason);
};

// Receives a run's notices one at a time, on the thread that called the
// engine, never on its workers, while the run goes on. Must not throw.
using EngineNotices = std::function<void(const EngineNotice&)>;

} // namespace zurbo
