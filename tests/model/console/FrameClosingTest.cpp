// Closing waits for the service watcher: a worker that stops at once ends the wait early,
// one stuck in its work is given up on after 2 seconds of the (manual) clock.
#include "model/console/FrameClosing.h"
#include "ManualClock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

class StuckWorker final : public CQvcThread {
public:
    StuckWorker() : CQvcThread("StuckWorker", 1000) { SetStartDelay(std::chrono::milliseconds(0)); }
    std::atomic<bool> stuck{false};
    std::atomic<bool> release{false};

protected:
    void Work() override {
        if (!stuck)
            return;
        entered = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

public:
    std::atomic<bool> entered{false};
};

using testsupport::Eventually;

TEST(FrameClosing, WorkerThatStopsEndsTheWait) {
    StuckWorker worker;
    testsupport::ManualClock clock;
    const auto before = clock.Now();
    EXPECT_TRUE(StopWorkerForClosing(worker, clock)); // not started: no wait
    EXPECT_EQ(clock.Now(), before);
    ASSERT_EQ(worker.Start(5000), 0);
    EXPECT_TRUE(StopWorkerForClosing(worker)); // the real clock: stops within the first 100 ms or so
    EXPECT_EQ(worker.State(), kThreadStopped);
}

TEST(FrameClosing, StuckWorkerIsGivenUpOnAfterTwoSeconds) {
    StuckWorker worker;
    worker.stuck = true;
    ASSERT_EQ(worker.Start(5000), 0);
    ASSERT_TRUE(Eventually([&] { return worker.entered.load(); }));

    testsupport::ManualClock clock;
    const auto begin = clock.Now();
    auto closing = std::async(std::launch::async, [&] { return StopWorkerForClosing(worker, clock); });
    // The waits: 100 ms, then polls 250 ms apart, the last one cut at 2 s.
    std::vector<std::chrono::milliseconds> deadlines{std::chrono::milliseconds(100)};
    for (int ms = 350; ms < 2000; ms += 250)
        deadlines.emplace_back(ms);
    deadlines.emplace_back(2000);
    for (const auto& deadline : deadlines) {
        ASSERT_TRUE(clock.WaitForSleeper(begin + deadline)) << deadline.count();
        clock.Advance(begin + deadline - clock.Now());
    }
    EXPECT_FALSE(closing.get());
    EXPECT_EQ(worker.State(), kThreadStopPending);

    worker.release = true;
    EXPECT_TRUE(Eventually([&] { return worker.State() == kThreadStopped; }));
}

} // namespace
