#include "ScriptedEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <mutex>
#include <thread>

namespace zurbo::testing {

struct ScriptedEngine::State {
    mutable std::mutex mutex;
    QHash<QString, Answer> answers;
    QList<Call> calls;
};

ScriptedEngine::ScriptedEngine() : m_state(std::make_shared<State>()) {}

void ScriptedEngine::script(const QString& fileName, Answer answer)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->answers.insert(fileName, answer);
}

CompressFunction ScriptedEngine::function() const
{
    return [state = m_state](const CompressRequest& request) {
        Answer answer;
        {
            const std::lock_guard lock(state->mutex);
            const bool onMainThread = QThread::currentThread() == qApp->thread();
            state->calls.append({request, onMainThread});
            answer = state->answers.value(QFileInfo(request.source).fileName());
        }
        std::this_thread::sleep_for(answer.delay);
        if (!answer.error.empty()) {
            throw PDFEngine::EngineError::compressionFailed(answer.error);
        }
        return PDFEngine::Result{QFile::encodeName(request.destination).toStdString(), answer.bytes,
                                 answer.targetReached};
    };
}

QList<ScriptedEngine::Call> ScriptedEngine::calls() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->calls;
}

QStringList ScriptedEngine::calledFiles() const
{
    QStringList names;
    for (const Call& call : calls()) {
        names.append(QFileInfo(call.request.source).fileName());
    }
    return names;
}

} // namespace zurbo::testing
