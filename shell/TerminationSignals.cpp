#include "TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zurbo {

namespace {

constexpr int handledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler may touch: plain values set before it is installed.
std::atomic<int> lastSignal = 0;
int notifyPipe[2] = {-1, -1};
const StopSource* stopRequest = nullptr;

void onSignal(int signal)
{
    const int saved = errno;
    lastSignal = signal;
    stopRequest->requestStop();
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(notifyPipe[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Not restarted: a read or wait that blocks returns, so the stop reaches it.
    action.sa_flags = 0;
    for (int signal : handledSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

TerminationSignals::TerminationSignals(StopSource stop) : m_stop(std::move(stop))
{
    if (::pipe2(notifyPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        notifyPipe[0] = notifyPipe[1] = -1;
    }
    stopRequest = &m_stop;
    setHandler(onSignal);
}

TerminationSignals::~TerminationSignals()
{
    setHandler(SIG_DFL);
    stopRequest = nullptr;
    for (int& end : notifyPipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

int TerminationSignals::received() const
{
    return lastSignal;
}

int TerminationSignals::fd() const
{
    return notifyPipe[0];
}

} // namespace zurbo
