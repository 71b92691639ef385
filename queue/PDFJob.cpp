#include "PDFJob.h"

#include <QFileInfo>

#include <cmath>

namespace zurbo {

PDFJob PDFJob::queued(QString source, std::int64_t originalBytes)
{
    PDFJob job;
    job.id = QUuid::createUuid();
    job.source = std::move(source);
    job.originalBytes = originalBytes;
    return job;
}

std::optional<int> PDFJob::savings() const
{
    if (!outputBytes || originalBytes < 1) {
        return std::nullopt;
    }
    return savingsPercent(originalBytes, *outputBytes);
}

QString PDFJob::fileName() const
{
    return QFileInfo(source).fileName();
}

int savingsPercent(std::int64_t originalBytes, std::int64_t outputBytes)
{
    const double ratio = static_cast<double>(outputBytes) / static_cast<double>(originalBytes);
    // Clamped before the conversion: a result far larger than its source would not fit an int.
    const double percent = std::trunc((1.0 - ratio) * 100.0);
    return percent > 0.0 ? static_cast<int>(percent) : 0;
}

} // namespace zurbo
