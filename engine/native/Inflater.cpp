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

Inflater::Outcome Inflater::inflate(std::string_view zlib, unsigned char* out, std::size_t size)
{
    switch (
        libdeflate_zlib_decompress(m_decompressor, zlib.data(), zlib.size(), out, size, nullptr)) {
    case LIBDEFLATE_SUCCESS:
        return Outcome::complete;
    case LIBDEFLATE_SHORT_OUTPUT:
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        return Outcome::wrongSize;
    default:
        return Outcome::damaged;
    }
}

} // namespace zurbo::engine
