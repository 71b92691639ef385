#pragma once

#include "FilterDescription.h"
#include "LargeBuffer.h"
#include "Predictor.h"
#include "Raster.h"
#include "StageTimes.h"
#include "StopToken.h"

#include <optional>
#include <string>

namespace zurbo::engine {

// The largest size, in points, at which a page shows an image.
struct ShownSize {
    double width = 0;
    double height = 0;
};

// ----------------------------------------------------------------------------
// ImageRecompressor: decodes, downsamples and re-encodes one image, away
// from the document so that several can run at once.
// ----------------------------------------------------------------------------
class ImageRecompressor {
public:
    // One image's bytes as the document stores them, and how they become samples.
    struct Source {
        // A JPEG for TurboJPEG; a lone Flate filter, with `predictor`, for
        // libdeflate; other lossless filters for qpdf; or no filter at all.
        enum class Encoding { jpeg, flate, qpdfFilters, samples };
        Encoding encoding = Encoding::samples;
        LargeBuffer data;
        Dimensions dimensions;
        int components = 0;
        Predictor::Kind predictor = Predictor::Kind::none;
        // The stream's /Filter and /DecodeParms as PDF text, for qpdf to undo:
        // qpdfFilters always, and Flate data that libdeflate refuses.
        std::string filters;
        std::string decodeParameters;
        // Flate data undone a band of rows at a time rather than inflated
        // whole: slower, but the decoded image is never held whole.
        bool inBands = false;
    };

    struct Job {
        Source image;
        // A soft mask, downsampled with the image and kept lossless.
        std::optional<Source> softMask;
        Dimensions target;
        int jpegQuality = 0;
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

    // The most memory recompress() holds for `job`: the stored bytes, what
    // decoding them takes, and the results.
    static std::size_t memoryNeeded(const Job& job);

    // The re-encoded image, or nothing when it would not be smaller than the
    // image as stored. Throws on images that do not decode, and
    // PDFEngine::Cancelled between decoding and encoding once `stop` is
    // requested. Adds the time of each stage to `times` when given.
    static std::optional<Result> recompress(Job job, StopToken stop = {},
                                            StageTimes* times = nullptr);
};

} // namespace zurbo::engine
