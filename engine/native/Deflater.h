#pragma once

#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Deflater: one libdeflate compressor at a fixed level, destroyed with the
// value. It compresses a whole buffer at once, which at its higher levels
// finds matches zlib's streaming deflate gives up on. One Deflater serves one
// thread at a time.
// ----------------------------------------------------------------------------
class Deflater {
public:
    // `level` from 1 (fastest) to 12 (smallest). Throws std::bad_alloc when
    // libdeflate cannot allocate its compressor.
    explicit Deflater(int level);
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater();

    // `data` as a zlib stream, which is what /FlateDecode reads.
    std::string zlib(std::string_view data);

private:
    libdeflate_compressor* m_compressor;
};

} // namespace zurbo::engine
