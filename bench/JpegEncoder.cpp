#include "JpegEncoder.h"

#include <stdexcept>
#include <turbojpeg.h>

namespace zurbo::bench {

namespace {

struct JpegBufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

} // namespace

void JpegEncoder::HandleDeleter::operator()(void* handle) const
{
    tjDestroy(handle);
}

JpegEncoder::JpegEncoder() : m_handle(tjInitCompress())
{
    if (!m_handle) {
        throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(nullptr));
    }
}

std::string JpegEncoder::encode(const std::vector<std::uint8_t>& pixels, int width, int height,
                                int components, int quality)
{
    const int format = components == 1 ? TJPF_GRAY : components == 3 ? TJPF_RGB : TJPF_CMYK;
    const int subsampling = components == 1   ? TJSAMP_GRAY
                            : components == 3 ? TJSAMP_420
                                              : TJSAMP_444;
    unsigned char* output = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(m_handle.get(), pixels.data(), width, 0, height, format, &output,
                                   &size, subsampling, quality, 0);
    // TurboJPEG may allocate the buffer even when it fails.
    const std::unique_ptr<unsigned char, JpegBufferDeleter> owned(output);
    if (status != 0) {
        throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(m_handle.get()));
    }
    return std::string(reinterpret_cast<const char*>(output), size);
}

} // namespace zurbo::bench
