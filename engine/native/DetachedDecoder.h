#pragma once

#include <qpdf/Pipeline.hh>

#include <string>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// DetachedDecoder: qpdf undoing a stream's filters in a document of its own,
// so that a worker shares nothing with the source document's thread. The
// stored bytes are read where they lie, not copied.
// ----------------------------------------------------------------------------
class DetachedDecoder {
public:
    // How far qpdf got.
    enum class Outcome {
        // A filter it cannot undo, or data it gave up on.
        failed,
        // Decoded past damage it warned about, such as a missing checksum.
        repaired,
        // Decoded without a warning.
        exact,
    };

    DetachedDecoder() = delete;

    // Passes `stored`, with `filters` and `parameters` (a /Filter and a
    // /DecodeParms value as PDF text) undone, to `sink`; short of `exact`,
    // what it decoded so far has been passed on. Lets exceptions of `sink`
    // through.
    static Outcome decode(std::string_view stored, const std::string& filters,
                          const std::string& parameters, Pipeline& sink);
};

} // namespace zurbo::engine
