#pragma once

#include <QString>

#include <filesystem>

namespace zurbo {

// ----------------------------------------------------------------------------
// The application's own faces, registered for this process and reachable by
// their PostScript names: "SinkRegular" (display), "RobotoCondensed-Regular"
// and "RobotoCondensed-Bold".
// ----------------------------------------------------------------------------
class BundledFonts {
public:
    // Registers Sink.ttf, RobotoCondensed-Regular.ttf and RobotoCondensed-Bold.ttf
    // from `resourceDirectory`/Fonts, in that order, and makes each PostScript
    // name a substitute for the family the file holds. A missing or broken
    // file leaves its name unresolved and the others unaffected.
    static void registerFrom(const std::filesystem::path& resourceDirectory);

    // The same from the application's resource folder; nothing without one.
    static void registerBundledFonts();
};

} // namespace zurbo
