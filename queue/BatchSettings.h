#pragma once

#include "CompressionProfile.h"

#include <cstdint>
#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// The settings a batch takes once when it starts; later changes of the
// model's settings wait for the next batch.
// ----------------------------------------------------------------------------
struct BatchSettings {
    CompressionProfile profile = CompressionProfile::balanced;
    std::optional<std::int64_t> targetBytes;
    bool cleanMetadata = false;

    // A target in megabytes of 1,048,576 bytes as a byte count, truncated.
    // Anything below 0.01 (or not a number) counts as 0.01; anything whose
    // byte count would not fit counts as the largest count there is.
    static std::int64_t targetByteCount(double megabytes);
};

} // namespace zurbo
