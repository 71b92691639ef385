#pragma once

#include "CompressRequest.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace zurbo::testing {

// What the stand-in engine answers for one source file.
struct ScriptedOutcome {
    std::int64_t bytes = 0;
    std::optional<bool> targetReached;
    // Where the result lives; the request's destination when empty.
    std::filesystem::path output;
    // When set, the call fails with this engine message instead.
    std::optional<std::string> failure;

    static ScriptedOutcome result(std::int64_t bytes, std::optional<bool> targetReached = {},
                                  std::filesystem::path output = {}) {
        return {bytes, targetReached, std::move(output), std::nullopt};
    }
    static ScriptedOutcome failing(std::string message) { return {0, {}, {}, std::move(message)}; }
};

// ----------------------------------------------------------------------------
// An engine stand-in for the window's model: answers by source file name,
// without touching any file, and can be held so that a batch stays running.
// ----------------------------------------------------------------------------
class ScriptedEngine {
public:
    ScriptedEngine();
    // Lets a held call finish, so that no worker outlives the test.
    ~ScriptedEngine();

    void script(const QString& fileName, ScriptedOutcome outcome);
    // Calls block from now until release().
    void hold();
    void release();

    CompressFunction function() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace zurbo::testing
