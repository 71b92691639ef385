#include "PngPredictor.h"

#include <array>
#include <cstdlib>

namespace zurbo::bench {

namespace {

int paeth(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return left;
    }
    return toUp <= toUpLeft ? up : upLeft;
}

// The prediction of `filter` for sample i of `row` above `previous`.
int predicted(int filter, const std::uint8_t* row, const std::uint8_t* previous, std::size_t i,
              std::size_t pixelBytes)
{
    const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
    const int up = previous[i];
    const int upLeft = i >= pixelBytes ? previous[i - pixelBytes] : 0;
    switch (filter) {
    case 1:
        return left;
    case 2:
        return up;
    case 3:
        return (left + up) / 2;
    case 4:
        return paeth(left, up, upLeft);
    }
    return 0;
}

} // namespace

std::string PngPredictor::encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                                 int components, Choice choice)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    std::string encoded;
    encoded.reserve((rowBytes + 1) * height);
    std::array<std::string, 5> candidates;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + y * rowBytes;
        const std::uint8_t* previous = y > 0 ? row - rowBytes : zeros.data();
        std::size_t best = 0;
        long bestCost = -1;
        for (int filter = 0; filter < 5; ++filter) {
            std::string& candidate = candidates[filter];
            candidate.assign(1, static_cast<char>(filter));
            long cost = 0;
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const auto residual = static_cast<std::int8_t>(static_cast<std::uint8_t>(
                    row[i] - predicted(filter, row, previous, i, components)));
                candidate.push_back(static_cast<char>(residual));
                cost += std::abs(static_cast<int>(residual));
            }
            const bool inTurn = choice == Choice::eachInTurn && filter == y % 5;
            if (inTurn || (choice == Choice::smallest && (bestCost < 0 || cost < bestCost))) {
                best = filter;
                bestCost = cost;
            }
        }
        encoded += candidates[best];
    }
    return encoded;
}

} // namespace zurbo::bench
