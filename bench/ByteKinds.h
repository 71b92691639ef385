#pragma once

#include <cstdint>
#include <filesystem>

namespace zurbo::bench {

// Where a PDF's bytes go: the stored data of its font programs (and Type 3
// glyph procedures), of page contents and forms, of images (masks included),
// and everything else (ToUnicode maps, ICC profiles, functions, dictionaries,
// object streams, cross-reference).
struct ByteKinds {
    std::int64_t fonts = 0;
    std::int64_t content = 0;
    std::int64_t images = 0;
    std::int64_t other = 0;

    // Throws std::exception when `pdf` cannot be read.
    static ByteKinds of(const std::filesystem::path& pdf);

    std::int64_t total() const { return fonts + content + images + other; }
    ByteKinds& operator+=(const ByteKinds& more);
};

} // namespace zurbo::bench
