#pragma once

#include "CompressRequest.h"

#include <QList>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace zurbo::testing {

// A stand-in for the engine: answers each source file (by file name) as
// scripted, after an optional delay, and records every call.
class ScriptedEngine {
public:
    struct Answer {
        // Result size; ignored when `error` is set.
        std::int64_t bytes = 1;
        std::optional<bool> targetReached;
        // Thrown as the engine's compressionFailed error when not empty.
        std::string error;
        std::chrono::milliseconds delay{0};

        static Answer succeeds(std::int64_t bytes, std::optional<bool> targetReached = {},
                               std::chrono::milliseconds delay = {})
        {
            return {bytes, targetReached, {}, delay};
        }
        static Answer fails(std::string error) { return {1, {}, std::move(error), {}}; }
    };

    struct Call {
        CompressRequest request;
        bool onMainThread = false;
    };

    ScriptedEngine();

    // Files without an answer succeed with 1 byte at once.
    void script(const QString& fileName, Answer answer);
    CompressFunction function() const;
    QList<Call> calls() const;
    // The file names the calls were for, in call order.
    QStringList calledFiles() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace zurbo::testing
