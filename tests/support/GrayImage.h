#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zurbo::bench {

// An 8-bit luma raster, row by row without padding.
struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Reads a binary PGM (P5, maxval 255) as pdftoppm -gray writes it.
    // Throws std::runtime_error for anything else.
    static GrayImage readPgm(const std::filesystem::path& path);
};

} // namespace zurbo::bench
