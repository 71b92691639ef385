#pragma once

#include "Raster.h"

#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Downsampler: area-averaging reduction of an image, fed one row at a time.
//
// Every output pixel is the average of the source area it covers, partly
// covered source pixels weighted by the covered fraction, so no detail is
// dropped the way nearest-neighbour sampling drops it. Rows are taken as
// they are decoded, so the full-size image need not be kept or read twice.
// ----------------------------------------------------------------------------
class Downsampler {
public:
    // Reduces `source` pixels of 1, 3 or 4 `components` to `target`, each side
    // at least 1 and at most the source's; throws std::invalid_argument otherwise.
    Downsampler(Dimensions source, int components, Dimensions target);

    // Adds the next source row (its width times components samples). Throws
    // std::length_error past the last row.
    void addRow(const unsigned char* row);
    // The reduced image. Throws std::length_error when rows are missing.
    Raster result();

    // `source` reduced to width x height at once. Returns a copy when the size
    // is unchanged.
    static Raster downsample(const Raster& source, int width, int height);

    // The source pixels one output pixel covers along an axis and how much
    // of each: `weights` from `first` on.
    struct Span {
        int first = 0;
        std::vector<float> weights;
    };

    // The spans of every output column, laid out flat for the inner loop.
    struct Columns {
        std::vector<int> first;
        std::vector<int> count;
        std::vector<float> weights;
    };

private:
    void finishRow(int outputRow);

    Dimensions m_source;
    Columns m_columns;
    std::vector<Span> m_rows;
    Raster m_result;
    int m_rowsAdded = 0;
    // The lowest output row still open; it and the next are all a source row reaches.
    int m_openRow = 0;
    // The weighted sums of the source rows of the two open output rows, at
    // full width: averaging down the columns first runs over contiguous
    // samples, and the row is narrowed once per output row.
    std::vector<float> m_sums[2];
};

} // namespace zurbo::engine
