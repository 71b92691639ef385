#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// SimpleFontEncoding: the glyph names a simple font's /Encoding may give each
// of its codes. Without a base encoding, readers differ in which standard
// encoding they assume, so all three give names; a /Differences entry adds
// its own. A font's built-in encoding is its program's business, not this.
// ----------------------------------------------------------------------------
class SimpleFontEncoding {
public:
    using Names = std::array<std::vector<std::string>, 256>;

    SimpleFontEncoding() = delete;

    // The names by code, or nothing when the encoding is not one of the
    // standard Latin ones (with or without differences) or is malformed.
    static std::optional<Names> namesOf(QPDFObjectHandle font);
};

} // namespace zurbo::engine
