#pragma once

#include "ImageRecompressor.h"
#include "InflateBudget.h"
#include "Notices.h"

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <optional>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ImagePlacement: where the pages paint their image XObjects.
//
// Follows the content streams of the pages and of the form XObjects they
// paint, at any depth, tracking the transformation matrix (cm, q/Q, the
// forms' /Matrix). Cycles of forms are cut. Images painted from tiling
// patterns are found too, but their shown size is unknown.
//
// Each content stream is read once, as it is inflated; what is kept of it is
// where it paints XObjects, and only up to a bound: content that paints more
// than that, or nests q deeper than any real page, has the shown size of its
// images counted as unknown.
// ----------------------------------------------------------------------------
class ImagePlacement {
public:
    // For each image painted, by object: the largest width and height at
    // which it is shown, or nothing when one of its uses has no known size.
    using ShownSizes = std::map<QPDFObjGen, std::optional<ShownSize>>;

    ImagePlacement() = delete;

    // Content that cannot be parsed ends the walk of that stream but not of
    // the others, and is told to `notices`, as is content past the bound.
    // Never throws for damaged content; throws the refusal of `budget` when
    // the content inflates past it.
    static ShownSizes find(const std::vector<QPDFObjectHandle>& pages, InflateBudget& budget,
                           Notices notices = {});
};

} // namespace zurbo::engine
