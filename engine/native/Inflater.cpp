#include "Inflater.h"

#include <libdeflate.h>

#include <new>

namespace zurbo::engine {

Inflater::Inflater() : m_decompressor(libdeflate_alloc_decompressor())
{
    if (!m_decompressor) {
        throw std::bad_alloc();
    }
}

Inflater::~Inflater()
{
    libdeflate_free_decompressor(m_decompressor);
}

bool Inflater::inflate(std::string_view zlib, unsigned char* out, std::size_t size)
{
    // Without a place for the actual size, a shorter stream is a failure too.
    return libdeflate_zlib_decompress(m_decompressor, zlib.data(), zlib.size(), out, size,
                                      nullptr) == LIBDEFLATE_SUCCESS;
}

} // namespace zurbo::engine
