#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zurbo::testing {

// A page rendered by pdftoppm: RGB, 8 bits, row after row.
struct RenderedPage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // Mean colour of the pixels in the rectangle given as fractions of the
    // page (0,0 top left), channel by channel.
    std::vector<double> meanColor(double left, double top, double right, double bottom) const;
};

// Page `page` (1-based) of `pdf` rendered at `dpi`; throws when pdftoppm fails.
RenderedPage renderPage(const std::filesystem::path& pdf, int page, int dpi);

} // namespace zurbo::testing
