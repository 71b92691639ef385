#include "ProgressTicker.h"

#include "JobListModel.h"

#include <algorithm>
#include <cmath>

namespace zurbo {

namespace {

// The bar after one tick from `progress`.
double advanced(double progress)
{
    // Counted in thousandths so that the bar lands on 0.115, 0.19, ... exactly
    // rather than drifting by a rounding error per tick.
    const long thousandths = std::lround(progress * 1000.0);
    const long step = thousandths < 550 ? 75 : 25;
    return static_cast<double>(std::min(thousandths + step, 930L)) / 1000.0;
}

} // namespace

ProgressTicker::ProgressTicker(JobListModel* jobs, QUuid jobId, std::chrono::milliseconds interval,
                               QObject* parent)
    : QObject(parent), m_jobs(jobs), m_jobId(jobId)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ProgressTicker::tick);
}

void ProgressTicker::start()
{
    m_timer.start();
}

void ProgressTicker::cancel()
{
    m_timer.stop();
}

void ProgressTicker::tick()
{
    const int row = m_jobs ? m_jobs->indexOf(m_jobId) : -1;
    if (row < 0 || !m_jobs->jobs().at(row).state.is(JobState::Kind::compressing)) {
        cancel();
        return;
    }
    m_jobs->update(row, [](PDFJob& job) { job.progress = advanced(job.progress); });
}

} // namespace zurbo
