#pragma once

#include "PDFEngine.h"
#include "SourceFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::engine {

// qpdf's own JPEG quality for a target resolution: 68 from 190 up, 45 from
// 130 to 189, 32 below.
std::int64_t qpdfJpegQuality(std::int64_t resolution);

// The resource folder the bundled qpdf is looked for in, found afresh on each
// call; tests point it at stand-ins.
extern std::function<std::optional<std::filesystem::path>()> qpdfResourceFolder;

// The bundled qpdf, <resources>/Engine/qpdf, when it is an executable file.
// Never anything from the working directory, which may be any downloaded folder.
std::optional<std::string> bundledQPDFPath();

// The argument list qpdf receives: 8 arguments, or 10 when metadata is cleaned.
std::vector<std::string> qpdfArguments(const std::filesystem::path& source,
                                       const std::filesystem::path& output,
                                       PDFEngine::Configuration configuration, bool cleanMetadata);

// Runs qpdf from `source` into `output`, both handed over as open descriptors
// (see runTool). Exit statuses 0 and 3 (warnings) are success; anything else
// is compressionFailed with the last three lines of standard error, or
// diskFull when they tell of a full disk or quota. A successful exit is
// compressionFailed too when the output lost the document (see
// requireDocumentKept).
void runQPDF(const std::string& executable, const SourceFile& source,
             const std::filesystem::path& output, PDFEngine::Configuration configuration,
             bool cleanMetadata, StopToken stop = {});

} // namespace zurbo::engine
