#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

namespace zurbo::bench {

// Small PDFs that would take a careless engine far past any memory bound:
// a content stream of two Flate layers that inflates to 2 GB of spaces, a
// content stream of 30 million `q` operators, and four 20000 x 20000 RGB
// images in a few megabytes. Each page also paints a small image, so that an
// engine that looks for images has to read the content.
class HostileDocuments {
public:
    // Writes the documents into `folder` (created if needed) and returns the
    // files written, reporting each on `progress`. Takes some seconds of CPU:
    // gigabytes are deflated on the way.
    static std::vector<std::filesystem::path> generate(const std::filesystem::path& folder,
                                                       std::ostream& progress);
};

} // namespace zurbo::bench
