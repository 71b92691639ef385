#pragma once

#include "ImageRecompressor.h"

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
// ----------------------------------------------------------------------------
class ImagePlacement {
public:
    // For each image painted, by object: the largest width and height at
    // which it is shown, or nothing when one of its uses has no known size.
    using ShownSizes = std::map<QPDFObjGen, std::optional<ShownSize>>;

    ImagePlacement() = delete;

    // Content that cannot be parsed ends the walk of that stream but not of
    // the others. Never throws for damaged content.
    static ShownSizes find(const std::vector<QPDFObjectHandle>& pages);
};

} // namespace zurbo::engine
