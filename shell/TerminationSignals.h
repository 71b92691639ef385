#pragma once

#include "StopToken.h"

namespace zurbo {

// ----------------------------------------------------------------------------
// TerminationSignals: SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, logout) taken
// as a request to stop rather than a sudden death, so that a run in progress
// can end its engine child and remove its working file before the process
// goes. Each signal requests a stop on the given source and makes fd()
// readable, where an event loop can take it up; both are safe inside a
// signal handler. One value per process; the default handling comes back
// when it goes.
// ----------------------------------------------------------------------------
class TerminationSignals {
public:
    explicit TerminationSignals(StopSource stop = {});
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;
    ~TerminationSignals();

    // The last signal received, or 0.
    int received() const;
    // Readable once a signal arrived; one byte per signal.
    int fd() const;

    // The exit status of a process that ends on `signal`: 128 + its number.
    static int exitStatusFor(int signal) { return 128 + signal; }

private:
    StopSource m_stop;
};

} // namespace zurbo
