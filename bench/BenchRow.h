#pragma once

#include "ByteKinds.h"
#include "CompressionProfile.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zurbo::bench {

// One engine's run on one document with one profile.
struct BenchRow {
    // CPU seconds per stage of an engine that reports its stages, in order.
    using Stages = std::vector<std::pair<std::string, double>>;
    // How many things the engine left as they were, by EngineNotice reason name.
    using NoticeCounts = std::map<std::string, int>;

    std::string file;
    // The folder the document lies in: photo, text, ...
    std::string set;
    CompressionProfile profile = CompressionProfile::balanced;
    std::string engine;
    std::int64_t sourceBytes = 0;
    // Set when the engine failed; the measurements below are then meaningless.
    std::optional<std::string> error = std::nullopt;
    std::int64_t outputBytes = 0;
    ByteKinds outputKinds = {};
    double seconds = 0;
    // User and system time of the engine's process (and of the tool it ran).
    double cpuSeconds = 0;
    std::int64_t peakBytes = 0;
    Stages stages = {};
    NoticeCounts notices = {};
    // Mean over the source's pages; pages missing from the output, or all of
    // them when the output cannot be rendered, count as 0.
    double meanSsim = 0;
    // None when pdftotext fails on the source or on the output.
    std::optional<bool> textUnchanged = std::nullopt;

    bool succeeded() const { return !error.has_value(); }
    double sizeRatio() const
    {
        return static_cast<double>(outputBytes) / static_cast<double>(sourceBytes);
    }
};

} // namespace zurbo::bench
