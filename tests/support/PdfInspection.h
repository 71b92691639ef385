#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zurbo::testing {

// An image XObject as a PDF stores it.
struct StoredImage {
    int width = 0;
    int height = 0;
    // The /Filter name without the slash, or "" when unfiltered or a list.
    std::string filter;
    // The stream data as stored (still encoded).
    std::string storedData;
    // The data with general-purpose filters (Flate, LZW, ...) undone.
    std::string decodedData;
    bool hasSoftMask = false;
    int objectNumber = 0;
};

// What a test reads back from a written PDF, through libqpdf.
class PdfInspection {
public:
    explicit PdfInspection(const std::filesystem::path& pdf);
    ~PdfInspection();
    PdfInspection(const PdfInspection&) = delete;
    PdfInspection& operator=(const PdfInspection&) = delete;

    std::size_t pageCount() const;
    // Each page's media box as the page tree gives it (inherited included).
    std::vector<std::array<double, 4>> mediaBoxes() const;
    // The document information entries, keys without the slash.
    std::map<std::string, std::string> information() const;
    // Image XObjects named in a page's resources, by name, painted directly or
    // through form XObjects.
    std::map<std::string, StoredImage> pageImages(std::size_t pageIndex) const;
    // Whether the document catalogue has `key` (with its slash).
    bool catalogHas(const std::string& key) const;

private:
    struct Members;
    std::unique_ptr<Members> m;
};

} // namespace zurbo::testing
