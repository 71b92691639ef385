#include "TurboJpeg.h"

#include <turbojpeg.h>

#include <memory>

namespace zurbo::engine {

namespace {

int pixelFormat(int components)
{
    switch (components) {
    case 1:
        return TJPF_GRAY;
    case 3:
        return TJPF_RGB;
    case 4:
        return TJPF_CMYK;
    }
    throw TurboJpeg::Error("unsupported number of components");
}

const unsigned char* bytes(std::string_view data)
{
    return reinterpret_cast<const unsigned char*>(data.data());
}

// The scaling factor for decoding: the strongest whole-power-of-two reduction
// that stays at or above the wanted size.
tjscalingfactor reduction(int width, int height, int minWidth, int minHeight)
{
    tjscalingfactor chosen{1, 1};
    for (const int denominator : {2, 4, 8}) {
        const tjscalingfactor candidate{1, denominator};
        if (TJSCALED(width, candidate) < minWidth || TJSCALED(height, candidate) < minHeight) {
            break;
        }
        chosen = candidate;
    }
    return chosen;
}

struct TurboJpegBuffer {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

} // namespace

TurboJpeg::TurboJpeg(void* handle) : m_handle(handle)
{
    if (!m_handle) {
        throw Error(tjGetErrorStr2(nullptr));
    }
}

TurboJpeg TurboJpeg::compressor()
{
    return TurboJpeg(tjInitCompress());
}

TurboJpeg TurboJpeg::decompressor()
{
    return TurboJpeg(tjInitDecompress());
}

TurboJpeg::TurboJpeg(TurboJpeg&& other) noexcept : m_handle(other.m_handle)
{
    other.m_handle = nullptr;
}

TurboJpeg::~TurboJpeg()
{
    if (m_handle) {
        tjDestroy(m_handle);
    }
}

void TurboJpeg::check(int status) const
{
    // Warnings (a truncated but readable stream) are failures too: such an
    // image is better left as it is.
    if (status != 0) {
        throw Error(tjGetErrorStr2(m_handle));
    }
}

TurboJpeg::Header TurboJpeg::header(std::string_view jpeg)
{
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    check(tjDecompressHeader3(m_handle, bytes(jpeg), jpeg.size(), &width, &height, &subsampling,
                              &colorspace));
    const int components = colorspace == TJCS_GRAY                                ? 1
                           : (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK) ? 4
                                                                                  : 3;
    return {width, height, components};
}

Raster TurboJpeg::decode(std::string_view jpeg, int components, int minWidth, int minHeight)
{
    const Header frame = header(jpeg);
    const Dimensions size = decodedSize({frame.width, frame.height}, minWidth, minHeight);
    Raster raster{size.width, size.height, components, {}};
    raster.samples.resize(raster.rowBytes() * static_cast<std::size_t>(raster.height));
    check(tjDecompress2(m_handle, bytes(jpeg), jpeg.size(), raster.samples.data(), raster.width, 0,
                        raster.height, pixelFormat(components), TJFLAG_STOPONWARNING));
    return raster;
}

Dimensions TurboJpeg::decodedSize(Dimensions frame, int minWidth, int minHeight)
{
    const tjscalingfactor factor = reduction(frame.width, frame.height, minWidth, minHeight);
    return {TJSCALED(frame.width, factor), TJSCALED(frame.height, factor)};
}

std::string TurboJpeg::encode(const Raster& raster, int quality)
{
    unsigned char* output = nullptr;
    unsigned long size = 0;
    const int subsampling = raster.components == 1 ? TJSAMP_GRAY : TJSAMP_420;
    const int status =
        tjCompress2(m_handle, raster.samples.data(), raster.width, 0, raster.height,
                    pixelFormat(raster.components), &output, &size, subsampling, quality, 0);
    const std::unique_ptr<unsigned char, TurboJpegBuffer> owned(output);
    check(status);
    return std::string(reinterpret_cast<const char*>(output), size);
}

} // namespace zurbo::engine
