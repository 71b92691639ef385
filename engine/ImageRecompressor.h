#pragma once

#include "FilterDescription.h"
#include "Raster.h"

#include <optional>
#include <string>

namespace zurbo::engine {

// Pixel dimensions of an image.
struct Dimensions {
    int width = 0;
    int height = 0;
    friend bool operator==(const Dimensions&, const Dimensions&) = default;
};

// The largest size, in points, at which a page shows an image.
struct ShownSize {
    double width = 0;
    double height = 0;
};

// ----------------------------------------------------------------------------
// ImageRecompressor: decodes, downsamples and re-encodes one image, away
// from the PDF library so that several can run at once.
// ----------------------------------------------------------------------------
class ImageRecompressor {
public:
    // One image's pixels as the document stores them: a JPEG or plain Flate
    // data still encoded, or samples the document decoded.
    struct Source {
        enum class Encoding { jpeg, flate, samples };
        Encoding encoding = Encoding::samples;
        std::string data;
        Raster raster;
        Dimensions dimensions;
        int components = 0;
    };

    struct Job {
        Source image;
        // A soft mask, downsampled with the image and kept lossless.
        std::optional<Source> softMask;
        Dimensions target;
        int jpegQuality = 0;
        // Size of the image's stream as stored; the new one must be smaller.
        std::size_t storedBytes = 0;
    };

    struct Result {
        std::string jpeg;
        Dimensions dimensions;
        // Decoded mask samples at their new size, when there is a mask.
        std::optional<Raster> softMask;
    };

    ImageRecompressor() = delete;

    // The size an image of `pixels` should have: reduced to the resolution
    // over `shown` (when known) and then bounded by the largest size; never
    // larger than it is. Images with a longest side under the smallest size
    // keep theirs.
    static Dimensions targetDimensions(Dimensions pixels, const std::optional<ShownSize>& shown,
                                       const FilterDescription::ImageSettings& settings);

    // The libjpeg quality (1-100) for a filter compression quality (0-1).
    static int jpegQuality(double compressionQuality);

    // The re-encoded image, or nothing when it would not be smaller. Throws
    // on images that do not decode.
    static std::optional<Result> recompress(const Job& job);
};

} // namespace zurbo::engine
