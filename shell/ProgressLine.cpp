#include "ProgressLine.h"

#include <chrono>
#include <cstdio>

namespace zurbo {

namespace {

// Back to the start of the line, and everything on it erased.
constexpr const char* clearLine = "\r\033[K";

std::string minutesAndSeconds(std::chrono::seconds elapsed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(elapsed.count() / 60),
                  static_cast<long long>(elapsed.count() % 60));
    return text;
}

} // namespace

ProgressLine::ProgressLine(std::ostream& terminal, const std::string& name, std::size_t index,
                           std::size_t count, std::chrono::steady_clock::time_point start)
    : m_terminal(terminal),
      m_prefix("[" + std::to_string(index) + "/" + std::to_string(count) + "] " + name + " · "),
      m_start(start), m_thread([this] { redraw(); })
{
}

ProgressLine::~ProgressLine()
{
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_finished.notify_all();
    m_thread.join();
    m_terminal << clearLine << std::flush;
}

void ProgressLine::redraw()
{
    using namespace std::chrono;
    std::unique_lock lock(m_mutex);
    while (!m_done) {
        const auto elapsed = duration_cast<seconds>(steady_clock::now() - m_start);
        m_terminal << clearLine << m_prefix << minutesAndSeconds(elapsed) << std::flush;
        m_finished.wait_until(lock, m_start + elapsed + seconds(1), [this] { return m_done; });
    }
}

} // namespace zurbo
