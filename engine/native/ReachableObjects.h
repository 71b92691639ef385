#pragma once

#include "Notices.h"

#include <qpdf/QPDF.hh>

#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ReachableObjects: the indirect objects a writer would write, those the
// trailer reaches; unlike QPDF::getAllObjects, not the ones that merging or
// replacing left behind.
// ----------------------------------------------------------------------------
class ReachableObjects {
public:
    ReachableObjects() = delete;

    // In no particular order. An object that cannot be read leads nowhere,
    // which is told to `notices`.
    static std::vector<QPDFObjectHandle> of(QPDF& document, Notices notices = {});
};

} // namespace zurbo::engine
