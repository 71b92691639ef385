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
    enum class Outcome {
        complete,  // `out` holds the whole stream, which filled it exactly
        wrongSize, // the stream decodes to fewer or more bytes than `out` holds
        damaged    // not a zlib stream libdeflate accepts (a checksum missing, say)
    };

    // Throws std::bad_alloc when libdeflate cannot allocate its decompressor.
    Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater();

    // Inflates `zlib` into the `size` bytes at `out`, whose contents are
    // unspecified unless the outcome is complete.
    Outcome inflate(std::string_view zlib, unsigned char* out, std::size_t size);

private:
    libdeflate_decompressor* m_decompressor;
};

} // namespace zurbo::engine
