#pragma once

#include "PDFEngine.h"
#include "SourceFile.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zurbo::engine {

// Where Ghostscript is looked for, in order of preference.
// Tests replace it to point discovery at stand-in executables.
extern std::vector<std::string> ghostscriptCandidates;

// How long Ghostscript may run on a source: `base`, plus `perMegabyte` for
// each whole megabyte (1,048,576 bytes) of it. Tests shorten it.
struct GhostscriptBudget {
    std::chrono::milliseconds base{30'000};
    std::chrono::milliseconds perMegabyte{2'000};
};
extern GhostscriptBudget ghostscriptBudget;

// The time budget of one Ghostscript run on a source of `sourceBytes`.
std::chrono::milliseconds ghostscriptTimeBudget(std::int64_t sourceBytes);

// The first candidate that is an executable file, or none. None as well when
// ZURBO_FORCE_SYSTEM_ENGINE is exactly "1".
std::optional<std::string>
ghostscriptPath(std::span<const std::string> candidates = ghostscriptCandidates);

// The argument list Ghostscript receives: 31 arguments, or 35 when metadata is cleaned.
std::vector<std::string> ghostscriptArguments(const std::filesystem::path& source,
                                              const std::filesystem::path& output,
                                              PDFEngine::Configuration configuration,
                                              bool cleanMetadata);

// Runs Ghostscript's pdfwrite device from `source` into `output`, both handed
// over as open descriptors (see runTool). Exit status 0 is success; anything
// else is compressionFailed with the last two lines of standard error, or
// diskFull when it tells of an I/O error. A successful exit is
// compressionFailed too when the output lost the document (see
// requireDocumentKept; a source past the inflate budget is refused before
// Ghostscript starts). Ghostscript runs within its time budget (past it,
// EngineError::engineStalled) and 2 GiB of address space.
void runGhostscript(const std::string& executable, const SourceFile& source,
                    const std::filesystem::path& output, PDFEngine::Configuration configuration,
                    bool cleanMetadata, StopToken stop = {});

} // namespace zurbo::engine
