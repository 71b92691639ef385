#include "SizeFigures.h"

#include <cmath>
#include <limits>

namespace zurbo {

int savingsPercent(std::int64_t originalBytes, std::int64_t outputBytes)
{
    if (originalBytes < 1) {
        return 0;
    }
    const double ratio = static_cast<double>(outputBytes) / static_cast<double>(originalBytes);
    // Clamped before the conversion: a result far larger than its source would not fit an int.
    const double percent = std::trunc((1.0 - ratio) * 100.0);
    return percent > 0.0 ? static_cast<int>(percent) : 0;
}

std::int64_t bytesFromMegabytes(double megabytes)
{
    // 2^63 is exact as a double; every double below it converts without overflow.
    constexpr double firstUnrepresentable = 9223372036854775808.0;
    const double bytes = megabytes * bytesPerMegabyte;
    if (bytes >= firstUnrepresentable) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(bytes);
}

} // namespace zurbo
