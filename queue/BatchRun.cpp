#include "BatchRun.h"

#include "JobListModel.h"
#include "ProgressTicker.h"

#include <QFile>

#include <utility>
#include <vector>

namespace zurbo {

BatchRun::BatchRun(JobListModel* jobs, QHash<QUuid, QString> destinations, BatchSettings settings,
                   CompressFunction compress, std::chrono::milliseconds tickInterval,
                   QObject* parent)
    : QObject(parent), m_jobs(jobs), m_destinations(std::move(destinations)), m_settings(settings),
      m_compress(std::move(compress)), m_tickInterval(tickInterval)
{
    connect(&m_engineCall, &QFutureWatcher<CompressionRun::Outcome>::finished, this, [this] {
        m_run->finish(m_current, m_engineCall.result());
        m_ticker.reset();
        startNextJob();
    });
}

BatchRun::~BatchRun()
{
    m_stop.requestStop();
}

void BatchRun::start()
{
    std::vector<CompressionRun::File> files;
    for (int row = 0; row < m_jobs->count(); ++row) {
        const PDFJob& job = m_jobs->jobs().at(row);
        // A job queued while the destinations were being chosen has none; it
        // keeps waiting for the next batch rather than guessing where to write.
        const auto destination = m_destinations.constFind(job.id);
        if (destination != m_destinations.cend() && !job.state.is(JobState::Kind::compressing)) {
            files.push_back(runFile(job.source, *destination));
            m_rows.append(row);
        }
    }
    m_run.emplace(std::move(files), CompressionRun::AfterFailure::goOn, m_stop.token(),
                  [this](std::size_t index, const CompressionRun::Outcome& outcome) {
                      record(index, outcome);
                  });
    startNextJob();
}

void BatchRun::startNextJob()
{
    const std::optional<std::size_t> index = m_run->startNext();
    if (!index) {
        emit finished();
        return;
    }
    m_current = *index;
    const int row = m_rows.at(static_cast<qsizetype>(m_current));
    // A copy: the update below may move the list's storage.
    const PDFJob job = m_jobs->jobs().at(row);
    m_jobs->update(row, [](PDFJob& started) {
        started.state = JobState::compressing();
        started.progress = 0.04;
        started.password.clear();
    });
    m_ticker = std::make_unique<ProgressTicker>(m_jobs, job.id, m_tickInterval);
    m_ticker->start();
    const CompressRequest request{job.source,
                                  m_destinations.value(job.id),
                                  m_settings.profile,
                                  m_settings.targetBytes,
                                  m_settings.cleanMetadata,
                                  job.password.toStdString(),
                                  m_stop.token()};
    m_engineCall.setFuture(runCompressInBackground(m_compress, request));
}

void BatchRun::record(std::size_t index, const CompressionRun::Outcome& outcome)
{
    m_jobs->update(m_rows.at(static_cast<qsizetype>(index)), [&outcome](PDFJob& job) {
        job.needsPassword = outcome.needsPassword;
        if (outcome.cancelled) {
            job.state = JobState::waiting();
            job.progress = 0.0;
        } else if (outcome.result) {
            job.output = QFile::decodeName(outcome.result->url.c_str());
            job.outputBytes = outcome.result->bytes;
            job.state = JobState::complete();
            job.progress = 1.0;
            job.targetReached = outcome.result->targetReached;
            job.engine = outcome.result->engine;
        } else {
            job.state = JobState::failed(QString::fromStdString(outcome.error));
            job.progress = 0.0;
        }
    });
}

} // namespace zurbo
