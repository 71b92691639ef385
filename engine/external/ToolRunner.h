#pragma once

#include "PDFEngine.h"
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
};

// Whether `path` is a regular file the current user may execute.
bool isExecutableFile(const std::filesystem::path& path);

// The first of `candidates` that is an executable file, or none.
std::optional<std::string> firstExecutable(std::span<const std::string> candidates);

// Runs one external engine that writes `output`. On a failing exit the output
// is removed and EngineError::compressionFailed carries the tool's last error
// lines; a tool that cannot be started throws std::system_error unchanged, and
// a requested `stop` ends the tool and throws PDFEngine::Cancelled.
void runTool(const std::string& executable, const std::vector<std::string>& arguments,
             const std::filesystem::path& output, ToolVerdict verdict, StopToken stop);

} // namespace zurbo::engine
