#include "ToolRunner.h"

#include "ChildProcess.h"
#include "ErrorSummary.h"

#include <algorithm>
#include <system_error>
#include <unistd.h>

namespace zurbo::engine {

bool isExecutableFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> firstExecutable(std::span<const std::string> candidates)
{
    for (const std::string& candidate : candidates) {
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

void runTool(const std::string& executable, const std::vector<std::string>& arguments,
             const std::filesystem::path& output, ToolVerdict verdict, StopToken stop)
{
    const ChildExit exit = runChildProcess(executable, arguments, stop);
    const auto& ok = verdict.successStatuses;
    if (std::find(ok.begin(), ok.end(), exit.status) != ok.end()) {
        return;
    }
    std::string message = summarizeStandardError(exit.standardError, verdict.keptErrorLines);
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    throw PDFEngine::EngineError::compressionFailed(std::move(message));
}

} // namespace zurbo::engine
