#pragma once

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstddef>
#include <optional>
#include <string>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// BoundedSink: collects what a pipeline writes, up to a limit past which it
// throws std::length_error, so that a hostile stream that decodes to far more
// than it stores cannot fill the memory.
// ----------------------------------------------------------------------------
class BoundedSink : public Pipeline {
public:
    explicit BoundedSink(std::size_t limit) : Pipeline("bounded sink", nullptr), m_limit(limit) {}

    // A stream's data with qpdf's general filters undone, up to `limit`
    // bytes; nothing when there is more, or it does not decode.
    static std::optional<std::string> decoded(QPDFObjectHandle stream, std::size_t limit);

    void write(unsigned char const* data, std::size_t length) override;
    void finish() override {}

    std::string bytes;

private:
    std::size_t m_limit;
};

} // namespace zurbo::engine
