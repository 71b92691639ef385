#pragma once

#include <atomic>
#include <exception>
#include <memory>

namespace zurbo {

// ----------------------------------------------------------------------------
// StopToken / StopSource: a request to stop a run, made by whoever owns the
// run (a StopSource) and checked by the engine (its StopToken) on any thread.
//
// StopToken would do, but the engine also builds as C++17 for the
// fuzzer (clang cannot compile qpdf's JSON header as C++20 there).
// ----------------------------------------------------------------------------
class StopToken {
public:
    // A token that never asks to stop.
    StopToken() = default;

    bool stopRequested() const { return m_flag && m_flag->load(std::memory_order_relaxed); }

private:
    friend class StopSource;
    explicit StopToken(std::shared_ptr<const std::atomic<bool>> flag) : m_flag(std::move(flag)) {}

    std::shared_ptr<const std::atomic<bool>> m_flag;
};

// Thrown by whatever a StopToken stops, once it has stopped.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

class StopSource {
public:
    StopSource() : m_flag(std::make_shared<std::atomic<bool>>(false)) {}

    void requestStop() const { m_flag->store(true, std::memory_order_relaxed); }
    StopToken token() const { return StopToken(m_flag); }

private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};

} // namespace zurbo
