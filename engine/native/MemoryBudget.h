#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// MemoryBudget: the bytes the native engine's images in flight may hold at
// once (stored bytes, decoded pixels, results), shared by every run of the
// process whatever the number of runs and workers.
//
// It also keeps the large buffers of decoded pixels that images let go of,
// within the same bytes, for the next image to reuse: mapping fresh memory
// for every image has the kernel zero every page of it first.
// ----------------------------------------------------------------------------
class MemoryBudget {
public:
    // What an image in flight holds; given back when the value goes.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation&& other) noexcept;
        Reservation& operator=(Reservation&& other) noexcept;
        ~Reservation();

        std::size_t bytes() const { return m_bytes; }

    private:
        friend class MemoryBudget;
        Reservation(MemoryBudget* budget, std::size_t bytes) : m_budget(budget), m_bytes(bytes) {}

        MemoryBudget* m_budget = nullptr;
        std::size_t m_bytes = 0;
    };

    // Mapped memory for one buffer: whole pages, `size` of them in bytes.
    struct Mapping {
        unsigned char* data = nullptr;
        std::size_t size = 0;
    };

    explicit MemoryBudget(std::size_t capacity);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;
    ~MemoryBudget();

    // The process's budget: 512 MiB, which with the document itself keeps a
    // run within a gigabyte.
    static MemoryBudget& shared();

    std::size_t capacity() const { return m_capacity; }
    // What reservations and kept mappings hold: at most capacity() but for
    // mappings given back while their reservation is still held.
    std::size_t heldBytes() const;

    // Waits until `bytes` (at most capacity()) fit beside the other
    // reservations, letting go of kept buffers to make room.
    Reservation reserve(std::size_t bytes);
    // The same without waiting: nothing while they do not fit.
    std::optional<Reservation> tryReserve(std::size_t bytes);

    // The size a mapping of at least `bytes` takes: whole huge pages.
    static std::size_t mappedSize(std::size_t bytes);
    // A mapping of mappedSize(bytes): a kept one cut to size when there is one
    // large enough, otherwise fresh. Throws std::bad_alloc.
    Mapping take(std::size_t bytes);
    // Keeps `mapping` for a later take() while the kept ones fit the budget;
    // unmaps it otherwise.
    void give(Mapping mapping);
    // Unmaps the kept mappings unless an image is in flight: a process
    // between runs holds none.
    void trim();

private:
    void release(std::size_t bytes);
    // Kept mappings to unmap so that the reservations and the kept fit.
    std::vector<Mapping> makeRoom();

    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::size_t m_reserved = 0;
    std::size_t m_kept = 0;
    std::vector<Mapping> m_mappings;
};

} // namespace zurbo::engine
