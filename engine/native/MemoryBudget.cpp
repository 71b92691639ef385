#include "MemoryBudget.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace zurbo::engine {

namespace {

constexpr std::size_t hugePage = 2 * 1024 * 1024;

void unmap(const MemoryBudget::Mapping& mapping)
{
    ::munmap(mapping.data, mapping.size);
}

void unmapAll(const std::vector<MemoryBudget::Mapping>& mappings)
{
    std::for_each(mappings.begin(), mappings.end(), unmap);
}

MemoryBudget::Mapping mapFresh(std::size_t size)
{
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Only advice: without huge pages the buffer works the same, only slower.
    ::madvise(data, size, MADV_HUGEPAGE);
    return {static_cast<unsigned char*>(data), size};
}

} // namespace

MemoryBudget::Reservation::Reservation(Reservation&& other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(std::exchange(other.m_bytes, 0))
{
}

MemoryBudget::Reservation& MemoryBudget::Reservation::operator=(Reservation&& other) noexcept
{
    if (this != &other) {
        if (m_budget) {
            m_budget->release(m_bytes);
        }
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

MemoryBudget::Reservation::~Reservation()
{
    if (m_budget) {
        m_budget->release(m_bytes);
    }
}

MemoryBudget::MemoryBudget(std::size_t capacity) : m_capacity(capacity) {}

MemoryBudget::~MemoryBudget()
{
    unmapAll(m_mappings);
}

MemoryBudget& MemoryBudget::shared()
{
    static MemoryBudget budget(std::size_t{512} << 20);
    return budget;
}

std::size_t MemoryBudget::heldBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_reserved + m_kept;
}

MemoryBudget::Reservation MemoryBudget::reserve(std::size_t bytes)
{
    if (bytes > m_capacity) {
        throw std::invalid_argument("a reservation larger than the whole budget");
    }
    std::unique_lock lock(m_mutex);
    m_released.wait(lock, [&] { return m_reserved + bytes <= m_capacity; });
    m_reserved += bytes;
    const std::vector<Mapping> evicted = makeRoom();
    lock.unlock();
    unmapAll(evicted);
    return Reservation(this, bytes);
}

std::optional<MemoryBudget::Reservation> MemoryBudget::tryReserve(std::size_t bytes)
{
    std::unique_lock lock(m_mutex);
    if (m_reserved + bytes > m_capacity) {
        return std::nullopt;
    }
    m_reserved += bytes;
    const std::vector<Mapping> evicted = makeRoom();
    lock.unlock();
    unmapAll(evicted);
    return Reservation(this, bytes);
}

void MemoryBudget::release(std::size_t bytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_reserved -= bytes;
    }
    m_released.notify_all();
}

std::vector<MemoryBudget::Mapping> MemoryBudget::makeRoom()
{
    std::vector<Mapping> evicted;
    while (m_reserved + m_kept > m_capacity && !m_mappings.empty()) {
        evicted.push_back(m_mappings.back());
        m_kept -= m_mappings.back().size;
        m_mappings.pop_back();
    }
    return evicted;
}

std::size_t MemoryBudget::mappedSize(std::size_t bytes)
{
    return (std::max<std::size_t>(bytes, 1) + hugePage - 1) / hugePage * hugePage;
}

MemoryBudget::Mapping MemoryBudget::take(std::size_t bytes)
{
    const std::size_t size = mappedSize(bytes);
    std::unique_lock lock(m_mutex);
    // The smallest kept mapping that is large enough wastes the least.
    auto best = m_mappings.end();
    for (auto mapping = m_mappings.begin(); mapping != m_mappings.end(); ++mapping) {
        if (mapping->size >= size && (best == m_mappings.end() || mapping->size < best->size)) {
            best = mapping;
        }
    }
    if (best == m_mappings.end()) {
        lock.unlock();
        return mapFresh(size);
    }
    Mapping mapping = *best;
    m_mappings.erase(best);
    m_kept -= mapping.size;
    lock.unlock();
    if (mapping.size > size) {
        unmap({mapping.data + size, mapping.size - size});
    }
    return {mapping.data, size};
}

void MemoryBudget::give(Mapping mapping)
{
    std::unique_lock lock(m_mutex);
    if (m_kept + mapping.size > m_capacity) {
        lock.unlock();
        unmap(mapping);
        return;
    }
    m_mappings.push_back(mapping);
    m_kept += mapping.size;
}

void MemoryBudget::trim()
{
    std::unique_lock lock(m_mutex);
    if (m_reserved > 0) {
        return;
    }
    const std::vector<Mapping> kept = std::exchange(m_mappings, {});
    m_kept = 0;
    lock.unlock();
    unmapAll(kept);
}

} // namespace zurbo::engine
