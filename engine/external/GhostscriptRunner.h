#pragma once

#include "PDFEngine.h"
#include "SourceFile.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zurbo::engine {

// Where Ghostscript is looked for, in order of preference.
// Tests replace it to point discovery at stand-in executables.
extern std::vector<std::string> ghostscriptCandidates;

// The first candidate that is an executable file, or none. None as well when
// ZURBO_FORCE_SYSTEM_ENGINE is exactly "1".
std::optional<std::string>
ghostscriptPath(std::span<const std::string> candidates = ghostscriptCandidates);

// The argument list Ghostscript receives: 29 arguments, or 33 when metadata is cleaned.
std::vector<std::string> ghostscriptArguments(const std::filesystem::path& source,
                                              const std::filesystem::path& output,
                                              PDFEngine::Configuration configuration,
                                              bool cleanMetadata);

// Runs Ghostscript's pdfwrite device from `source` into `output`, both handed
// over as open descriptors (see runTool). Exit status 0 is success; anything
// else is compressionFailed with the last two lines of standard error, or
// diskFull when it tells of an I/O error. A successful exit is
// compressionFailed too when the output lost the document (see
// requireDocumentKept).
void runGhostscript(const std::string& executable, const SourceFile& source,
                    const std::filesystem::path& output, PDFEngine::Configuration configuration,
                    bool cleanMetadata, StopToken stop = {});

} // namespace zurbo::engine
