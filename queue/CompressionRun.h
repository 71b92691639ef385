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
// One file is in flight at a time; files go by index so that more could be,
// each outcome still reported in the files' order.
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

    CompressionRun(std::vector<File> files, AfterFailure afterFailure, StopToken stop,
                   Report report);

    // The index of the file to hand to the engine now, or none: every file
    // had its turn, the run ended, or a file is in flight. Files the guards
    // refuse on the way are reported here, with no engine call.
    std::optional<std::size_t> startNext();
    // Takes the outcome of the file in flight and reports it.
    void finish(std::size_t index, Outcome outcome);

    const File& file(std::size_t index) const { return m_files.at(index); }
    std::size_t size() const { return m_files.size(); }
    // No file in flight and none left to start.
    bool isOver() const;
    // Every file had its outcome and none ended the run early.
    bool ranToTheEnd() const { return !m_ended && m_reported == m_files.size(); }
    // A stop request or a stopped file ended the run.
    bool wasStopped() const { return m_stopped; }

private:
    bool overwritesLaterSource(std::size_t index) const;
    void report(std::size_t index, const Outcome& outcome);

    std::vector<File> m_files;
    AfterFailure m_afterFailure;
    StopToken m_stop;
    Report m_report;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_inFlight;
    std::size_t m_reported = 0;
    bool m_ended = false;
    bool m_stopped = false;
};

} // namespace zurbo
