#pragma once

#include "Raster.h"

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Downsampler: area-averaging reduction of a raster.
//
// Every output pixel is the average of the source area it covers, partly
// covered source pixels weighted by the covered fraction, so no detail is
// dropped the way nearest-neighbour sampling drops it.
// ----------------------------------------------------------------------------
class Downsampler {
public:
    Downsampler() = delete;

    // `source` reduced to width x height (each at least 1 and at most the
    // source's). Returns a copy when the size is unchanged.
    static Raster downsample(const Raster& source, int width, int height);
};

} // namespace zurbo::engine
