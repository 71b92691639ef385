#pragma once

#include "GrayImage.h"

namespace zurbo::bench {

// Mean structural similarity of two luma rasters, as Wang et al. define it:
// 11x11 Gaussian windows (sigma 1.5) at every position where the window fits,
// K1 = 0.01, K2 = 0.03, L = 255; rasters narrower than 11 pixels use the
// widest window that fits. Rasters of different size score 0, since a page
// that changed size did not survive. Identical rasters score 1; empty ones 0.
double structuralSimilarity(const GrayImage& a, const GrayImage& b);

} // namespace zurbo::bench
