#pragma once
// CRunDeadline: how long one check run may still take.  A run ends at the earlier of the
// engine's limit for every run (RunContext::Timeout) and the check type's own time-out
// setting, and at once when the engine stops (RunContext::Cancelled).  Runners wait in
// short slices through this object so that a stop is noticed within a fraction of a
// second even while a peer keeps them waiting.
#include "engine/CheckRunner.h"

#include <chrono>

class CRunDeadline {
public:
    using Clock = std::chrono::steady_clock;
    // The longest a single wait lasts before the cancellation flag is looked at again.
    static constexpr std::chrono::milliseconds kSlice{50};

    // Starts now.  `own` is the check type's own time-out; 0 or less means it has none.
    explicit CRunDeadline(const RunContext& context, std::chrono::milliseconds own = std::chrono::milliseconds(0));

    // The time-out in force: the smaller of the engine's limit and the type's own.
    std::chrono::milliseconds Limit() const { return m_limit; }
    Clock::time_point Start() const { return m_start; }
    Clock::time_point End() const { return m_end; }
    // What is left, never negative.
    std::chrono::milliseconds Remaining() const;
    // The time passed since the start.
    std::chrono::milliseconds Elapsed() const;
    bool Expired() const { return Clock::now() >= m_end; }
    bool Cancelled() const { return m_context.IsCancelled(); }
    // The earlier of End() and now + `span`: the end of one step of a run.
    Clock::time_point Within(std::chrono::milliseconds span) const;
    // Sleeps for `span` (cut at End()) in slices; false when the run was cancelled.
    bool SleepFor(std::chrono::milliseconds span) const;

private:
    const RunContext& m_context;
    std::chrono::milliseconds m_limit;
    Clock::time_point m_start;
    Clock::time_point m_end;
};
