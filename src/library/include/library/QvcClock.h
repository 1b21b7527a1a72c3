#pragma once
// IQvcClock: the time source of timed waits.  Code that waits for a deadline takes the
// clock as a parameter so that tests can drive time by hand instead of sleeping; the
// program itself always uses QvcSteadyClock().
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class IQvcClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~IQvcClock() = default;

    virtual TimePoint Now() const = 0;
    // Blocks on `cv` (`lock` is held on entry and on return) until `ready()` is true or
    // Now() reaches `deadline`, whichever comes first.  Returns ready().  Whoever makes
    // `ready()` true must change its state under the lock's mutex and notify `cv`.
    virtual bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           TimePoint deadline, const std::function<bool()>& ready) const = 0;

    // Blocks until Now() reaches `deadline`.
    void SleepUntil(TimePoint deadline) const {
        std::mutex mutex;
        std::condition_variable cv;
        std::unique_lock lock(mutex);
        WaitUntil(cv, lock, deadline, [] { return false; });
    }
};

// The monotonic clock of the machine.
const IQvcClock& QvcSteadyClock();
