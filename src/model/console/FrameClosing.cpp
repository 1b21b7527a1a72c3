#include "model/console/FrameClosing.h"

#include <algorithm>

bool StopWorkerForClosing(CQvcThread& worker, const IQvcClock& clock) {
    if (worker.State() == kThreadStopped)
        return true;
    const IQvcClock::TimePoint begin = clock.Now();
    const IQvcClock::TimePoint end = begin + kClosingLimit;
    worker.Stop(0);
    clock.SleepUntil(begin + kClosingFirstWait);
    for (;;) {
        if (worker.State() == kThreadStopped)
            return true;
        const IQvcClock::TimePoint now = clock.Now();
        if (now >= end)
            return false;
        clock.SleepUntil(std::min(now + kClosingPoll, end));
    }
}
