#include "BatchSettings.h"

#include "SizeFigures.h"

namespace zurbo {

std::int64_t BatchSettings::targetByteCount(double megabytes)
{
    constexpr double smallest = 0.01;
    return bytesFromMegabytes(megabytes >= smallest ? megabytes : smallest);
}

} // namespace zurbo
