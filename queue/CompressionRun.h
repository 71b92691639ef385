#pragma once

#include "PDFEngine.h"
#include "StopToken.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zurbo {

// ----------------------------------------------------------------------------
// CompressionRun: the files of one run in their order, under the guards that
// the window's batch, the quick action and zurbo-compress share.
//
// The run says which file goes to the engine next and reports each file's
// outcome; the caller makes the engine call (on a worker thread, or
// blocking) and hands back what came of it. A file whose destination is the
// source of a file after it fails without an engine call: writing it would
// replace pages still to be read. A stop request, or a file stopped on its
// way, ends the run; so does a failure, for a run whose failures stop it.
//
// Plain C++, so that the command line needs no Qt. One thread drives a run.
// Several files may be in flight, each outcome still reported in the files'
// order: a file waits while one before it that is in flight reads or writes
// the file it writes, or writes the file it reads, so that files that share a
// name end as they would one after another.
// ----------------------------------------------------------------------------
class CompressionRun {
public:
    // One file: the PDF read, and where its result goes (it may be the PDF itself).
    struct File {
        std::filesystem::path source;
        std::filesystem::path destination;
    };

    // How a file ended: an installed result, or the user-facing text of a
    // failure, or stopped before an outcome was installed.
    struct Outcome {
        std::optional<PDFEngine::Result> result;
        std::string error;
        bool cancelled = false;
        // The failure is a locked source that needs its password, or another one.
        bool needsPassword = false;
    };

    // What a failed file means for the files after it.
    enum class AfterFailure { goOn, stop };

    // Called with each file's outcome, refused files included.
    using Report = std::function<void(std::size_t index, const Outcome& outcome)>;

    // What a file whose destination is the source of a later file gets.
    static const std::string destinationIsLaterSourceMessage;

    // At most `inFlightAtMost` files (at least one) go to the engine at once.
    CompressionRun(std::vector<File> files, AfterFailure afterFailure, StopToken stop,
                   Report report, std::size_t inFlightAtMost = 1);

    // The index of the file to hand to the engine now, or none: every file
    // had its turn, the run ended, as many files as allowed are in flight, or
    // the next one waits for one in flight. Files the guards refuse on the
    // way get their outcome here, with no engine call.
    std::optional<std::size_t> startNext();
    // Takes the outcome of a file in flight; it is reported once every file
    // before it has been.
    void finish(std::size_t index, Outcome outcome);

    const File& file(std::size_t index) const { return m_files.at(index); }
    std::size_t size() const { return m_files.size(); }
    // The files in flight, in the order they started.
    const std::vector<std::size_t>& inFlight() const { return m_inFlight; }
    // No file in flight and none left to start.
    bool isOver() const;
    // Every file had its outcome and none ended the run early.
    bool ranToTheEnd() const { return !m_ended && m_reported == m_files.size(); }
    // A stop request or a stopped file ended the run.
    bool wasStopped() const { return m_stopped; }

private:
    bool overwritesLaterSource(std::size_t index) const;
    bool waitsForAFileInFlight(std::size_t index) const;
    // Keeps the outcome, then reports every outcome whose turn has come.
    void settle(std::size_t index, Outcome outcome);

    std::vector<File> m_files;
    // The file each source leads to as the run starts; empty where there is none.
    std::vector<std::filesystem::path> m_sourceFiles;
    AfterFailure m_afterFailure;
    StopToken m_stop;
    Report m_report;
    std::size_t m_inFlightAtMost;
    std::size_t m_next = 0;
    std::vector<std::size_t> m_inFlight;
    // Outcomes that came before the outcome of a file ahead of them.
    std::vector<std::optional<Outcome>> m_outcomes;
    std::size_t m_reported = 0;
    bool m_ended = false;
    bool m_stopped = false;
};

} // namespace zurbo
