#pragma once

#include <cstddef>
#include <cstdint>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// InflateBudget: how many inflated bytes of content one run reads, per stream
// and in all. A few kilobytes of nested Flate can stand for gigabytes; past
// the budget the document is refused rather than read on for minutes.
// ----------------------------------------------------------------------------
class InflateBudget {
public:
    // Far beyond the content of any real page, and read in a few seconds.
    static constexpr std::uint64_t defaultPerStream = std::uint64_t{512} << 20;
    static constexpr std::uint64_t defaultPerRun = std::uint64_t{2} << 30;

    explicit InflateBudget(std::uint64_t perStream = defaultPerStream,
                           std::uint64_t perRun = defaultPerRun);

    // The next bytes belong to a new stream.
    void startStream() { m_stream = 0; }

    // Counts `bytes` more of the current stream. Throws
    // PDFEngine::EngineError::inflateBudgetExceeded once either bound is passed.
    void add(std::size_t bytes);

private:
    std::uint64_t m_perStream;
    std::uint64_t m_perRun;
    std::uint64_t m_stream = 0;
    std::uint64_t m_run = 0;
};

} // namespace zurbo::engine
