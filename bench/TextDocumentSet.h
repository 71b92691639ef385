#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

namespace zurbo::bench {

// The benchmark's text documents: twelve pages of prose in a font embedded
// whole, as producers that do not subset write it (TrueType simple and
// composite, OpenType CFF, bare CFF, the same font again on every page), and,
// when LibreOffice is installed, documents it writes with its own subsets of
// DejaVu and Liberation fonts. Fonts a machine lacks are skipped with a note.
class TextDocumentSet {
public:
    // Writes the documents into `folder` (created if needed) and returns the
    // files written, reporting each, and each one skipped, on `progress`.
    static std::vector<std::filesystem::path> generate(const std::filesystem::path& folder,
                                                       std::ostream& progress);
};

} // namespace zurbo::bench
