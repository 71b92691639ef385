#pragma once

#include <cstddef>
#include <string_view>

struct libdeflate_decompressor;

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Inflater: one libdeflate decompressor, destroyed with the value. It inflates
// a whole zlib stream at once into a buffer of the size the stream is
// declared to decode to, which is several times faster than zlib's
// streaming inflate. One Inflater serves one thread at a time.
// ----------------------------------------------------------------------------
class Inflater {
public:
    // Throws std::bad_alloc when libdeflate cannot allocate its decompressor.
    Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater();

    // Inflates `zlib` into the `size` bytes at `out`: whether the stream
    // filled it exactly. False for a stream of another size and for one
    // libdeflate does not accept (a checksum missing, say); the contents of
    // `out` are then unspecified.
    bool inflate(std::string_view zlib, unsigned char* out, std::size_t size);

private:
    libdeflate_decompressor* m_decompressor;
};

} // namespace zurbo::engine
