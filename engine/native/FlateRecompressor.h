#pragma once

#include "Notices.h"
#include "StageTimes.h"
#include "StopToken.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// FlateRecompressor: the streams a document stores uncompressed, behind ASCII,
// LZW or run-length coding, or with a Flate its producer ran quickly, deflated
// again with libdeflate at its highest level.
//
// Only filters and parameters the engine understands entirely are undone; a
// Flate predictor stays, over the same bytes, and a JPEG or fax image only
// loses the ASCII or LZW wrapping around it. A stream keeps its stored bytes
// unless the new ones are smaller. Metadata stays uncompressed, for tools that
// look for it as text. The calling thread reads each stream's stored bytes;
// the workers decode and deflate.
// ----------------------------------------------------------------------------
class FlateRecompressor {
public:
    FlateRecompressor() = delete;

    // Recompresses the streams the document's trailer reaches. A stream that
    // cannot be read or decoded stays as it is, and is told to `notices`;
    // never throws for damaged input. Throws PDFEngine::Cancelled between two streams once `stop`
    // is requested. Adds its time to the deflate stage of `times` when given.
    static void apply(QPDF& document, StopToken stop = {}, StageTimes* times = nullptr,
                      Notices notices = {});
};

} // namespace zurbo::engine
