#pragma once

#include "ChildProcess.h"
#include "PDFEngine.h"
#include "SourceFile.h"
#include "StopToken.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zurbo::engine {

// How a command-line engine's exit is judged.
struct ToolVerdict {
    std::vector<int> successStatuses;
    // How many of standard error's last non-empty lines make up the failure message.
    std::size_t keptErrorLines;
    // Words on standard error that say the output ran out of disk space,
    // whatever the exit status.
    std::vector<std::string> outOfSpaceSigns;
};

// The names a tool is given for the source and the output: its descriptors 3
// and 4, the files we opened. They hold whatever bytes the real names hold
// (Ghostscript drops those that are not UTF-8) and no rename changes them.
inline const std::string toolSourceName = "/proc/self/fd/3";
inline const std::string toolOutputName = "/proc/self/fd/4";

// Whether `path` is a regular file the current user may execute.
bool isExecutableFile(const std::filesystem::path& path);

// The first of `candidates` that is an executable file, or none.
std::optional<std::string> firstExecutable(std::span<const std::string> candidates);

// Runs one external engine that reads `source` and writes `output` (created
// when missing), handed to it as toolSourceName and toolOutputName. On a
// failing exit the output is removed and EngineError::compressionFailed
// carries the tool's last error lines, or EngineError::diskFull when standard
// error shows a sign of it; a tool still running at the deadline of `limits`
// is ended and gives EngineError::engineStalled. A tool that cannot be started
// throws LaunchError unchanged, and a requested `stop` ends the tool and
// throws PDFEngine::Cancelled.
void runTool(const std::string& executable, const std::vector<std::string>& arguments,
             const SourceFile& source, const std::filesystem::path& output,
             const ToolVerdict& verdict, StopToken stop, const ChildLimits& limits = {});

} // namespace zurbo::engine
