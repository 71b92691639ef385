#include "FilesInFlight.h"

namespace zurbo {

FilesInFlight::~FilesInFlight()
{
    for (auto& [index, running] : m_running) {
        running.thread.join();
    }
}

void FilesInFlight::start(std::size_t index)
{
    const auto started = std::chrono::steady_clock::now();
    m_running.emplace(index, Running{std::thread([this, index] {
                                         CompressionRun::Outcome outcome = m_call(index);
                                         const std::lock_guard lock(m_mutex);
                                         m_ended.emplace_back(index, std::move(outcome));
                                         m_endedOne.notify_one();
                                     }),
                                     started});
}

std::chrono::steady_clock::time_point FilesInFlight::startedAt(std::size_t index) const
{
    return m_running.at(index).started;
}

FilesInFlight::Ended FilesInFlight::nextEnded()
{
    std::unique_lock lock(m_mutex);
    m_endedOne.wait(lock, [this] { return !m_ended.empty(); });
    Ended ended = std::move(m_ended.front());
    m_ended.pop_front();
    lock.unlock();
    const auto running = m_running.find(ended.first);
    running->second.thread.join();
    m_running.erase(running);
    return ended;
}

} // namespace zurbo
