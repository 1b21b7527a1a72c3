// The service watcher: what it posts for each state the service control reports, and when.
#include "model/service/ThreadCheckService.h"
#include "ManualClock.h"
#include "ScriptedService.h"
#include "library/QvcMessageQueue.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ServiceWatcher, PostsStoppedOnlyForAStoppedServiceOncePerPeriod) {
    using C = ISnServiceControl;
    testsupport::ManualClock clock;
    CQvcMessageQueue window;
    testsupport::ScriptedService service;
    // Stopped, start pending, running, stop pending, paused, then stopped again.
    service.SetStates({C::kStateStopped, C::kStateStartPending, C::kStateRunning, C::kStateStopPending,
                       C::kStatePaused, C::kStateStopped});
    CThreadCheckService watcher;
    watcher.SetClock(&clock);
    watcher.SetWindow(&window);
    watcher.SetComputerName("engine-box");
    watcher.SetServiceName(C::kEngineServiceName);
    watcher.SetServiceControl(service.Factory()());
    EXPECT_EQ(watcher.Period(), 5000u);

    // Lets one period pass and returns the command posted at its end (how the period
    // counts is the worker thread's own rule).
    const auto nextRound = [&] {
        EXPECT_TRUE(clock.WaitForSleeper(clock.Now() + 5000ms));
        EXPECT_EQ(window.Count(), 0u);
        clock.Advance(5000ms);
        QvcMessage message;
        EXPECT_TRUE(window.WaitForMessage(message, 10s));
        EXPECT_EQ(message.message, kQvcCommandMessage);
        EXPECT_EQ(message.lparam, 0);
        return message.wparam;
    };

    ASSERT_EQ(watcher.Start(0), 1);
    // The first round comes one second plus one period after the start.
    ASSERT_TRUE(clock.WaitForSleeper(clock.Now() + 1s));
    clock.Advance(1s);
    std::vector<std::uintptr_t> posted;
    for (int round = 0; round < 6; ++round)
        posted.push_back(nextRound());
    // A query that cannot be made counts as not stopped.
    service.FailWith(-1);
    posted.push_back(nextRound());
    constexpr std::uintptr_t stopped = CThreadCheckService::kCommandServiceStopped;
    constexpr std::uintptr_t running = CThreadCheckService::kCommandServiceRunning;
    EXPECT_EQ(posted, (std::vector<std::uintptr_t>{stopped, running, running, running, running, stopped, running}));
    EXPECT_EQ(service.Calls(), std::vector<std::string>(7, "poll engine-box"));

    EXPECT_EQ(watcher.Stop(5000), 0);
    EXPECT_EQ(window.Count(), 0u);
}
