#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUuid>

#include <chrono>

namespace zurbo {

class JobListModel;

// ----------------------------------------------------------------------------
// Moves one compressing job's bar forward on a timer, since the engine
// reports no progress: quickly at first, then slowly, and never past 0.93 so
// that the bar never looks finished before the engine is.
//
// It knows the job by its id and the queue only weakly, and stops for good
// at the first tick that finds the queue gone, the job gone, or the job no
// longer compressing; so a tick after the outcome never touches the final
// 1.0 or 0.0.
// ----------------------------------------------------------------------------
class ProgressTicker : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultInterval{520};

    ProgressTicker(JobListModel* jobs, QUuid jobId, std::chrono::milliseconds interval,
                   QObject* parent = nullptr);

    void start();
    void cancel();
    bool isRunning() const { return m_timer.isActive(); }

    // One step of the timer.
    void tick();

private:
    QPointer<JobListModel> m_jobs;
    QUuid m_jobId;
    QTimer m_timer;
};

} // namespace zurbo
