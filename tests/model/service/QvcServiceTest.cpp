// CQvcService: handles, states, and the codes of start or stop, against the stand-in
// daemon on a temporary installation.
#include "model/service/QvcService.h"
#include "ServiceTestRoot.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ScopedEnv;

namespace {
constexpr const char* kSvc = CQvcService::kEngineServiceName;
} // namespace

TEST(QvcService, LocalComputers) {
    ScopedEnv name("SENTRELLE_COMPUTER_NAME", "Engine-Box.example.com");
    for (const char* local : {"", "  ", "localhost", "LocalHost", "127.0.0.1", "engine-box.example.com",
                              "ENGINE-BOX", "\\\\engine-box"})
        EXPECT_TRUE(CQvcService::IsLocalComputer(local)) << local;
    for (const char* remote : {"engine", "127.0.0.2", "other-box", "engine-box.other.com", "::1"})
        EXPECT_FALSE(CQvcService::IsLocalComputer(remote)) << remote;
    name.Set(""); // a machine whose name cannot be read
    EXPECT_TRUE(CQvcService::IsLocalComputer("localhost"));
    EXPECT_FALSE(CQvcService::IsLocalComputer("engine-box"));
}

TEST_F(ServiceTestRoot, HandlesOpenOnlyTheEngineServiceOfThisComputer) {
    CQvcService service;
    service.SetClock(&instant);
    long state = 0;
    EXPECT_EQ(service.QueryState(state), -1);
    EXPECT_EQ(state, -1);

    EXPECT_EQ(service.OpenHandles("far-away", kSvc, true), -1);
    EXPECT_FALSE(service.IsManagerOpen());
    EXPECT_TRUE(instant.Waits().empty());
    EXPECT_EQ(service.OpenHandles("", "Spooler", true), -1);
    EXPECT_FALSE(service.IsManagerOpen());
    EXPECT_FALSE(service.IsServiceOpen());
    EXPECT_EQ(instant.Waits(), std::vector<long>{100});

    instant.Clear();
    ASSERT_EQ(service.OpenHandles("LOCALHOST", "qvssnsvc", true), 0);
    EXPECT_EQ(instant.Waits(), (std::vector<long>{100, 200}));
    EXPECT_EQ(service.Computer(), "LOCALHOST");
    EXPECT_EQ(service.QueryState(state), 0);
    EXPECT_EQ(state, CQvcService::kStateStopped);
    CQvcString account;
    EXPECT_EQ(service.QueryLogonAccount(account), 0);
    EXPECT_EQ(account, platform::UserName());
    service.CloseHandles();
    EXPECT_EQ(service.Computer(), "");
    EXPECT_EQ(service.QueryState(state), -1);
    EXPECT_EQ(state, -1);
    EXPECT_EQ(service.QueryLogonAccount(account), -1);
    // The watcher's look: opened for queries (100 ms, 200 ms), 100 ms more, the query.
    instant.Clear();
    EXPECT_EQ(service.PollState("localhost", kSvc, state), 0);
    EXPECT_EQ(state, CQvcService::kStateStopped);
    EXPECT_EQ(instant.Waits(), (std::vector<long>{100, 200, 100}));
    EXPECT_FALSE(service.IsManagerOpen());
    EXPECT_EQ(service.PollState("far-away", kSvc, state), -1);
    EXPECT_EQ(state, -1);
    // With all rights as well (this user may start and stop its own daemon).
    EXPECT_EQ(service.OpenHandles("", kSvc, false), 0);
    service.CloseHandles();

    // The service exists where the installation's Engine root does; a root given
    // explicitly stands in for the registry.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root",
                           install.Hives().Dir().File("gone").c_str());
    EXPECT_EQ(service.OpenHandles("", kSvc, true), -1);
    service.SetEngineRoot(CQvcString(install.Root()));
    EXPECT_EQ(service.OpenHandles("", kSvc, true), 0);
}

TEST_F(ServiceTestRoot, StartAndStopReachTheWantedStateAndReturnAtOnceWhenThere) {
    fake.TermDelay("600");
    ASSERT_EQ(RealStartOrStop(true), 0);
    CQvcService service;
    service.SetClock(&instant);
    long state = -1;
    CQvcString account;
    ASSERT_EQ(service.QueryServiceState("", kSvc, state, &account), 0);
    EXPECT_EQ(state, CQvcService::kStateRunning);
    EXPECT_EQ(account, platform::UserName());
    EXPECT_EQ(instant.Waits(), (std::vector<long>{100, 100}));

    // Already running: 0 after the first wait, and no second daemon.
    instant.Clear();
    EXPECT_EQ(service.StartOrStop("127.0.0.1", kSvc, true), 0);
    EXPECT_EQ(instant.Waits(), std::vector<long>{100});
    EXPECT_EQ(fake.Starts().size(), 1u);
    EXPECT_FALSE(service.IsManagerOpen());

    // A stop waits while the daemon winds down.
    StepClock real(false);
    service.SetClock(&real);
    service.SetTiming(FastTiming());
    EXPECT_EQ(service.StartOrStop("", kSvc, false), 0);
    EXPECT_GE(real.CountOf(50), 3) << "polled while stop pending";
    EXPECT_EQ(StateNow(), CQvcService::kStateStopped);

    // Already stopped.
    service.SetClock(&instant);
    service.SetTiming(CQvcService::Timing());
    instant.Clear();
    EXPECT_EQ(service.StartOrStop("", kSvc, false), 0);
    EXPECT_EQ(instant.Waits(), std::vector<long>{100});

    // A start that waits for the daemon to become ready.
    fake.ReadyDelay("400");
    real.Clear();
    service.SetClock(&real);
    service.SetTiming(FastTiming());
    EXPECT_EQ(service.StartOrStop("", kSvc, true), 0);
    EXPECT_GE(real.CountOf(50), 3) << "polled while start pending";
    EXPECT_EQ(StateNow(), CQvcService::kStateRunning);
}

TEST_F(ServiceTestRoot, ADaemonThatNeverBecomesReadyFailsAfterTheStartLimit) {
    fake.ReadyDelay("never");
    CQvcService service;
    service.SetClock(&instant);
    EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOperation);
    // 100 ms, the request, 100 ms, then one query a second for 15 seconds.
    EXPECT_EQ(instant.Waits(), Waits({100, 100}, 1000, 15));
    EXPECT_EQ(StateNow(), CQvcService::kStateStartPending);

    // A second start while it starts waits for the same daemon, launches none, and gives
    // up at its own (here shorter) limit.
    CQvcService::Timing shorter;
    shorter.StartLimit = std::chrono::milliseconds(3000);
    service.SetTiming(shorter);
    instant.Clear();
    EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOperation);
    EXPECT_TRUE(service.FoundAlready());
    EXPECT_EQ(instant.Waits(), Waits({100, 100}, 1000, 3));
    EXPECT_TRUE(testsupport::Eventually([&] { return fake.Starts().size() == 1; }));

    fake.KillAll();
    ASSERT_TRUE(testsupport::Eventually([&] { return StateNow() == CQvcService::kStateStopped; }));
    instant.Clear();
    EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOperation);
    EXPECT_EQ(instant.Waits(), Waits({100, 100}, 1000, 3));
}

TEST_F(ServiceTestRoot, ADaemonThatIgnoresTheStopFailsAfterTheStopLimit) {
    fake.TermDelay("ignore");
    ASSERT_EQ(RealStartOrStop(true), 0);
    CQvcService service;
    service.SetClock(&instant);
    EXPECT_EQ(service.StartOrStop("", kSvc, false), CQvcService::kErrorOperation);
    EXPECT_EQ(instant.Waits(), Waits({100, 100}, 1000, 30));
    EXPECT_EQ(StateNow(), CQvcService::kStateStopPending);
    // A start is refused while it is stopping.
    instant.Clear();
    EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOperation);
    EXPECT_EQ(instant.Waits(), std::vector<long>{100});
}

TEST_F(ServiceTestRoot, EveryFailureHasItsCode) {
    CQvcService service;
    service.SetClock(&instant);
    EXPECT_EQ(service.StartOrStop("far-away", kSvc, true), CQvcService::kErrorManager);
    EXPECT_TRUE(instant.Waits().empty());
    EXPECT_EQ(service.StartOrStop("", "Spooler", true), CQvcService::kErrorOpenQuery);
    EXPECT_EQ(instant.Waits(), std::vector<long>{100});

    // No engine program: the start is refused at once.
    {
        ScopedEnv binary(platform::EngineService::kBinaryVariable, install.Hives().Dir().File("none"));
        instant.Clear();
        EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOperation);
        EXPECT_EQ(instant.Waits(), std::vector<long>{100});
    }
    // A pid file that cannot be looked at: the service opens, its query fails.
    ::unlink(PidFile().c_str());
    ASSERT_EQ(::symlink(PidFile().c_str(), PidFile().c_str()), 0);
    EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorQuery);
    EXPECT_EQ(service.StartOrStop("", kSvc, false), CQvcService::kErrorQuery);
    long state = 0;
    EXPECT_EQ(service.QueryServiceState("", kSvc, state), CQvcService::kErrorQuery);
    EXPECT_EQ(state, -1);
    ::unlink(PidFile().c_str());
    EXPECT_EQ(service.QueryServiceState("far-away", kSvc, state), CQvcService::kErrorManager);
    EXPECT_EQ(service.QueryServiceState("", "Spooler", state), CQvcService::kErrorOpenQuery);

    // Without the rights to start: another user, or (as that user) a run directory that
    // cannot be written.  Which rights the system grants is the controller's rule.
    if (::geteuid() == 0) {
        ::chmod(install.Hives().Dir().Path().c_str(), 0755);
        const std::string root = install.Root();
        EXPECT_EQ(testsupport::RunAsUser(testsupport::kNobody, [&] {
                      CQvcService other;
                      other.SetClock(&instant);
                      other.SetEngineRoot(CQvcString(root));
                      return other.StartOrStop("", kSvc, true) == CQvcService::kErrorOpenControl ? 1 : 0;
                  }),
                  1);
    } else {
        const std::string run = install.Root() + "/Sys/Run";
        ::chmod(run.c_str(), 0555);
        EXPECT_EQ(service.StartOrStop("", kSvc, true), CQvcService::kErrorOpenControl);
        ::chmod(run.c_str(), 0755);
    }
}
