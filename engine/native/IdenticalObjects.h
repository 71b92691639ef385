#pragma once

#include "Notices.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// IdenticalObjects: one object for what a document stores more than once.
//
// Documents often carry the same thing as separate objects: a logo on every
// page, one ICC profile per image, a font embedded again for each page or
// each imported figure. Objects are compared by content, their references
// resolved the same way, so that two images with distinct but identical
// colour spaces are the same image. What the pages' resources, contents and
// annotation appearances reach takes part; objects whose identity means
// something (pages, annotations, optional content groups, anything in a
// tree with a /Parent) keep it, as do objects in reference cycles.
// ----------------------------------------------------------------------------
class IdenticalObjects {
public:
    // Soft masks and masks of images stay apart in a pass before the images
    // are recompressed, which leaves alone images that share a mask.
    enum class Masks { apart, merged };

    IdenticalObjects() = delete;

    // Points every reference to a duplicate at the one object kept for its
    // set. Never throws for damaged input: what cannot be read keeps its
    // identity, and is told to `notices`.
    static void merge(QPDF& document, Masks masks, Notices notices = {});
};

} // namespace zurbo::engine
