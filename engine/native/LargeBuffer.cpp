#include "LargeBuffer.h"

#include <utility>

namespace zurbo::engine {

namespace {

// Below this, the allocator's own pages serve as well.
constexpr std::size_t mappedFrom = 4 * 1024 * 1024;

} // namespace

LargeBuffer::LargeBuffer(std::size_t size, MemoryBudget& budget) : m_size(size)
{
    if (size >= mappedFrom) {
        m_budget = &budget;
        m_mapping = budget.take(size);
    } else {
        m_mapping = {new unsigned char[size], size};
    }
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)),
      m_mapping(std::exchange(other.m_mapping, {})), m_size(std::exchange(other.m_size, 0))
{
}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_mapping = std::exchange(other.m_mapping, {});
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

LargeBuffer::~LargeBuffer()
{
    release();
}

void LargeBuffer::release()
{
    if (m_budget) {
        m_budget->give(m_mapping);
    } else {
        delete[] m_mapping.data;
    }
}

std::size_t LargeBuffer::footprint(std::size_t size)
{
    return size >= mappedFrom ? MemoryBudget::mappedSize(size) : size;
}

} // namespace zurbo::engine
