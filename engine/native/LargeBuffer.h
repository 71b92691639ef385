#pragma once

#include <cstddef>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// LargeBuffer: uninitialised bytes for a whole decoded image, released with
// the value. Buffers of megabytes are mapped with transparent huge pages
// advised, since touching tens of megabytes four kilobytes at a time costs
// more in page faults than a fast inflater spends filling them.
// ----------------------------------------------------------------------------
class LargeBuffer {
public:
    // Throws std::bad_alloc when the memory cannot be had.
    explicit LargeBuffer(std::size_t size);
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer();

    unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    unsigned char* m_data;
    std::size_t m_size;
    bool m_mapped;
};

// Advises transparent huge pages for the whole 2 MB pages within `size`
// bytes at `data`, memory not yet touched that the caller is about to fill.
void adviseHugePages(void* data, std::size_t size);

} // namespace zurbo::engine
