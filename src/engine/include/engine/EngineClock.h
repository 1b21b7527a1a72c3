#pragma once
// IEngineClock: the engine's two time sources.  Intervals, time-outs and polling periods
// are measured on the monotonic clock, so that a change of the system time neither
// stalls nor floods the checks; schedules, maintenance windows and the times written into
// the result and activity files use the wall clock.  Tests hand the engine a clock that
// moves only when they say so.
#include <cstdint>

class IEngineClock {
public:
    virtual ~IEngineClock() = default;
    // Milliseconds since an arbitrary start; never goes back.
    virtual std::int64_t SteadyMs() const = 0;
    // Seconds since 1970 (UTC).
    virtual std::int64_t WallSeconds() const = 0;
};

// The machine's clocks.
const IEngineClock& SystemEngineClock();
