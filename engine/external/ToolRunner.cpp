#include "ToolRunner.h"

#include "ChildProcess.h"
#include "ErrorSummary.h"
#include "FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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
             const SourceFile& source, const std::filesystem::path& output,
             const ToolVerdict& verdict, StopToken stop, const ChildLimits& limits)
{
    const FileDescriptor written(::open(output.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    if (!written) {
        throw std::filesystem::filesystem_error("open", output,
                                                std::error_code(errno, std::generic_category()));
    }
    const int files[] = {source.descriptor(), written.get()};
    const ChildExit exit = runChildProcess(executable, arguments, stop, files, limits);
    const auto& signs = verdict.outOfSpaceSigns;
    const bool outOfSpace = std::any_of(signs.begin(), signs.end(), [&](const std::string& sign) {
        return exit.standardError.find(sign) != std::string::npos;
    });
    const auto& ok = verdict.successStatuses;
    if (!outOfSpace && std::find(ok.begin(), ok.end(), exit.status) != ok.end()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    if (exit.timedOut) {
        throw PDFEngine::EngineError::engineStalled();
    }
    if (outOfSpace) {
        throw PDFEngine::EngineError::diskFull();
    }
    throw PDFEngine::EngineError::compressionFailed(
        summarizeStandardError(exit.standardError, verdict.keptErrorLines));
}

} // namespace zurbo::engine
