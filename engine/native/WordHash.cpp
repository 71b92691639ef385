#include "WordHash.h"

#include <cstring>

namespace zurbo::engine {

namespace {

constexpr std::uint64_t multiplier = 0x517cc1b727220a95ULL;

std::uint64_t rotateLeft(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

} // namespace

void WordHash::mix(std::uint64_t word)
{
    m_state = (rotateLeft(m_state, 5) ^ word) * multiplier;
}

void WordHash::write(unsigned char const* data, std::size_t length)
{
    std::size_t used = m_length % 8;
    m_length += length;
    // Complete the word a previous write left open, one byte at a time.
    while (used != 0 && length != 0) {
        m_pending |= static_cast<std::uint64_t>(*data++) << (8 * used);
        --length;
        if (++used == 8) {
            mix(m_pending);
            m_pending = 0;
            used = 0;
        }
    }
    for (; length >= 8; data += 8, length -= 8) {
        std::uint64_t word;
        std::memcpy(&word, data, 8);
        mix(word);
    }
    for (std::size_t i = 0; i < length; ++i) {
        m_pending |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    }
}

std::uint64_t WordHash::value() const
{
    // The length tells apart inputs that differ only by trailing zero bytes.
    return (rotateLeft(m_state, 5) ^ m_pending ^ (m_length * multiplier)) * multiplier;
}

std::uint64_t WordHash::of(std::string_view bytes)
{
    WordHash hash;
    hash.write(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size());
    return hash.value();
}

} // namespace zurbo::engine
