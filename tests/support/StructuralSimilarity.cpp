#include "StructuralSimilarity.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zurbo::bench {

namespace {

constexpr int standardWindow = 11;
constexpr double sigma = 1.5;
constexpr double c1 = (0.01 * 255) * (0.01 * 255);
constexpr double c2 = (0.03 * 255) * (0.03 * 255);

std::vector<double> gaussianWeights(int windowSize)
{
    std::vector<double> weights(static_cast<std::size_t>(windowSize));
    double sum = 0;
    for (int i = 0; i < windowSize; ++i) {
        const double d = i - (windowSize - 1) / 2.0;
        weights[i] = std::exp(-d * d / (2 * sigma * sigma));
        sum += weights[i];
    }
    for (double& w : weights) {
        w /= sum;
    }
    return weights;
}

// A plane of doubles that the Gaussian window slides over.
struct Plane {
    int width;
    int height;
    std::vector<double> values;
};

// The weighted window mean at every position where the window fits entirely;
// the Gaussian is separable, so rows first, then columns.
Plane windowMeans(const Plane& in, const std::vector<double>& weights)
{
    const int windowSize = static_cast<int>(weights.size());
    const int outWidth = in.width - windowSize + 1;
    const int outHeight = in.height - windowSize + 1;
    std::vector<double> rows(static_cast<std::size_t>(outWidth) * in.height);
    for (int y = 0; y < in.height; ++y) {
        const double* row = &in.values[static_cast<std::size_t>(y) * in.width];
        for (int x = 0; x < outWidth; ++x) {
            double sum = 0;
            for (int k = 0; k < windowSize; ++k) {
                sum += weights[k] * row[x + k];
            }
            rows[static_cast<std::size_t>(y) * outWidth + x] = sum;
        }
    }
    Plane out{outWidth, outHeight,
              std::vector<double>(static_cast<std::size_t>(outWidth) * outHeight)};
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            double sum = 0;
            for (int k = 0; k < windowSize; ++k) {
                sum += weights[k] * rows[static_cast<std::size_t>(y + k) * outWidth + x];
            }
            out.values[static_cast<std::size_t>(y) * outWidth + x] = sum;
        }
    }
    return out;
}

template <typename Combine> Plane combined(const GrayImage& a, const GrayImage& b, Combine combine)
{
    Plane plane{a.width, a.height, std::vector<double>(a.pixels.size())};
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        plane.values[i] =
            combine(static_cast<double>(a.pixels[i]), static_cast<double>(b.pixels[i]));
    }
    return plane;
}

} // namespace

double structuralSimilarity(const GrayImage& a, const GrayImage& b)
{
    if (a.width != b.width || a.height != b.height) {
        return 0;
    }
    if (a.pixels.empty()) {
        return 0;
    }
    // Tiny pages (a thumbnail-sized page at 100 dpi) get a window that fits.
    const auto weights = gaussianWeights(std::min({standardWindow, a.width, a.height}));
    const auto means = [&](auto combine) { return windowMeans(combined(a, b, combine), weights); };
    const Plane meanA = means([](double x, double) { return x; });
    const Plane meanB = means([](double, double y) { return y; });
    const Plane meanAA = means([](double x, double) { return x * x; });
    const Plane meanBB = means([](double, double y) { return y * y; });
    const Plane meanAB = means([](double x, double y) { return x * y; });

    double total = 0;
    for (std::size_t i = 0; i < meanA.values.size(); ++i) {
        const double ma = meanA.values[i];
        const double mb = meanB.values[i];
        const double varA = meanAA.values[i] - ma * ma;
        const double varB = meanBB.values[i] - mb * mb;
        const double covariance = meanAB.values[i] - ma * mb;
        total += ((2 * ma * mb + c1) * (2 * covariance + c2)) /
                 ((ma * ma + mb * mb + c1) * (varA + varB + c2));
    }
    return total / static_cast<double>(meanA.values.size());
}

} // namespace zurbo::bench
