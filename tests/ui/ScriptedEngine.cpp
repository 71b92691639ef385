#include "ScriptedEngine.h"

#include <QFileInfo>

#include <condition_variable>
#include <mutex>

namespace zurbo::testing {

struct ScriptedEngine::State {
    std::mutex mutex;
    std::condition_variable released;
    bool held = false;
    std::map<QString, ScriptedOutcome> outcomes;
};

ScriptedEngine::ScriptedEngine() : m_state(std::make_shared<State>()) {}

ScriptedEngine::~ScriptedEngine() {
    release();
}

void ScriptedEngine::script(const QString& fileName, ScriptedOutcome outcome) {
    const std::lock_guard lock(m_state->mutex);
    m_state->outcomes[fileName] = std::move(outcome);
}

void ScriptedEngine::hold() {
    const std::lock_guard lock(m_state->mutex);
    m_state->held = true;
}

void ScriptedEngine::release() {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->held = false;
    }
    m_state->released.notify_all();
}

CompressFunction ScriptedEngine::function() const {
    return [state = m_state](const CompressRequest& request) {
        std::unique_lock lock(state->mutex);
        state->released.wait(lock, [&] { return !state->held; });
        const ScriptedOutcome outcome = state->outcomes[QFileInfo(request.source).fileName()];
        if (outcome.failure) {
            throw PDFEngine::EngineError::compressionFailed(*outcome.failure);
        }
        const std::filesystem::path url =
            outcome.output.empty() ? std::filesystem::path(request.destination.toStdString())
                                   : outcome.output;
        return PDFEngine::Result{url, outcome.bytes, outcome.targetReached};
    };
}

} // namespace zurbo::testing
