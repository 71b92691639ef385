#include "BatchSettings.h"

#include <limits>

namespace zurbo {

std::int64_t BatchSettings::targetByteCount(double megabytes)
{
    constexpr double smallest = 0.01;
    // 2^63 is exact as a double; every double below it converts without overflow.
    constexpr double firstUnrepresentable = 9223372036854775808.0;
    const double bounded = megabytes >= smallest ? megabytes : smallest;
    const double bytes = bounded * 1048576.0;
    if (bytes >= firstUnrepresentable) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(bytes);
}

} // namespace zurbo
