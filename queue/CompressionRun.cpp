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

// The file a path leads to, or would once created.
fs::path fileBecomingAt(const fs::path& path)
{
    std::error_code error;
    fs::path file = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal() : file;
}

// Whether `writer`, run at once with `other`, could write what `other` reads or writes.
bool writesInto(const CompressionRun::File& writer, const CompressionRun::File& other)
{
    const fs::path written = fileBecomingAt(writer.destination);
    return written == fileBecomingAt(other.source) || written == fileBecomingAt(other.destination);
}

} // namespace

const std::string CompressionRun::destinationIsLaterSourceMessage =
    "Ese destino es otro PDF de la cola. Elige otro nombre.";

CompressionRun::CompressionRun(std::vector<File> files, AfterFailure afterFailure, StopToken stop,
                               Report report, std::size_t inFlightAtMost)
    : m_files(std::move(files)), m_afterFailure(afterFailure), m_stop(std::move(stop)),
      m_report(std::move(report)), m_inFlightAtMost(std::max<std::size_t>(inFlightAtMost, 1)),
      m_outcomes(m_files.size())
{
    // Each once, not once for every file before it: a command line may name thousands.
    for (const File& file : m_files) {
        m_sourceFiles.push_back(fileAt(file.source));
    }
}

std::optional<std::size_t> CompressionRun::startNext()
{
    while (m_inFlight.size() < m_inFlightAtMost && !m_ended && m_next < m_files.size()) {
        if (m_stop.stopRequested()) {
            m_ended = m_stopped = true;
            break;
        }
        if (overwritesLaterSource(m_next)) {
            const std::size_t index = m_next++;
            settle(index, {std::nullopt, destinationIsLaterSourceMessage});
        } else if (waitsForAFileInFlight(m_next)) {
            break;
        } else {
            m_inFlight.push_back(m_next);
            return m_next++;
        }
    }
    return std::nullopt;
}

void CompressionRun::finish(std::size_t index, Outcome outcome)
{
    const auto flying = std::find(m_inFlight.begin(), m_inFlight.end(), index);
    if (flying != m_inFlight.end()) {
        m_inFlight.erase(flying);
        settle(index, std::move(outcome));
    }
}

bool CompressionRun::isOver() const
{
    return m_inFlight.empty() && (m_ended || m_next == m_files.size());
}

bool CompressionRun::overwritesLaterSource(std::size_t index) const
{
    const fs::path target = fileAt(m_files[index].destination);
    return !target.empty() && std::find(m_sourceFiles.begin() + static_cast<long>(index) + 1,
                                        m_sourceFiles.end(), target) != m_sourceFiles.end();
}

bool CompressionRun::waitsForAFileInFlight(std::size_t index) const
{
    const File& file = m_files[index];
    return std::any_of(m_inFlight.begin(), m_inFlight.end(), [&](std::size_t other) {
        return writesInto(file, m_files[other]) || writesInto(m_files[other], file);
    });
}

void CompressionRun::settle(std::size_t index, Outcome outcome)
{
    // An outcome that ends the run stops the files yet to start; those in
    // flight are reported all the same, for theirs may be installed.
    m_stopped = m_stopped || outcome.cancelled;
    m_ended =
        m_ended || outcome.cancelled || (!outcome.result && m_afterFailure == AfterFailure::stop);
    m_outcomes[index] = std::move(outcome);
    while (m_reported < m_next && m_outcomes[m_reported]) {
        const Outcome ready = std::move(*m_outcomes[m_reported]);
        m_outcomes[m_reported].reset();
        m_report(m_reported++, ready);
    }
}

} // namespace zurbo
