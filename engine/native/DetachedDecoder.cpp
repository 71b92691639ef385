#include "DetachedDecoder.h"

#include <qpdf/QPDF.hh>

namespace zurbo::engine {

bool DetachedDecoder::decode(const std::string& stored, const std::string& filters,
                             const std::string& parameters, Pipeline& sink)
{
    QPDF scratch;
    scratch.setSuppressWarnings(true);
    scratch.emptyPDF();
    QPDFObjectHandle stream = scratch.newStream();
    stream.replaceStreamData(stored, QPDFObjectHandle::parse(filters),
                             QPDFObjectHandle::parse(parameters));
    bool filtered = false;
    return stream.pipeStreamData(&sink, &filtered, 0, qpdf_dl_specialized, true, false) &&
           filtered && scratch.numWarnings() == 0;
}

} // namespace zurbo::engine
