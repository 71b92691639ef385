#include "InflateBudget.h"

#include "PDFEngine.h"

namespace zurbo::engine {

InflateBudget::InflateBudget(std::uint64_t perStream, std::uint64_t perRun)
    : m_perStream(perStream), m_perRun(perRun)
{
}

void InflateBudget::add(std::size_t bytes)
{
    m_stream += bytes;
    m_run += bytes;
    if (m_stream > m_perStream || m_run > m_perRun) {
        throw PDFEngine::EngineError::inflateBudgetExceeded();
    }
}

} // namespace zurbo::engine
