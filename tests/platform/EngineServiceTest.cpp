// The engine daemon's controller, against the stand-in daemon that keeps the pid-file
// contract.
#include "platform/EngineService.h"
#include "FakeEngine.h"
#include "TestSupport.h"
#include "platform/Module.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <utility>

using namespace std::chrono_literals;
using platform::EngineService;
using testsupport::Eventually;
using testsupport::FakeEngine;

namespace {

class EngineServiceTest : public ::testing::Test {
protected:
    EngineServiceTest() { platform::CreateDirectories(root + "/Sys/Run"); }

    testsupport::TempDir dir;
    std::string root = dir.File("root");
    FakeEngine fake{dir};
    std::string pidFile = root + "/Sys/Run/QvsSnSvc.pid";

    // The state and the daemon's pid as one value.
    static std::pair<int, int> Seen(const EngineService& service) {
        return {service.QueryState(), service.DaemonPid()};
    }
    static bool StateBecomes(const EngineService& service, int state,
                             std::chrono::milliseconds within = 10s) {
        return Eventually([&] { return service.QueryState() == state; }, within);
    }
};

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    std::string out = real != nullptr ? real : "";
    std::free(real);
    return out;
}

} // namespace

TEST_F(EngineServiceTest, StateComesFromTheLockAndThePidWrittenInTheFile) {
    EngineService service(root + "///");
    EXPECT_EQ(service.Root(), root);
    EXPECT_EQ(service.PidFilePath(), pidFile);

    // No pid file; a stale one naming a live process (this one) or nothing sensible: no
    // lock, so stopped.
    EXPECT_EQ(Seen(service), std::pair(platform::kServiceStopped, 0));
    for (const std::string& stale : {std::to_string(::getpid()) + "\n", std::string("garbage\n"), std::string()}) {
        testsupport::WriteFile(pidFile, stale);
        EXPECT_EQ(Seen(service), std::pair(platform::kServiceStopped, 0)) << stale;
    }

    // A daemon started by someone else: locked without a pid is start pending, with its
    // pid running.
    fake.ReadyDelay("600");
    const int pid = fake.LaunchDirect(root);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceStartPending));
    EXPECT_EQ(Seen(service), std::pair(platform::kServiceStartPending, pid));
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    EXPECT_EQ(Seen(service), std::pair(platform::kServiceRunning, pid));
    EXPECT_EQ(testsupport::ReadFile(pidFile), std::to_string(pid) + "\n");

    // Stopped by someone else as well.
    ::kill(pid, SIGTERM);
    EXPECT_EQ(fake.WaitDirect(pid), 0);
    EXPECT_EQ(service.QueryState(), platform::kServiceStopped);

    // A daemon that dies without cleaning up leaves its pid in an unlocked file.
    fake.ReadyDelay("0");
    const int killed = fake.LaunchDirect(root);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    ::kill(killed, SIGKILL);
    fake.WaitDirect(killed);
    EXPECT_EQ(testsupport::ReadFile(pidFile), std::to_string(killed) + "\n");
    EXPECT_EQ(service.QueryState(), platform::kServiceStopped);

    // What cannot be looked at is a failed query.
    ::unlink(pidFile.c_str());
    ASSERT_EQ(::symlink(pidFile.c_str(), pidFile.c_str()), 0);
    const auto failed = [](const EngineService& s) {
        int error = 0;
        return std::pair{s.QueryState(&error), error};
    };
    EXPECT_EQ(failed(service), std::pair(-1, ELOOP));
    EngineService missing(dir.File("no root"));
    EXPECT_FALSE(missing.RootExists());
    EXPECT_EQ(failed(missing), std::pair(-1, ENOENT));
}

TEST_F(EngineServiceTest, StartLaunchesADetachedDaemonAndStopEndsIt) {
    EngineService service(root);
    fake.TermDelay("1000");
    // A descriptor of the caller without close-on-exec must not reach the daemon.
    const int leaked = ::dup(STDIN_FILENO);
    ASSERT_GE(leaked, 0);
    ASSERT_EQ(service.Start(), 0);
    ::close(leaked);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));

    auto starts = fake.Starts();
    ASSERT_EQ(starts.size(), 1u);
    auto s = starts[0];
    const int pid = std::stoi(s["pid"]);
    EXPECT_EQ(service.DaemonPid(), pid);
    // A session of its own, led by the launcher's child that has left: the daemon is no
    // session leader, so it can never get a controlling terminal.
    EXPECT_NE(s["sid"], std::to_string(::getsid(0)));
    EXPECT_NE(s["sid"], s["pid"]);
    EXPECT_NE(s["ppid"], std::to_string(::getpid()));
    s.erase("sid"), s.erase("ppid");
    EXPECT_EQ(s, (std::map<std::string, std::string>{{"pid", std::to_string(pid)}, {"cwd", "/"},
                                                      {"stdin", "/dev/null"}, {"stdout", "/dev/null"},
                                                      {"stderr", "/dev/null"}, {"fds", "none"},
                                                      {"args", "--root|" + RealPath(root)}}));
    // Not a child of the caller: nothing to reap.
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    // One daemon per root.
    EXPECT_EQ(service.Start(), EALREADY);
    EXPECT_EQ(EngineService(root).Start(), EALREADY);
    EXPECT_EQ(fake.Starts().size(), 1u);

    // Stop: stop pending for every observer while the daemon winds down (asking again
    // signals again and changes nothing), then stopped.
    EXPECT_EQ(service.Stop(), 0);
    EngineService observer(root);
    EXPECT_EQ(observer.QueryState(), platform::kServiceStopPending);
    EXPECT_EQ(service.Stop(), 0);
    EXPECT_EQ(Seen(observer), std::pair(platform::kServiceStopPending, pid));
    EXPECT_EQ(service.Start(), EALREADY);
    ASSERT_TRUE(StateBecomes(observer, platform::kServiceStopped));
    EXPECT_FALSE(platform::FileExists(pidFile));
    EXPECT_EQ(Seen(service), std::pair(platform::kServiceStopped, 0));
    EXPECT_EQ(service.Stop(), ESRCH);

    // And it starts again.
    fake.TermDelay("0");
    ASSERT_EQ(service.Start(), 0);
    ASSERT_TRUE(StateBecomes(observer, platform::kServiceRunning));
    EXPECT_EQ(fake.Starts().size(), 2u);
    ASSERT_EQ(observer.Stop(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceStopped));
}

TEST_F(EngineServiceTest, LaunchBeforeTheLockIsStartPendingAndADaemonThatDiesIsStopped) {
    EngineService service(root);
    fake.LockDelay("1000");
    fake.ReadyDelay("1000");
    ASSERT_EQ(service.Start(), 0);
    // Not locked yet: the launched process makes it start pending, for this object and
    // for any other observer.
    EXPECT_EQ(service.QueryState(), platform::kServiceStartPending);
    EXPECT_EQ(EngineService(root).QueryState(), platform::kServiceStartPending);
    EXPECT_NE(service.DaemonPid(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    ASSERT_EQ(service.Stop(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceStopped));

    // Locked, then gone without a pid: stopped, though its empty file stays.
    fake.LockDelay("0");
    fake.ReadyDelay("0");
    fake.Crash(true);
    ASSERT_EQ(service.Start(), 0);
    ASSERT_TRUE(StateBecomes(EngineService(root), platform::kServiceStopped));
    EXPECT_TRUE(platform::FileExists(pidFile));
    EXPECT_EQ(service.DaemonPid(), 0);
}

TEST_F(EngineServiceTest, StartFailuresAreReportedAndLeaveTheServiceStopped) {
    EngineService service(root);
    {
        testsupport::ScopedEnv binary(EngineService::kBinaryVariable, dir.File("missing-engine"));
        EXPECT_EQ((std::pair{service.Start(), service.QueryState()}), std::pair(ENOENT, platform::kServiceStopped));
        testsupport::WriteFile(dir.File("not-executable"), "#!/bin/sh\n");
        binary.Set(dir.File("not-executable").c_str());
        EXPECT_EQ((std::pair{service.Start(), service.QueryState()}), std::pair(EACCES, platform::kServiceStopped));
    }
    EXPECT_EQ(EngineService(dir.File("no root")).Start(), ENOENT);
    EXPECT_TRUE(fake.Starts().empty());
}

TEST_F(EngineServiceTest, TheEngineProgramIsFoundByVariableBesideTheProgramOrOnPath) {
    EXPECT_EQ(EngineService::FindEngineBinary(), FakeEngine::Binary());

    testsupport::ScopedEnv binary(EngineService::kBinaryVariable, "");
    const std::string bin = dir.File("bin");
    platform::CreateDirectories(bin);
    const std::string onPath = bin + "/sentrelle-engine";
    testsupport::WriteFile(onPath, "#!/bin/sh\n");
    ::chmod(onPath.c_str(), 0755);
    testsupport::ScopedEnv path("PATH", ("relative:" + dir.File("empty") + "::" + bin).c_str());
    // Beside the running program first (the build puts the engine there), else PATH.
    const std::string beside = platform::ExecutableDirectory() + "sentrelle-engine";
    const bool besideExists = ::access(beside.c_str(), X_OK) == 0;
    EXPECT_EQ(EngineService::FindEngineBinary(), besideExists ? beside : onPath);
    if (!besideExists) {
        ::chmod(onPath.c_str(), 0644);
        EXPECT_EQ(EngineService::FindEngineBinary(), "");
        path.Set("");
        EXPECT_EQ(EngineService::FindEngineBinary(), "");
    }
}

TEST_F(EngineServiceTest, LogonAccountAndRightsFollowTheUsers) {
    EngineService service(root);
    // Stopped: the user who would start it, this one.
    EXPECT_EQ(service.LogonAccount(), platform::UserName());
    ASSERT_EQ(service.Start(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    EXPECT_EQ(service.LogonAccount(), platform::UserName());
    EXPECT_TRUE(service.MayStart() && service.MayStop());
    ASSERT_EQ(service.Stop(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceStopped));

    if (::geteuid() != 0) {
        ::chmod((root + "/Sys/Run").c_str(), 0555);
        EXPECT_FALSE(service.MayStart());
        ::chmod((root + "/Sys/Run").c_str(), 0755);
        GTEST_SKIP() << "a second user needs root";
    }
    ::chmod(dir.Path().c_str(), 0755); // let the other user reach the root
    // Another user may neither start (the run directory is not theirs) nor stop this
    // user's daemon ...
    ASSERT_EQ(service.Start(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    EXPECT_EQ(testsupport::RunAsUser(testsupport::kNobody,
                                     [&] {
                                         const EngineService other(root);
                                         return (other.MayStart() ? 1 : 0) + (other.MayStop() ? 2 : 0) +
                                                (other.QueryState() == platform::kServiceRunning ? 4 : 0);
                                     }),
              4);
    ASSERT_EQ(service.Stop(), 0);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceStopped));

    // ... and a daemon of another user shows that user as its account.
    ::chmod((root + "/Sys/Run").c_str(), 0777);
    const int pid = fake.LaunchDirect(root, testsupport::kNobody);
    ASSERT_TRUE(StateBecomes(service, platform::kServiceRunning));
    EXPECT_EQ(service.DaemonPid(), pid);
    const passwd* nobody = ::getpwuid(testsupport::kNobody);
    EXPECT_EQ(service.LogonAccount(),
              nobody != nullptr ? nobody->pw_name : std::to_string(testsupport::kNobody));
    EXPECT_TRUE(service.MayStop()); // root may signal anyone
}
