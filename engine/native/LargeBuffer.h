#pragma once

#include "MemoryBudget.h"

#include <cstddef>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// LargeBuffer: uninitialised bytes for a whole decoded image, released with
// the value. Buffers of megabytes are mappings of the engine's MemoryBudget,
// reused from image to image, with transparent huge pages advised, since
// touching tens of megabytes four kilobytes at a time costs more in page
// faults than a fast inflater spends filling them.
// ----------------------------------------------------------------------------
class LargeBuffer {
public:
    // Throws std::bad_alloc when the memory cannot be had.
    explicit LargeBuffer(std::size_t size, MemoryBudget& budget = MemoryBudget::shared());
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer();

    unsigned char* data() const { return m_mapping.data; }
    std::size_t size() const { return m_size; }

    // The memory a buffer of `size` bytes takes.
    static std::size_t footprint(std::size_t size);

private:
    MemoryBudget& m_budget;
    MemoryBudget::Mapping m_mapping;
    std::size_t m_size;
    bool m_mapped;
};

// Advises transparent huge pages for the whole 2 MB pages within `size`
// bytes at `data`, memory not yet touched that the caller is about to fill.
void adviseHugePages(void* data, std::size_t size);

} // namespace zurbo::engine
