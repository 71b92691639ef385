#pragma once

#include "Notices.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ReaderStructures: what of a document a reader uses besides the pages'
// content: outlines, named destinations, page labels, annotations (links,
// notes, highlights, form widgets), the interactive form with its values,
// embedded files, optional content with its default visibility, the
// structure tree and language of a tagged PDF, viewer preferences and the
// XMP metadata. The native engine keeps these; the rest of the catalogue,
// other applications' private data, goes.
// ----------------------------------------------------------------------------
class ReaderStructures {
public:
    ReaderStructures() = delete;

    // Trims the catalogue and the pages of `document` to what a reader uses,
    // without the XMP metadata when `cleanMetadata` is set. A kept structure
    // that refers to a damaged object (one that does not parse, or a stream
    // whose data cannot be read) is dropped on its own, as is a damaged
    // annotation; each damaged object is told to `notices`. Never throws for
    // damaged input.
    static void keep(QPDF& document, bool cleanMetadata, Notices notices = {});
};

} // namespace zurbo::engine
