#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zurbo::bench {

// Baseline JPEG encoding through one TurboJPEG compressor handle.
class JpegEncoder {
public:
    JpegEncoder();

    // Encodes interleaved 8-bit pixels with 1 (gray), 3 (RGB, 4:2:0) or 4
    // (CMYK) components. Throws std::runtime_error with TurboJPEG's message.
    std::string encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                       int components, int quality);

private:
    struct HandleDeleter {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, HandleDeleter> m_handle;
};

} // namespace zurbo::bench
