#pragma once

#include <cstdint>

namespace zurbo {

// ----------------------------------------------------------------------------
// The size figures every front door shows or takes: how much a result saves,
// and a size in megabytes as bytes.
// ----------------------------------------------------------------------------

// A target's megabyte: 1,048,576 bytes.
constexpr double bytesPerMegabyte = 1048576.0;

// The whole percentage by which `outputBytes` is smaller than `originalBytes`:
// (1 - output / original) x 100, truncated toward zero and never below 0; 0
// when the original is empty.
int savingsPercent(std::int64_t originalBytes, std::int64_t outputBytes);

// `megabytes` (a number, not below 0) as bytes, truncated; a count that
// would not fit is the largest there is.
std::int64_t bytesFromMegabytes(double megabytes);

} // namespace zurbo
