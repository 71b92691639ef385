#pragma once

#include <cstddef>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Predictor: undoes the predictor of a Flate stream of 8-bit samples, one row
// at a time and in place. PNG rows lead with their filter type (None, Sub,
// Up, Average, Paeth); TIFF predictor 2 stores each sample as the difference
// from the same component of the pixel to its left.
// ----------------------------------------------------------------------------
class Predictor {
public:
    enum class Kind { none, tiff, png };

    // For rows of `width` pixels of 1, 3 or 4 `components`; throws
    // std::invalid_argument for other counts.
    Predictor(Kind kind, int components, int width);

    // Bytes one row takes as stored: the samples, after PNG's filter type.
    std::size_t storedRowBytes() const { return m_sampleOffset + m_rowSamples; }
    // Where in a stored row its samples start.
    std::size_t sampleOffset() const { return m_sampleOffset; }

    // Turns the stored row at `row` into samples, in place. `previous` is the
    // row above as samples, or null for the first row. Throws
    // std::runtime_error for a PNG filter type past Paeth.
    void undo(unsigned char* row, const unsigned char* previous) const;

private:
    Kind m_kind;
    std::size_t m_pixelBytes;
    std::size_t m_rowSamples;
    std::size_t m_sampleOffset;
    // PNG's row above the first.
    std::vector<unsigned char> m_zeros;
};

} // namespace zurbo::engine
