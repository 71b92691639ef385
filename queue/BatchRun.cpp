#include "BatchRun.h"

#include "JobListModel.h"
#include "ProgressTicker.h"

#include <QFile>

#include <utility>

namespace zurbo {

BatchRun::BatchRun(JobListModel* jobs, QHash<QUuid, QString> destinations, BatchSettings settings,
                   CompressFunction compress, std::chrono::milliseconds tickInterval,
                   QObject* parent)
    : QObject(parent), m_jobs(jobs), m_destinations(std::move(destinations)), m_settings(settings),
      m_compress(std::move(compress)), m_tickInterval(tickInterval)
{
    connect(&m_engineCall, &QFutureWatcher<CompressOutcome>::finished, this,
            [this] { finishJob(m_engineCall.result()); });
}

BatchRun::~BatchRun()
{
    m_stop.requestStop();
}

void BatchRun::start()
{
    m_jobCount = m_jobs->count();
    startNextJob();
}

void BatchRun::startNextJob()
{
    for (; m_next < m_jobCount; ++m_next) {
        // A copy: the update below may move the list's storage.
        const PDFJob job = m_jobs->jobs().at(m_next);
        const auto destination = m_destinations.constFind(job.id);
        // A job queued while the destinations were being chosen has none; it
        // keeps waiting for the next batch rather than guessing where to write.
        if (job.state.is(JobState::Kind::compressing) || destination == m_destinations.cend()) {
            continue;
        }
        if (overwritesLaterSource(*destination, laterSources(m_next))) {
            m_jobs->update(m_next, [](PDFJob& refused) {
                refused.state = JobState::failed(destinationIsQueuedSourceMessage);
                refused.progress = 0.0;
            });
            continue;
        }
        m_current = m_next++;
        m_jobs->update(m_current, [](PDFJob& started) {
            started.state = JobState::compressing();
            started.progress = 0.04;
        });
        m_ticker = std::make_unique<ProgressTicker>(m_jobs, job.id, m_tickInterval);
        m_ticker->start();
        const CompressRequest request{job.source,
                                      *destination,
                                      m_settings.profile,
                                      m_settings.targetBytes,
                                      m_settings.cleanMetadata,
                                      m_stop.token()};
        m_engineCall.setFuture(runCompressInBackground(m_compress, request));
        return;
    }
    emit finished();
}

QStringList BatchRun::laterSources(int index) const
{
    QStringList sources;
    for (int later = index + 1; later < m_jobCount; ++later) {
        const PDFJob& job = m_jobs->jobs().at(later);
        if (m_destinations.contains(job.id)) {
            sources.append(job.source);
        }
    }
    return sources;
}

void BatchRun::finishJob(const CompressOutcome& outcome)
{
    m_jobs->update(m_current, [&outcome](PDFJob& job) {
        if (outcome.cancelled) {
            job.state = JobState::waiting();
            job.progress = 0.0;
        } else if (outcome.result) {
            job.output = QFile::decodeName(outcome.result->url.c_str());
            job.outputBytes = outcome.result->bytes;
            job.state = JobState::complete();
            job.progress = 1.0;
            job.targetReached = outcome.result->targetReached;
        } else {
            job.state = JobState::failed(outcome.errorMessage);
            job.progress = 0.0;
        }
    });
    m_ticker.reset();
    if (outcome.cancelled) {
        emit finished();
        return;
    }
    startNextJob();
}

} // namespace zurbo
