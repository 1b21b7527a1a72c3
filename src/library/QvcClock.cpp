#include "library/QvcClock.h"

namespace {

class SteadyClock final : public IQvcClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, TimePoint deadline,
                   const std::function<bool()>& ready) const override {
        return cv.wait_until(lock, deadline, ready);
    }
};

} // namespace

const IQvcClock& QvcSteadyClock() {
    static const SteadyClock clock;
    return clock;
}
