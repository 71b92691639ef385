#include "BoundedSink.h"

#include <stdexcept>

namespace zurbo::engine {

void BoundedSink::write(unsigned char const* data, std::size_t length)
{
    if (length > m_limit - bytes.size()) {
        throw std::length_error("stream data past its limit");
    }
    bytes.append(reinterpret_cast<const char*>(data), length);
}

} // namespace zurbo::engine
