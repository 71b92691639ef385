#pragma once

#include "EngineNotice.h"
#include "PDFEngine.h"
#include "StageTimes.h"

#include <filesystem>
#include <string>

namespace zurbo::engine {

// The native engine, used when neither Ghostscript nor qpdf is found: writes
// the source at `output` with its images downsampled and re-encoded as JPEG,
// keeping what a reader uses (see ReaderStructures) and the document
// information of the metadata choice; cleaning also drops the XMP metadata
// and gives the file a fresh /ID. A protected source is opened with
// `password` when it needs one (see SourceDocument) and written with the
// protection it has. Throws EngineError::documentUnreadable when the source
// cannot be opened, the password errors of SourceDocument::open,
// EngineError::systemFilterUnavailable when the output cannot be written, and
// PDFEngine::Cancelled between two images or while writing once `stop` is
// requested. Adds the CPU time of each stage to `times` when given. Tells
// `notices` what damage or a limit left as it was, or dropped.
void runSystemPDFEngine(const std::filesystem::path& source, const std::filesystem::path& output,
                        PDFEngine::Configuration configuration, bool cleanMetadata,
                        StopToken stop = {}, StageTimes* times = nullptr,
                        const std::string& password = {}, const EngineNotices& notices = {});

} // namespace zurbo::engine
