#pragma once

#include "ImageRecompressor.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <memory>
#include <optional>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ImageStream: an image XObject the engine knows how to recompress.
//
// Only 8-bit DeviceGray, DeviceRGB, DeviceCMYK and one- or three-component
// ICCBased images qualify, stored as a lone DCTDecode JPEG or through
// lossless filters and predictors. Everything else (image masks, other depths, JPEG 2000,
// JBIG2, CCITT, Indexed, Separation, DeviceN, Lab, colour-key masks, sizes
// over 400 megapixels) is left as it is.
// ----------------------------------------------------------------------------
class ImageStream {
public:
    // The image, when it qualifies.
    static std::optional<ImageStream> inspect(QPDFObjectHandle image);

    Dimensions dimensions() const { return m_dimensions; }
    bool isJpeg() const { return m_encoding == Encoding::jpeg; }
    // The qualifying 8-bit grey soft mask, when the image has one.
    const ImageStream* softMask() const { return m_softMask.get(); }
    QPDFObjectHandle object() const { return m_object; }

    // How many bytes the stream stores, as its dictionary says (0 when it does not).
    std::size_t storedBytes() const;

    // The stream's bytes as stored, for a worker to decode. Throws when they
    // cannot be read.
    ImageRecompressor::Source read() const;

    // Replaces the image (and its soft mask when the result has one).
    void replace(const ImageRecompressor::Result& result) const;

private:
    using Encoding = ImageRecompressor::Source::Encoding;

    ImageStream(QPDFObjectHandle object, Dimensions dimensions, int components, Encoding encoding,
                Predictor::Kind predictor);
    // The image when it qualifies, its soft mask not considered.
    static std::optional<ImageStream> qualifying(QPDFObjectHandle image);

    // A handle, whose reading methods are not const.
    mutable QPDFObjectHandle m_object;
    Dimensions m_dimensions;
    int m_components;
    Encoding m_encoding;
    Predictor::Kind m_predictor;
    std::shared_ptr<const ImageStream> m_softMask;
};

} // namespace zurbo::engine
