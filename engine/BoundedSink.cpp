#include "BoundedSink.h"

#include <stdexcept>

namespace zurbo::engine {

BoundedSink::BoundedSink(std::vector<unsigned char>& target, std::size_t limit)
    : Pipeline("image samples", nullptr), m_target(target), m_limit(limit)
{
}

void BoundedSink::write(unsigned char const* data, size_t length)
{
    if (length > m_limit - m_target.size()) {
        throw std::length_error("image data longer than declared");
    }
    m_target.insert(m_target.end(), data, data + length);
}

} // namespace zurbo::engine
