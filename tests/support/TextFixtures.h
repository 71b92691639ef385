#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::testing {

// A font program embedded the way producers that do not subset embed it.
struct EmbeddedFont {
    enum class Kind {
        trueType,          // a simple WinAnsi font with a /FontFile2
        trueTypeComposite, // Identity-H over a CIDFontType2, glyph numbers as CIDs
        openType,          // a simple WinAnsi font with a /FontFile3 of /Subtype /OpenType
        bareCff            // a simple WinAnsi font with the OpenType font's CFF as /Type1C
    };
    Kind kind = Kind::trueType;
    std::filesystem::path file;
};

// Pages of plain ASCII text in one embedded font.
struct TextDocument {
    EmbeddedFont font;
    // One entry per page, its lines split at '\n'.
    std::vector<std::string> pages;
    // Gives every page a copy of its own of the font, program included.
    bool fontPerPage = false;
    // Adds a text field on the first page whose default appearance uses the font.
    bool formField = false;
    // Shows the text from a form XObject that uses the font the page set.
    bool inheritedByForm = false;
};

// Writes `document` as a PDF at `path`. Throws std::runtime_error when the
// font file cannot be read.
void writeTextPdf(const std::filesystem::path& path, const TextDocument& document);

// A font file Debian's font packages install under /usr/share/fonts
// ("DejaVuSans.ttf", "NimbusSans-Regular.otf"), or none.
std::optional<std::filesystem::path> systemFont(const std::string& fileName);

} // namespace zurbo::testing
