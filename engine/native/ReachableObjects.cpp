#include "ReachableObjects.h"

#include <set>

namespace zurbo::engine {

std::vector<QPDFObjectHandle> ReachableObjects::of(QPDF& document, Notices notices)
{
    std::vector<QPDFObjectHandle> reached;
    std::set<QPDFObjGen> seen;
    std::vector<QPDFObjectHandle> pending{document.getTrailer()};
    while (!pending.empty()) {
        QPDFObjectHandle object = pending.back();
        pending.pop_back();
        try {
            if (object.isIndirect()) {
                if (!seen.insert(object.getObjGen()).second) {
                    continue;
                }
                reached.push_back(object);
            }
            if (object.isStream()) {
                object = object.getDict();
            }
            if (object.isArray()) {
                for (QPDFObjectHandle item : object.aitems()) {
                    pending.push_back(item);
                }
            } else if (object.isDictionary()) {
                for (auto [key, value] : object.ditems()) {
                    pending.push_back(value);
                }
            }
        } catch (const std::exception& error) {
            notices.report(EngineNotice::Reason::structureDamaged, object,
                           std::string(error.what()) + "; it leads nowhere");
        }
    }
    return reached;
}

} // namespace zurbo::engine
