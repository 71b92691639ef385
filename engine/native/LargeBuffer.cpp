#include "LargeBuffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace zurbo::engine {

namespace {

// Below this, the allocator's own pages serve as well.
constexpr std::size_t mappedFrom = 4 * 1024 * 1024;
constexpr std::uintptr_t hugePage = 2 * 1024 * 1024;

} // namespace

void adviseHugePages(void* data, std::size_t size)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (begin + size) & ~(hugePage - 1);
    if (first < end) {
        // Only advice: without huge pages the memory works the same, only slower.
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

LargeBuffer::LargeBuffer(std::size_t size, MemoryBudget& budget)
    : m_budget(budget), m_size(size), m_mapped(size >= mappedFrom)
{
    m_mapping =
        m_mapped ? m_budget.take(size) : MemoryBudget::Mapping{new unsigned char[size], size};
}

LargeBuffer::~LargeBuffer()
{
    if (m_mapped) {
        m_budget.give(m_mapping);
    } else {
        delete[] m_mapping.data;
    }
}

std::size_t LargeBuffer::footprint(std::size_t size)
{
    return size >= mappedFrom ? MemoryBudget::mappedSize(size) : size;
}

} // namespace zurbo::engine
