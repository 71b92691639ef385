#include "LargeBuffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

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

LargeBuffer::LargeBuffer(std::size_t size)
    : m_data(nullptr), m_size(size), m_mapped(size >= mappedFrom)
{
    if (!m_mapped) {
        m_data = new unsigned char[size];
        return;
    }
    void* mapped =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Only advice: without huge pages the buffer works the same, only slower.
    ::madvise(mapped, size, MADV_HUGEPAGE);
    m_data = static_cast<unsigned char*>(mapped);
}

LargeBuffer::~LargeBuffer()
{
    if (m_mapped) {
        ::munmap(m_data, m_size);
    } else {
        delete[] m_data;
    }
}

} // namespace zurbo::engine
