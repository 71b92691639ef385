#include "StructuralSimilarity.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace zurbo::bench {

namespace {

constexpr int windowSize = 11;
constexpr double sigma = 1.5;
constexpr double c1 = (0.01 * 255) * (0.01 * 255);
constexpr double c2 = (0.03 * 255) * (0.03 * 255);

std::array<double, windowSize> gaussianWeights()
{
    std::array<double, windowSize> weights{};
    double sum = 0;
    for (int i = 0; i < windowSize; ++i) {
        const double d = i - windowSize / 2;
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
Plane windowMeans(const Plane& in)
{
    static const std::array<double, windowSize> weights = gaussianWeights();
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
    Plane out{outWidth, outHeight, std::vector<double>(static_cast<std::size_t>(outWidth) * outHeight)};
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

template <typename Combine>
Plane combined(const GrayImage& a, const GrayImage& b, Combine combine)
{
    Plane plane{a.width, a.height, std::vector<double>(a.pixels.size())};
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        plane.values[i] = combine(static_cast<double>(a.pixels[i]), static_cast<double>(b.pixels[i]));
    }
    return plane;
}

} // namespace

double structuralSimilarity(const GrayImage& a, const GrayImage& b)
{
    if (a.width != b.width || a.height != b.height) {
        return 0;
    }
    if (a.width < windowSize || a.height < windowSize) {
        throw std::invalid_argument("image smaller than the SSIM window");
    }
    const Plane meanA = windowMeans(combined(a, b, [](double x, double) { return x; }));
    const Plane meanB = windowMeans(combined(a, b, [](double, double y) { return y; }));
    const Plane meanAA = windowMeans(combined(a, b, [](double x, double) { return x * x; }));
    const Plane meanBB = windowMeans(combined(a, b, [](double, double y) { return y * y; }));
    const Plane meanAB = windowMeans(combined(a, b, [](double x, double y) { return x * y; }));

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
