#include "DetachedDecoder.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

#include <memory>

namespace zurbo::engine {

DetachedDecoder::Outcome DetachedDecoder::decode(std::string_view stored,
                                                 const std::string& filters,
                                                 const std::string& parameters, Pipeline& sink)
{
    QPDF scratch;
    scratch.setSuppressWarnings(true);
    scratch.emptyPDF();
    QPDFObjectHandle stream = scratch.newStream();
    // A buffer over the bytes rather than a copy; qpdf only reads them.
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(stored.data()));
    stream.replaceStreamData(std::make_shared<Buffer>(bytes, stored.size()),
                             QPDFObjectHandle::parse(filters), QPDFObjectHandle::parse(parameters));
    bool filtered = false;
    if (!stream.pipeStreamData(&sink, &filtered, 0, qpdf_dl_specialized, true, false) ||
        !filtered) {
        return Outcome::failed;
    }
    return scratch.numWarnings() == 0 ? Outcome::exact : Outcome::repaired;
}

} // namespace zurbo::engine
