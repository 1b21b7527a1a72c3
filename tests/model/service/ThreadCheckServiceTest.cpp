// The service watcher: what it posts, and when.
#include "model/service/ThreadCheckService.h"
#include "ManualClock.h"
#include "ServiceTestRoot.h"
#include "library/QvcMessageQueue.h"
#include "platform/EngineService.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class ServiceWatcherTest : public ServiceTestRoot {
protected:
    ServiceWatcherTest() {
        watcher.SetClock(&clock);
        watcher.SetServiceClock(&instant);
        watcher.SetWindow(&window);
        watcher.SetComputerName("");
        watcher.SetServiceName(CQvcService::kEngineServiceName);
    }
    ~ServiceWatcherTest() override { watcher.Stop(5000); }

    // Lets one period pass on the watcher's clock and returns the command it posted.
    std::uintptr_t NextRound() {
        const auto deadline = clock.Now() + 5000ms;
        EXPECT_TRUE(clock.WaitForSleeper(deadline));
        clock.Advance(4999ms);
        EXPECT_TRUE(clock.WaitForSleeper(deadline));
        EXPECT_EQ(window.Count(), 0u) << "nothing before the period is over";
        clock.Advance(1ms);
        QvcMessage message;
        EXPECT_TRUE(window.WaitForMessage(message, 10s));
        EXPECT_EQ(message.message, kQvcCommandMessage);
        EXPECT_EQ(message.lparam, 0);
        return message.wparam;
    }

    testsupport::ManualClock clock;
    CQvcMessageQueue window;
    CThreadCheckService watcher;
};

} // namespace

TEST_F(ServiceWatcherTest, PostsStoppedOnlyForAStoppedServiceOncePerPeriod) {
    EXPECT_EQ(watcher.Name(), "CThreadCheckService");
    EXPECT_EQ(watcher.Period(), 5000u);
    ASSERT_EQ(watcher.Start(0), 1);
    // The first round comes one second plus one period after the start.
    const auto started = clock.Now();
    ASSERT_TRUE(clock.WaitForSleeper(started + 1s));
    clock.Advance(1s);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);
    // Opened for queries (100 ms, 200 ms), 100 ms more, then the query.
    EXPECT_EQ(instant.Waits(), (std::vector<long>{100, 200, 100}));

    // Running, and stop pending (a daemon that does not leave when asked to).
    fake.TermDelay("ignore");
    ASSERT_EQ(RealStartOrStop(true), 0);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    ASSERT_EQ(platform::EngineService(install.Root()).Stop(), 0);
    EXPECT_EQ(StateNow(), CQvcService::kStateStopPending);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    fake.KillAll();
    ASSERT_TRUE(testsupport::Eventually([&] { return StateNow() == CQvcService::kStateStopped; }));
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);

    // A query that cannot be made counts as not stopped: another computer, another
    // service, a pid file that cannot be read.
    watcher.SetComputerName("far-away");
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    watcher.SetComputerName("localhost");
    watcher.SetServiceName("Spooler");
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    watcher.SetServiceName(CQvcService::kEngineServiceName);
    ::unlink(PidFile().c_str());
    ASSERT_EQ(::symlink(PidFile().c_str(), PidFile().c_str()), 0);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    ::unlink(PidFile().c_str());
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);

    EXPECT_EQ(watcher.Stop(5000), 0);
    EXPECT_EQ(window.Count(), 0u);
}
