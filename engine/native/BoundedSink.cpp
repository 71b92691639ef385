#include "BoundedSink.h"

#include <stdexcept>

namespace zurbo::engine {

std::optional<std::string> BoundedSink::decoded(QPDFObjectHandle stream, std::size_t limit)
{
    BoundedSink sink(limit);
    bool filtered = false;
    try {
        const bool stored = stream.getDict().getKey("/Filter").isNull();
        if (!stream.pipeStreamData(&sink, &filtered, 0, qpdf_dl_generalized, true, false) ||
            !(filtered || stored)) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return std::move(sink.bytes);
}

void BoundedSink::write(unsigned char const* data, std::size_t length)
{
    if (length > m_limit - bytes.size()) {
        throw std::length_error("stream data past its limit");
    }
    bytes.append(reinterpret_cast<const char*>(data), length);
}

} // namespace zurbo::engine
