#pragma once

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

    // In no particular order. An object that cannot be read leads nowhere.
    static std::vector<QPDFObjectHandle> of(QPDF& document);
};

} // namespace zurbo::engine
