#pragma once

#include "CompressRequest.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace zurbo::testing {

// Stands in for the engine: answers each source file (by file name) as scripted,
// else with 1 byte at once, after an optional delay, and records every call.
class ScriptedEngine {
public:
    struct Answer {
        std::int64_t bytes = 1;
        std::optional<bool> targetReached;
        std::string error; // thrown as the engine's compressionFailed when not empty
        std::chrono::milliseconds delay{0};
        // When not empty: the source is locked, and opens with this password only.
        std::string password;

        static Answer succeeds(std::int64_t bytes, std::optional<bool> targetReached = {},
                               std::chrono::milliseconds delay = {})
        {
            return {bytes, targetReached, {}, delay};
        }
        static Answer fails(std::string error) { return {1, {}, std::move(error), {}}; }
        static Answer locked(std::string password) { return {1, {}, {}, {}, std::move(password)}; }
    };
    struct Call {
        CompressRequest request;
        bool onMainThread = false;
    };

    void script(const QString& fileName, Answer answer)
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->answers.insert(fileName, answer);
    }

    CompressFunction function() const
    {
        return [state = m_state](const CompressRequest& request) {
            std::unique_lock lock(state->mutex);
            state->calls.append({request, QThread::currentThread() == qApp->thread()});
            const Answer answer = state->answers.value(QFileInfo(request.source).fileName());
            lock.unlock();
            std::this_thread::sleep_for(answer.delay);
            if (!answer.error.empty()) {
                throw PDFEngine::EngineError::compressionFailed(answer.error);
            }
            if (answer.password != request.password && !answer.password.empty()) {
                throw PDFEngine::EngineError::passwordRequired();
            }
            return PDFEngine::Result{QFile::encodeName(request.destination).toStdString(),
                                     answer.bytes, answer.targetReached};
        };
    }

    QList<Call> calls() const
    {
        const std::lock_guard lock(m_state->mutex);
        return m_state->calls;
    }

    QStringList calledFiles() const
    {
        QStringList names;
        for (const Call& call : calls()) {
            names.append(QFileInfo(call.request.source).fileName());
        }
        return names;
    }

private:
    struct State {
        std::mutex mutex;
        QHash<QString, Answer> answers;
        QList<Call> calls;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// An engine call that waits for its stop, notes in `stopped` whether it came, and ends as
// stopped; bounded, so that a run nobody stops fails the test instead of hanging it.
inline CompressFunction waitingForStop(std::atomic<bool>& stopped)
{
    return [&stopped](const CompressRequest& request) -> PDFEngine::Result {
        for (int waited = 0; waited < 2000 && !request.stop.stopRequested(); ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        stopped = request.stop.stopRequested();
        throw PDFEngine::Cancelled();
    };
}

} // namespace zurbo::testing
