#pragma once

#include "BatchSettings.h"
#include "CompressRequest.h"
#include "CompressionRun.h"

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <chrono>
#include <memory>
#include <optional>

namespace zurbo {

class JobListModel;
class ProgressTicker;

// ----------------------------------------------------------------------------
// One run of the queue through the engine, one job after another.
//
// Everything but the engine call happens on the thread that owns the run
// (the main thread): between two steps that thread is free, so the window
// keeps drawing. Each engine call runs on a worker thread and its outcome
// comes back through the event loop. The run covers the jobs that were
// queued when it started and have a destination, under the guards of a
// CompressionRun; a failure marks its job and the run goes on.
//
// A run that goes away (window closed, application quitting) asks the engine
// call in progress to stop; a cancelled job goes back to waiting and no later
// job starts.
// ----------------------------------------------------------------------------
class BatchRun : public QObject {
    Q_OBJECT

public:
    BatchRun(JobListModel* jobs, QHash<QUuid, QString> destinations, BatchSettings settings,
             CompressFunction compress, std::chrono::milliseconds tickInterval,
             QObject* parent = nullptr);
    ~BatchRun() override;

    // Starts the first job; finished() follows once every job had its turn.
    void start();

signals:
    void finished();

private:
    void startNextJob();
    // Writes a file's outcome into its job.
    void record(std::size_t index, const CompressionRun::Outcome& outcome);

    JobListModel* m_jobs;
    QHash<QUuid, QString> m_destinations;
    BatchSettings m_settings;
    CompressFunction m_compress;
    std::chrono::milliseconds m_tickInterval;
    // The queue row of each file of the run.
    QList<int> m_rows;
    std::optional<CompressionRun> m_run;
    // The file in the engine now.
    std::size_t m_current = 0;
    std::unique_ptr<ProgressTicker> m_ticker;
    QFutureWatcher<CompressionRun::Outcome> m_engineCall;
    StopSource m_stop;
};

} // namespace zurbo
