#pragma once

#include "Raster.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// TurboJpeg: one TurboJPEG handle, compressing or decompressing, destroyed
// with the value. Every failing TurboJPEG call becomes a TurboJpeg::Error
// carrying the library's message.
// ----------------------------------------------------------------------------
class TurboJpeg {
public:
    class Error : public std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    struct Header {
        int width;
        int height;
        int components; // 1 (grey), 3 (colour) or 4 (CMYK or YCCK)
    };

    static TurboJpeg compressor();
    static TurboJpeg decompressor();

    TurboJpeg(TurboJpeg&& other) noexcept;
    TurboJpeg& operator=(TurboJpeg&&) = delete;
    TurboJpeg(const TurboJpeg&) = delete;
    TurboJpeg& operator=(const TurboJpeg&) = delete;
    ~TurboJpeg();

    // Decompressor only. Reads the frame header of `jpeg`.
    Header header(std::string_view jpeg);

    // Decompressor only. Decodes `jpeg` into `components` samples per pixel,
    // scaled down by the smallest of 1/2, 1/4, 1/8 that still leaves at least
    // minWidth x minHeight pixels (full size when none does).
    Raster decode(std::string_view jpeg, int components, int minWidth, int minHeight);
    // The size decode() gives a frame of `frame` for that least size.
    static Dimensions decodedSize(Dimensions frame, int minWidth, int minHeight);

    // Compressor only. Baseline JPEG of `raster` (1, 3 or 4 components) at
    // `quality`; colour is subsampled 4:2:0.
    std::string encode(const Raster& raster, int quality);

private:
    explicit TurboJpeg(void* handle);
    void check(int status) const;

    void* m_handle;
};

} // namespace zurbo::engine
