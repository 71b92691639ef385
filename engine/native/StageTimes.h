#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// StageTimes: the CPU time the native engine spends in each stage of a run,
// summed over the threads that work on it, so that the benchmark can show
// where the time goes. An engine given no StageTimes measures nothing.
// ----------------------------------------------------------------------------
class StageTimes {
public:
    enum Stage {
        open,
        merge,
        find,
        read,
        inflate,
        jpegDecode,
        downsample,
        encode,
        fonts,
        deflate,
        write,
        stageCount
    };

    // A short English name for reports: "open", "merge", ..., "write".
    static const char* name(Stage stage);

    double seconds(Stage stage) const;

    // Adds the calling thread's CPU time from construction to destruction to
    // `stage` of `times`; does nothing when `times` is null.
    class Timer {
    public:
        Timer(StageTimes* times, Stage stage);
        Timer(const Timer&) = delete;
        Timer& operator=(const Timer&) = delete;
        ~Timer();

    private:
        StageTimes* m_times;
        Stage m_stage;
        std::int64_t m_start = 0;
    };

private:
    std::array<std::atomic<std::int64_t>, stageCount> m_nanoseconds{};
};

} // namespace zurbo::engine
