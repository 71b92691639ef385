#include "CompressionRun.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace zurbo {

namespace {

// The file a path leads to, links followed; empty when there is none.
fs::path fileAt(const fs::path& path)
{
    std::error_code error;
    fs::path file = fs::canonical(path, error);
    return error ? fs::path() : file;
}

} // namespace

const std::string CompressionRun::destinationIsLaterSourceMessage =
    "Ese destino es otro PDF de la cola. Elige otro nombre.";

CompressionRun::CompressionRun(std::vector<File> files, AfterFailure afterFailure, StopToken stop,
                               Report report)
    : m_files(std::move(files)), m_afterFailure(afterFailure), m_stop(std::move(stop)),
      m_report(std::move(report))
{
}

std::optional<std::size_t> CompressionRun::startNext()
{
    while (!m_inFlight && !m_ended && m_next < m_files.size()) {
        if (m_stop.stopRequested()) {
            m_ended = m_stopped = true;
            break;
        }
        const std::size_t index = m_next++;
        if (overwritesLaterSource(index)) {
            report(index, {std::nullopt, destinationIsLaterSourceMessage});
        } else {
            m_inFlight = index;
            return index;
        }
    }
    return std::nullopt;
}

void CompressionRun::finish(std::size_t index, Outcome outcome)
{
    if (m_inFlight == index) {
        m_inFlight.reset();
        report(index, outcome);
    }
}

bool CompressionRun::isOver() const
{
    return !m_inFlight && (m_ended || m_next == m_files.size());
}

bool CompressionRun::overwritesLaterSource(std::size_t index) const
{
    const fs::path target = fileAt(m_files[index].destination);
    return !target.empty() &&
           std::any_of(m_files.begin() + static_cast<long>(index) + 1, m_files.end(),
                       [&target](const File& later) { return fileAt(later.source) == target; });
}

void CompressionRun::report(std::size_t index, const Outcome& outcome)
{
    m_stopped = m_stopped || outcome.cancelled;
    m_ended =
        m_ended || outcome.cancelled || (!outcome.result && m_afterFailure == AfterFailure::stop);
    ++m_reported;
    m_report(index, outcome);
}

} // namespace zurbo
