#include "engine/EngineClock.h"

#include "platform/System.h"

#include <chrono>

namespace {

class SystemClock final : public IEngineClock {
public:
    std::int64_t SteadyMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::int64_t WallSeconds() const override { return platform::SecondsSince1970(); }
};

} // namespace

const IEngineClock& SystemEngineClock() {
    static const SystemClock clock;
    return clock;
}
