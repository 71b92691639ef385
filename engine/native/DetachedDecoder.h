#pragma once

#include <qpdf/Pipeline.hh>

#include <string>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// DetachedDecoder: qpdf undoing a stream's filters in a document of its own,
// so that a worker shares nothing with the source document's thread.
// ----------------------------------------------------------------------------
class DetachedDecoder {
public:
    DetachedDecoder() = delete;

    // Passes `stored`, with `filters` and `parameters` (a /Filter and a
    // /DecodeParms value as PDF text) undone, to `sink`. Returns false, having
    // passed on what it decoded so far, when qpdf cannot undo a filter or
    // meets damage; lets exceptions of `sink` through.
    static bool decode(const std::string& stored, const std::string& filters,
                       const std::string& parameters, Pipeline& sink);
};

} // namespace zurbo::engine
