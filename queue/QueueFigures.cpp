#include "QueueFigures.h"

#include "SizeFigures.h"

namespace zurbo {

namespace {

// Large files carry more image weight that compresses well, so their ratio is lower.
double estimateRatio(CompressionProfile profile, std::int64_t bytes)
{
    struct Ratios {
        double small;
        double medium;
        double large;
    };
    const Ratios ratios = [profile]() -> Ratios {
        switch (profile) {
        case CompressionProfile::respectful:
            return {0.92, 0.76, 0.52};
        case CompressionProfile::balanced:
            return {0.84, 0.57, 0.31};
        case CompressionProfile::demolition:
            return {0.76, 0.41, 0.19};
        }
        return {1.0, 1.0, 1.0};
    }();
    const double mebibytes = static_cast<double>(bytes) / bytesPerMegabyte;
    if (mebibytes < 0.5) {
        return ratios.small;
    }
    return mebibytes < 2.0 ? ratios.medium : ratios.large;
}

} // namespace

double overallProgress(const QList<PDFJob>& jobs)
{
    if (jobs.isEmpty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (const PDFJob& job : jobs) {
        sum += job.state.is(JobState::Kind::complete) ? 1.0 : job.progress;
    }
    return sum / static_cast<double>(jobs.size());
}

std::int64_t totalOutputBytes(const QList<PDFJob>& jobs)
{
    std::int64_t sum = 0;
    for (const PDFJob& job : jobs) {
        if (job.state.is(JobState::Kind::complete)) {
            sum += job.outputBytes.value_or(0);
        }
    }
    return sum;
}

std::int64_t totalCompletedOriginalBytes(const QList<PDFJob>& jobs)
{
    std::int64_t sum = 0;
    for (const PDFJob& job : jobs) {
        if (job.state.is(JobState::Kind::complete)) {
            sum += job.originalBytes;
        }
    }
    return sum;
}

int totalSavings(const QList<PDFJob>& jobs)
{
    return savingsPercent(totalCompletedOriginalBytes(jobs), totalOutputBytes(jobs));
}

std::int64_t estimatedBytes(const QList<PDFJob>& jobs, CompressionProfile profile)
{
    std::int64_t sum = 0;
    for (const PDFJob& job : jobs) {
        const double ratio = estimateRatio(profile, job.originalBytes);
        sum += static_cast<std::int64_t>(static_cast<double>(job.originalBytes) * ratio);
    }
    return sum;
}

} // namespace zurbo
