#include "PDFJob.h"

#include "SizeFigures.h"

#include <QFileInfo>

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

} // namespace zurbo
