#pragma once

#include "EngineNotice.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <string_view>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// Notices: passes what a run left as it was on to the caller's EngineNotices,
// or nowhere when the caller set none. Copied freely, like a StopToken; call
// it on the run's calling thread only (workers keep theirs in their tasks).
// ----------------------------------------------------------------------------
class Notices {
public:
    Notices() = default;
    explicit Notices(const EngineNotices& sink) : m_sink(sink ? &sink : nullptr) {}

    void report(const EngineNotice& notice) const;
    // "12 0 R: what" about `object`, or just `what` for a direct object.
    void report(EngineNotice::Reason reason, QPDFObjectHandle object, std::string_view what) const;

    // The notice report() would pass on, for a worker to keep until then.
    static EngineNotice about(EngineNotice::Reason reason, QPDFObjectHandle object,
                              std::string_view what);

private:
    const EngineNotices* m_sink = nullptr;
};

} // namespace zurbo::engine
