#include "Notices.h"

namespace zurbo::engine {

void Notices::report(const EngineNotice& notice) const
{
    if (m_sink) {
        (*m_sink)(notice);
    }
}

void Notices::report(EngineNotice::Reason reason, QPDFObjectHandle object,
                     std::string_view what) const
{
    if (m_sink) {
        report(about(reason, object, what));
    }
}

EngineNotice Notices::about(EngineNotice::Reason reason, QPDFObjectHandle object,
                            std::string_view what)
{
    std::string detail = object.isIndirect() ? object.getObjGen().unparse(' ') + " R: " : "";
    detail += what;
    return {reason, std::move(detail)};
}

} // namespace zurbo::engine
