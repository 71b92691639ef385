#pragma once

#include "ContentTokenizer.h"
#include "InflateBudget.h"

#include <qpdf/QPDFObjectHandle.hh>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ContentOperators: the operators of a page's or a form's content, read as
// its streams are inflated. Neither the content nor its operators are kept,
// so what a scan holds is bounded however long the content is.
// ----------------------------------------------------------------------------
class ContentOperators {
public:
    using Operand = ContentTokenizer::Operand;
    using Operands = ContentTokenizer::Operands;
    using Visitor = ContentTokenizer::Visitor;

    ContentOperators() = delete;

    // Calls `visit` for each operator of `pageOrForm` (a page, whose content
    // streams are read in order, or a form or pattern stream), in order; inline
    // image data is skipped. Each inflated byte is counted against `budget`,
    // whose refusal passes through, as does whatever `visit` throws. Throws
    // std::runtime_error for content that does not decode; what was visited
    // before it stands. `visit` must not read the document: qpdf reads a
    // stream in pieces from where the file stands, so an object resolved or
    // a stream read in between would feed the rest of the content from
    // elsewhere. What it looks up is read before the scan, or after.
    static void scan(QPDFObjectHandle pageOrForm, InflateBudget& budget, const Visitor& visit);
};

} // namespace zurbo::engine
