#include "StageTimes.h"

#include <ctime>

namespace zurbo::engine {

namespace {

std::int64_t threadCpuNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

const char* StageTimes::name(Stage stage)
{
    static constexpr std::array<const char*, stageCount> names{
        "open",       "merge",  "find",  "read",    "inflate", "JPEG decode",
        "downsample", "encode", "fonts", "deflate", "write"};
    return names[stage];
}

double StageTimes::seconds(Stage stage) const
{
    return static_cast<double>(m_nanoseconds[stage].load()) / 1e9;
}

StageTimes::Timer::Timer(StageTimes* times, Stage stage) : m_times(times), m_stage(stage)
{
    if (m_times) {
        m_start = threadCpuNanoseconds();
    }
}

StageTimes::Timer::~Timer()
{
    if (m_times) {
        m_times->m_nanoseconds[m_stage] += threadCpuNanoseconds() - m_start;
    }
}

} // namespace zurbo::engine
