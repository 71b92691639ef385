#pragma once

#include "ImageRecompressor.h"
#include "StageTimes.h"

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ImageDecoder: turns one image's stored bytes into pixels at a smaller size,
// on whichever thread calls it.
//
// A JPEG is decoded by TurboJPEG at the smallest DCT scale that still covers
// the size. A Flate stream is inflated whole by libdeflate and its predictor
// undone a band of rows at a time, each band downsampled while it is still
// in the cache. Other filter chains, Flate data libdeflate refuses and Flate
// data to be read in bands go through qpdf's own decoding, rows downsampled
// as they arrive.
// ----------------------------------------------------------------------------
class ImageDecoder {
public:
    ImageDecoder() = delete;

    // `source` reduced to `target` (no larger than the image). Throws when the
    // data does not decode to exactly the image's declared size. The stored
    // bytes are let go of as soon as they are inflated. Adds the time of each
    // stage to `times` when given.
    static Raster decode(ImageRecompressor::Source source, Dimensions target,
                         StageTimes* times = nullptr);

    // The most memory decode() holds beside the stored bytes of `source`.
    static std::size_t memoryNeeded(const ImageRecompressor::Source& source, Dimensions target);
};

} // namespace zurbo::engine
