#pragma once

#include "InflateBudget.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::engine {

// What of a document an external engine's output must still carry.
struct DocumentSurvey {
    // For each page, in order, whether its content draws anything: paints a
    // path, shows text, an image or a shading, directly or through the forms
    // it draws.
    std::vector<bool> pagesThatPaint;
    // The form's fields, by fully qualified name, with the value the user
    // filled in, or an empty text for a field left blank.
    std::map<std::string, std::string> fields;

    // None when the PDF cannot be opened (not a PDF, damaged beyond repair,
    // needs a password). Content is read as it is inflated, each stream once,
    // within `budget`; a document past it throws its refusal.
    static std::optional<DocumentSurvey> of(const std::filesystem::path& pdf,
                                            InflateBudget budget = InflateBudget());
};

// Refuses an external engine's output that lost the document: Ghostscript
// exits with 0 even when it cannot read the source and leaves a blank
// document, and it drops form fields, blank or filled in. Each page of
// `source` (the source's survey, taken before the engine runs, so that a
// source past the inflate budget is refused before it costs a run) that draws
// something must still draw something, and every form field must still be
// there with its value. Otherwise the output is removed and
// EngineError::compressionFailed says why; an output that inflates past the
// budget is removed too, and EngineError::inflateBudgetExceeded thrown.
void requireDocumentKept(const std::optional<DocumentSurvey>& source,
                         const std::filesystem::path& output);

} // namespace zurbo::engine
