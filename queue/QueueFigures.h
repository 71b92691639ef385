#pragma once

#include "CompressionProfile.h"
#include "PDFJob.h"

#include <QList>

#include <cstdint>

namespace zurbo {

// ----------------------------------------------------------------------------
// The figures the main window shows about a whole queue, computed afresh
// from the jobs on every call.
// ----------------------------------------------------------------------------

// 0.0 for an empty queue; otherwise the mean of the jobs' bars, a complete job
// counting as 1.0.
double overallProgress(const QList<PDFJob>& jobs);

// The sum of the results' sizes over the complete jobs.
std::int64_t totalOutputBytes(const QList<PDFJob>& jobs);

// The sum of the sources' sizes over the complete jobs.
std::int64_t totalCompletedOriginalBytes(const QList<PDFJob>& jobs);

// The whole percentage saved over the complete jobs, never negative; 0 when
// they add up to no bytes.
int totalSavings(const QList<PDFJob>& jobs);

// A forecast of the queue's total size after compression with `profile`,
// whatever the jobs' states: each size times a ratio that falls with the
// file's size, truncated, added up.
std::int64_t estimatedBytes(const QList<PDFJob>& jobs, CompressionProfile profile);

} // namespace zurbo
