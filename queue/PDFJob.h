#pragma once

#include "JobState.h"
#include "PDFEngine.h"

#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// One PDF in the main window's queue: its sizes, state, progress and the
// result of its last successful run. A plain value: the queue stores the
// records themselves and changes a job by writing a field of its element.
//
// Paths are absolute local file paths; `source` is kept exactly as the user
// gave it.
// ----------------------------------------------------------------------------
struct PDFJob {
    QUuid id;
    QString source;
    // Where the last successful run wrote its result.
    std::optional<QString> output;
    // Size of `source` when it was queued; never refreshed.
    std::int64_t originalBytes = 0;
    std::optional<std::int64_t> outputBytes;
    JobState state;
    // What the job's bar shows, 0.0 to 1.0.
    double progress = 0.0;
    // None when the last successful run had no target size.
    std::optional<bool> targetReached;
    // The engine that made the last successful run's output.
    std::optional<PDFEngine::Engine> engine;
    // The last run failed for want of the source's password.
    bool needsPassword = false;
    // The password the user gave for the next run; that run drops it.
    QString password;

    // A waiting job with a fresh random id.
    static PDFJob queued(QString source, std::int64_t originalBytes);

    // The whole percentage by which the result is smaller than the source,
    // never negative; none without a result or when the source was empty.
    std::optional<int> savings() const;

    // The last component of `source`.
    QString fileName() const;
};

} // namespace zurbo
