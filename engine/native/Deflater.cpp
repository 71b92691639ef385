#include "Deflater.h"

#include <libdeflate.h>

#include <new>
#include <stdexcept>

namespace zurbo::engine {

Deflater::Deflater(int level) : m_compressor(libdeflate_alloc_compressor(level))
{
    if (!m_compressor) {
        throw std::bad_alloc();
    }
}

Deflater::~Deflater()
{
    libdeflate_free_compressor(m_compressor);
}

std::string Deflater::zlib(std::string_view data)
{
    std::string out(libdeflate_zlib_compress_bound(m_compressor, data.size()), '\0');
    const std::size_t size =
        libdeflate_zlib_compress(m_compressor, data.data(), data.size(), out.data(), out.size());
    if (size == 0) {
        // The bound is libdeflate's own promise; missing it is a bug, not bad input.
        throw std::logic_error("libdeflate broke its output bound");
    }
    out.resize(size);
    return out;
}

} // namespace zurbo::engine
