// sentrelle service start|stop|status: usage, the installation it finds, and the exit
// code and message of each failure, against the stand-in daemon on an installation made
// by sentrelle init.  Starting and stopping a daemon through it is an end-to-end flow.
#include "CliTestRun.h"
#include "FakeEngine.h"
#include "TestSupport.h"
#include "library/QvcBase.h"
#include "platform/EngineService.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>


namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ServiceCommandTest : public ::testing::Test {
protected:
    ServiceCommandTest() { EXPECT_EQ(RunCli({"init", root.c_str()}).Code, 0); }

    testsupport::ScopedHives hives;
    std::string root = hives.Dir().File("root");
    testsupport::FakeEngine fake{hives.Dir()};
    std::string account = "Logon account: " + platform::UserName() + "\n";
};

} // namespace

TEST_F(ServiceCommandTest, FailuresPrintTheirMessageAndExitNonZero) {
    // --root names the root directly (and the computer is this one).
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", "");
    CliOutcome status = RunCli({"service", "status", "--root", root.c_str()});
    EXPECT_EQ(status.Code, 0) << status.Err;
    EXPECT_EQ(status.Out, "Service is stopped\n" + account);

    for (std::vector<std::string> wrong : {std::vector<std::string>{"service"},
                                           {"service", "restart"},
                                           {"service", "status", "--root"},
                                           {"service", "status", "--root", ""},
                                           {"service", "status", "extra"}}) {
        CliOutcome usage = RunCli(wrong);
        EXPECT_EQ(usage.Code, 2);
        EXPECT_TRUE(Has(usage.Err, "usage: sentrelle service start|stop|status [--root DIR]")) << usage.Err;
    }

    // The Engine on another computer cannot be reached.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0", "far-away");
    CliOutcome remote = RunCli({"service", "start"});
    EXPECT_EQ(remote.Code, 1);
    EXPECT_EQ(remote.Out, "Attempting to start service...\nUnable to query server\n");
    EXPECT_TRUE(Has(remote.Err, "Unable to connect to Service Control Manager.\nMake sure")) << remote.Err;
    CliOutcome remoteStatus = RunCli({"service", "status"});
    EXPECT_EQ(remoteStatus.Code, 1);
    EXPECT_EQ(remoteStatus.Out, "Unable to query server\n");
    EXPECT_TRUE(Has(remoteStatus.Err, "Unable to connect to Service Control Manager."));
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0", "");

    // No installation there.
    const std::string nowhere = hives.Dir().File("nowhere");
    CliOutcome missing = RunCli({"service", "status", "--root", nowhere.c_str()});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_TRUE(Has(missing.Err, "Unable to read Service properties.")) << missing.Err;
    EXPECT_EQ(RunCli({"service", "stop", "--root", nowhere.c_str()}).Code, 1);

    // The daemon cannot be started.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", root.c_str());
    testsupport::ScopedEnv binary(platform::EngineService::kBinaryVariable, hives.Dir().File("no-engine"));
    CliOutcome failed = RunCli({"service", "start"});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(Has(failed.Out, "Service is stopped\n")) << failed.Out;
    EXPECT_TRUE(Has(failed.Err, "Operation failed.\nPlease check")) << failed.Err;
}
