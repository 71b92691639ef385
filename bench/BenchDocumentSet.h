#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zurbo::bench {

// One picture on a page; pixel size follows from the shown size and `ppi`.
struct BenchImage {
    enum class Kind { photograph, scan };
    Kind kind = Kind::photograph;
    // 1 gray, 3 RGB, 4 CMYK; scans are always gray.
    int components = 3;
    // Stored as JPEG (DCTDecode, quality 92) rather than Flate-compressed pixels.
    bool jpeg = false;
    // Flate-compressed through PNG predictors, as PNG files store pictures.
    bool pngPredictor = false;
    // In an ICCBased colour space of its own (an sRGB profile), as each
    // placed copy of a picture brings its profile along.
    bool iccProfile = false;
    int ppi = 300;
    // Lower-left corner and shown size, in inches.
    double x = 1;
    double y = 1;
    double width = 4;
    double height = 3;
    std::uint32_t seed = 1;
};

// A US Letter page: lines of Helvetica text from the top, then pictures.
struct BenchPage {
    std::vector<std::string> lines;
    std::vector<BenchImage> images;
};

struct BenchDocument {
    std::string fileName;
    std::vector<BenchPage> pages;
};

// The benchmark's own photo documents: photographs at 300 to 600 ppi,
// lossless and JPEG, gray, RGB and CMYK, among text, a 300 dpi gray page
// scan, large PNG-style photographs at 800 ppi, and 200 copies of one page
// with a photograph.
class BenchDocumentSet {
public:
    static std::vector<BenchDocument> documents();

    // Lines of plain ASCII prose, the same for the same seed, so that text
    // extraction compares byte for byte.
    static std::vector<std::string> prose(int lineCount, std::uint32_t seed);

    // Writes `document` as a PDF at `file`.
    static void write(const BenchDocument& document, const std::filesystem::path& file);

    // Writes every document into `folder` (created if needed) and returns the
    // files written, reporting each on `progress`.
    static std::vector<std::filesystem::path> generate(const std::filesystem::path& folder,
                                                       std::ostream& progress);
};

} // namespace zurbo::bench
