#pragma once

#include "ImagePlacement.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// DuplicateImages: one object for images stored more than once.
//
// Documents often carry the same picture as separate, identical streams (a
// logo on every page). Such images are folded into one object that every
// page then uses, so that it is recompressed and written once.
// ----------------------------------------------------------------------------
class DuplicateImages {
public:
    DuplicateImages() = delete;

    // Points the /XObject entries of `pages` (and of the forms and patterns
    // they use) at one object per set of identical image streams, and folds
    // the shown sizes of the others into it. Never throws for damaged input.
    static void merge(const std::vector<QPDFObjectHandle>& pages,
                      ImagePlacement::ShownSizes& sizes);
};

} // namespace zurbo::engine
