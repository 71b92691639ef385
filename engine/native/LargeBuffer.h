#pragma once

#include "MemoryBudget.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// LargeBuffer: uninitialised bytes for an image's stored bytes or its whole
// decoded pixels, released with the value. Buffers of megabytes are mappings
// of the engine's MemoryBudget, reused from image to image rather than
// mapped afresh (the kernel zeroes every fresh page), with transparent huge
// pages advised, since touching tens of megabytes four kilobytes at a time
// costs more in page faults than a fast inflater spends filling them.
// ----------------------------------------------------------------------------
class LargeBuffer {
public:
    // No bytes at all.
    LargeBuffer() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit LargeBuffer(std::size_t size, MemoryBudget& budget = MemoryBudget::shared());
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    ~LargeBuffer();

    unsigned char* data() const { return m_mapping.data; }
    std::size_t size() const { return m_size; }
    std::string_view view() const { return {reinterpret_cast<const char*>(data()), m_size}; }

    // Keeps only the first `size` bytes (no more than it has).
    void truncate(std::size_t size) { m_size = std::min(size, m_size); }

    // The memory a buffer of `size` bytes takes.
    static std::size_t footprint(std::size_t size);

private:
    void release();

    MemoryBudget* m_budget = nullptr;
    MemoryBudget::Mapping m_mapping;
    std::size_t m_size = 0;
};

} // namespace zurbo::engine
