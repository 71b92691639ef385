#pragma once

#include <qpdf/Pipeline.hh>

#include <cstddef>
#include <vector>

namespace zurbo::engine {

// A pipeline end that collects decoded samples and refuses to grow past the
// image's declared size, which stops decompression bombs early.
class BoundedSink : public Pipeline {
public:
    BoundedSink(std::vector<unsigned char>& target, std::size_t limit);

    // Throws std::length_error once more than the limit arrives.
    void write(unsigned char const* data, size_t length) override;
    void finish() override {}

private:
    std::vector<unsigned char>& m_target;
    std::size_t m_limit;
};

} // namespace zurbo::engine
