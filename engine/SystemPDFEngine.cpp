#include "SystemPDFEngine.h"

namespace zurbo::engine {

void runSystemPDFEngine(const std::filesystem::path&, const std::filesystem::path&,
                        PDFEngine::Configuration, bool)
{
    throw PDFEngine::EngineError::systemFilterUnavailable();
}

} // namespace zurbo::engine
