#pragma once

#include <qpdf/Pipeline.hh>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// WordHash: a cheap 64-bit hash taken eight bytes at a time, for finding
// candidates that a byte comparison then confirms. As a pipeline it hashes
// stream data as it passes, without holding it.
// ----------------------------------------------------------------------------
class WordHash : public Pipeline {
public:
    WordHash() : Pipeline("word hash", nullptr) {}

    void write(unsigned char const* data, std::size_t length) override;
    void finish() override {}

    // The hash of everything written so far, and its length.
    std::uint64_t value() const;
    std::size_t length() const { return m_length; }

    static std::uint64_t of(std::string_view bytes);

private:
    void mix(std::uint64_t word);

    std::uint64_t m_state = 0;
    std::size_t m_length = 0;
    // Bytes of a word not yet complete, lowest first.
    std::uint64_t m_pending = 0;
};

} // namespace zurbo::engine
