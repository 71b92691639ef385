#pragma once

#include "FilterDescription.h"
#include "InflateBudget.h"
#include "Notices.h"
#include "StageTimes.h"
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
// touched at all. The calling thread only reads each image's stored bytes;
// decoding, downsampling and encoding run on a worker per processor, and
// only the images in flight have their pixels in memory.
// ----------------------------------------------------------------------------
class ImageFilter {
public:
    ImageFilter() = delete;

    // Rewrites in place the images of `pages` (page objects of one document).
    // An image that cannot be read or decoded is left as it is, and told to
    // `notices`; never throws for damaged input, but throws the refusal of
    // `budget` when the content inflates past it. Throws PDFEngine::Cancelled
    // between two images once `stop` is requested. Adds the time of each
    // stage to `times` when given.
    static void apply(const std::vector<QPDFObjectHandle>& pages,
                      const FilterDescription::ImageSettings& settings, InflateBudget& budget,
                      StopToken stop = {}, StageTimes* times = nullptr, Notices notices = {});
};

} // namespace zurbo::engine
