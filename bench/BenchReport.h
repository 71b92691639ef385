#pragma once

#include "BenchRow.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zurbo::bench {

// How one engine fares against Ghostscript over the runs both finished.
struct EngineSummary {
    std::string engine;
    int runs = 0;
    int failures = 0;
    // Runs where pdftotext gave the source's text back.
    int textUnchanged = 0;
    // Runs of this engine matched by a successful Ghostscript run on the same
    // document and profile; the comparisons below are over these only.
    int comparedRuns = 0;
    std::optional<double> sizeRatioGeometricMean = std::nullopt;
    std::optional<double> ssimMeanDifference = std::nullopt;
    std::optional<double> speedupGeometricMean = std::nullopt;
    // This engine's CPU time over Ghostscript's; below 1 is less work.
    std::optional<double> cpuRatioGeometricMean = std::nullopt;
};

// The engine whose rows every other engine is compared with.
inline constexpr const char* referenceEngine = "ghostscript";

// One summary per engine, in the order the engines first appear in `rows`.
std::vector<EngineSummary> summarize(const std::vector<BenchRow>& rows);

// Writes the Markdown table of every row, the per-engine summary, the bytes
// by kind per document set, the CPU time of each stage for the engines that
// report stages, what the native engine left as it was per reason and set,
// the cost of each hostile input, and the notes (engines skipped and why).
void writeMarkdownReport(std::ostream& out, const std::vector<BenchRow>& rows,
                         const std::vector<BenchRow>& hostileRows,
                         const std::vector<std::string>& notes);

} // namespace zurbo::bench
