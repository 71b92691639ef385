#pragma once

#include "PDFEngine.h"
#include "StageTimes.h"

#include <filesystem>

namespace zurbo::engine {

// The native engine, used when neither Ghostscript nor qpdf is found: writes a
// new document at `output` holding the source's pages with their images
// downsampled and re-encoded as JPEG. Throws EngineError::documentUnreadable
// when the source cannot be opened, EngineError::systemFilterUnavailable
// when the output cannot be written, and PDFEngine::Cancelled between two
// images or while writing once `stop` is requested. Adds the CPU time of
// each stage to `times` when given.
void runSystemPDFEngine(const std::filesystem::path& source, const std::filesystem::path& output,
                        PDFEngine::Configuration configuration, bool cleanMetadata,
                        StopToken stop = {}, StageTimes* times = nullptr);

} // namespace zurbo::engine
