// Service control of the real engine program on a temporary installation: CQvcService,
// the service watcher and `sentrelle service start|status|stop` start, see and stop the
// same daemon, which really monitors while it runs.
#include "EngineFixture.h"
#include "ManualClock.h"
#include "library/QvcMessageQueue.h"
#include "model/tree/NodeStatus.h"
#include "model/service/QvcService.h"
#include "model/service/ThreadCheckService.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr const char* kService = CQvcService::kEngineServiceName;

// A detached daemon is reaped by whoever adopted it, maybe late: a zombie counts as gone.
bool Alive(int pid) {
    if (!platform::ProcessAlive(pid))
        return false;
    const std::string stat = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close, 3, ") Z") != 0;
}

class ServiceE2E : public e2e::EngineFixture {
protected:
    ServiceE2E() {
        CQvcService::Timing fast;
        fast.ManagerWait = fast.ServiceWait = fast.StepWait = 10ms;
        fast.PollInterval = 50ms;
        service.SetTiming(fast);
        watcher.SetClock(&clock);
        watcher.SetWindow(&window);
        watcher.SetComputerName("");
        watcher.SetServiceName(kService);
    }
    ~ServiceE2E() override { watcher.Stop(5000); }

    long State() {
        long state = -1;
        EXPECT_EQ(service.QueryServiceState("", kService, state), 0);
        return state;
    }
    // Lets one period of the watcher pass on its clock; the command it posted then.
    std::uintptr_t NextRound() {
        const auto deadline = clock.Now() + 5000ms;
        EXPECT_TRUE(clock.WaitForSleeper(deadline, e2e::kPatience));
        clock.Advance(5000ms);
        QvcMessage message;
        EXPECT_TRUE(window.WaitForMessage(message, e2e::kPatience));
        EXPECT_EQ(message.message, kQvcCommandMessage);
        return message.wparam;
    }
    e2e::ProgramRun Cli(const char* command) { return e2e::RunProgram(Dir(), CliProgram(), {"service", command}); }

    // The real engine in the place the service controller looks first.
    testsupport::ScopedEnv binary{platform::EngineService::kBinaryVariable, EngineProgram()};
    CQvcService service;
    testsupport::ManualClock clock;
    CQvcMessageQueue window;
    CThreadCheckService watcher;
};

} // namespace

TEST_F(ServiceE2E, StartQueryAndStopTheRealEngineThroughEveryPath) {
    testsupport::LoopbackTcpPeer greeter(testsupport::LoopbackTcpPeer::Greeting("hello\r\n"));
    ASSERT_TRUE(greeter.Listening());
    CSnNode* check = inst.AddCheck("Greeter", 30, [&](CSnNodeCfg& c) { e2e::TcpCheck(c, greeter.Port()); });
    inst.WriteTree();

    // The watcher's first round comes one second plus one period after its start.
    ASSERT_EQ(watcher.Start(0), 1);
    ASSERT_TRUE(clock.WaitForSleeper(clock.Now() + 1s, e2e::kPatience));
    clock.Advance(1s);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);
    EXPECT_EQ(State(), CQvcService::kStateStopped);

    // Started by the service control, the daemon runs the installation's checks.
    ASSERT_EQ(service.StartOrStop("", kService, true), 0);
    EXPECT_EQ(State(), CQvcService::kStateRunning);
    const int pid = platform::EngineService(inst.Root()).DaemonPid();
    ASSERT_TRUE(Alive(pid));
    EXPECT_EQ(CPidFile::ReadPid(PidFile()), pid);
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe"),
              std::filesystem::canonical(EngineProgram()));
    EXPECT_TRUE(Becomes(check->Id(), kStatusSuccess));
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    // Already running: done at once, and still the same daemon.
    EXPECT_EQ(service.StartOrStop("localhost", kService, true), 0);
    EXPECT_EQ(platform::EngineService(inst.Root()).DaemonPid(), pid);

    // The command-line tool sees it and stops it.
    const std::string account = "Logon account: " + platform::UserName() + "\n";
    e2e::ProgramRun status = Cli("status");
    EXPECT_EQ(status.Code, 0) << status.Err;
    EXPECT_EQ(status.Out, "Service is running\n" + account);
    e2e::ProgramRun stop = Cli("stop");
    EXPECT_EQ(stop.Code, 0) << stop.Err;
    EXPECT_EQ(stop.Out, "Attempting to stop service...\nService is stopped\n" + account);
    EXPECT_TRUE(testsupport::Eventually([&] { return !Alive(pid); }, e2e::kPatience, 20ms));
    EXPECT_FALSE(std::filesystem::exists(PidFile()));
    // Stopped: no published line; the last one waits beside the file.
    EXPECT_FALSE(Line(check->Id()).has_value());
    EXPECT_EQ(inst.Line(check->Id(), inst.RetiredResultFile()).Processing, 0);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);

    // Started by the tool, stopped by the service control.
    e2e::ProgramRun start = Cli("start");
    EXPECT_EQ(start.Code, 0) << start.Err;
    EXPECT_EQ(start.Out, "Attempting to start service...\nService is running\n" + account);
    const int second = platform::EngineService(inst.Root()).DaemonPid();
    EXPECT_TRUE(Alive(second));
    EXPECT_NE(second, pid);
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceRunning);
    ASSERT_EQ(service.StartOrStop("", kService, false), 0);
    EXPECT_EQ(State(), CQvcService::kStateStopped);
    EXPECT_FALSE(Alive(second));
    EXPECT_EQ(NextRound(), CThreadCheckService::kCommandServiceStopped);

    EXPECT_EQ(watcher.Stop(5000), 0);
    EXPECT_EQ(window.Count(), 0u);
}

TEST_F(ServiceE2E, FiveStartsAtOnceStartOneEngine) {
    std::vector<e2e::ChildProcess> starts(5);
    for (std::size_t i = 0; i < starts.size(); ++i)
        ASSERT_TRUE(starts[i].Start(CliProgram(), {"service", "start"}, Dir().File("start" + std::to_string(i) + ".out"),
                                    Dir().File("start" + std::to_string(i) + ".err")));
    int launched = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i].WaitExit(e2e::kPatience), 0) << testsupport::ReadFile(Dir().File("start" + std::to_string(i) + ".err"));
        const std::string out = testsupport::ReadFile(Dir().File("start" + std::to_string(i) + ".out"));
        EXPECT_NE(out.find("Service is running\n"), std::string::npos) << out;
        if (out.find("already running or being started") == std::string::npos)
            ++launched;
    }
    // Exactly one of them launched an engine; the others found it starting or running.
    EXPECT_EQ(launched, 1);
    EXPECT_EQ(State(), CQvcService::kStateRunning);
}
