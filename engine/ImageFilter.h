#pragma once

#include "FilterDescription.h"
#include "StopToken.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ImageFilter: recompresses the images that pages paint.
//
// Each image is sized for the largest place it is shown, bounded by the
// largest image size, re-encoded as JPEG at the quality, and replaced only
// when the new stream is smaller. JPEG images that keep their size are not
// touched at all. Images are worked on in parallel; only the ones in flight
// have their pixels in memory.
// ----------------------------------------------------------------------------
class ImageFilter {
public:
    ImageFilter() = delete;

    // Rewrites in place the images of `pages` (page objects of one document).
    // An image that cannot be read or decoded is left as it is; never throws
    // for damaged input. Throws PDFEngine::Cancelled between two images once
    // `stop` is requested.
    static void apply(const std::vector<QPDFObjectHandle>& pages,
                      const FilterDescription::ImageSettings& settings, StopToken stop = {});
};

} // namespace zurbo::engine
