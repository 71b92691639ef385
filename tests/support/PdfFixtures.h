#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::testing {

// One image painted on a fixture page, one inch off its lower-left corner.
struct FixtureImage {
    enum class ColorSpace { gray, rgb, cmyk, iccGray, iccRgb };

    int width = 600;
    int height = 400;
    ColorSpace colorSpace = ColorSpace::rgb;
    // Stored as baseline JPEG (DCTDecode) rather than Flate-compressed pixels.
    bool jpeg = false;
    // JPEG CMYK stored the Adobe way: inverted samples, /Decode [1 0 ...] turning them back.
    bool invertedCmyk = false;
    // Every pixel this colour (one value per component) instead of a photo.
    std::vector<int> solidColor = {};
    // Adds a DeviceGray soft mask of the same size.
    bool softMask = false;
    double shownWidthInches = 2.0;
    double shownHeightInches = 1.5;
};

struct FixturePage {
    double widthPoints = 612;
    double heightPoints = 792;
    std::string text = "Zurbo fixture page";
    std::vector<FixtureImage> images;
    // Paints the images through a form XObject that scales them by this factor.
    double formScale = 1;
};

struct FixtureDocument {
    std::vector<FixturePage> pages;
    // Document information entries without the slash: "Title", "Author", ...
    std::map<std::string, std::string> info;
    // Puts the first page's media box on the page tree, for the page to inherit.
    bool inheritFirstMediaBox = false;
    // Encrypts it with these passwords, printing forbidden, by the algorithm of
    // this revision: 4 (AES-128, keys from the /ID) or 6 (AES-256).
    struct Lock {
        std::string user;
        std::string owner;
        int revision = 6;
    };
    std::optional<Lock> lock;
};

// Writes `document` as a PDF at `path`. Image pixels are a smooth, photo-like
// pattern with a little noise, the same for the same size, so that encoders
// behave as on real pictures.
void writeFixturePdf(const std::filesystem::path& path, const FixtureDocument& document);

// `pages` pages of text and a photograph shown at 2 x 1.5 inches at 600 ppi:
// what every engine shrinks a lot.
FixtureDocument imageHeavyDocument(int pages = 1);

// A single page of text only: what no engine makes much smaller.
FixtureDocument textOnlyDocument();

} // namespace zurbo::testing
