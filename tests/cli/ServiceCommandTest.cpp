// sentrelle service start|stop|status: usage, the installation it finds, and the exit
// code and message of each failure, on an installation made by sentrelle init.  Starting
// and stopping a daemon through it is an end-to-end flow.
#include "CliTestRun.h"
#include "TestSupport.h"
#include "library/QvcBase.h"
#include "platform/EngineService.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>

TEST(ServiceCommand, FailuresPrintTheirMessageAndExitNonZero) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("root");
    ASSERT_EQ(RunCli({"init", root}).Code, 0);
    // No daemon is ever started here, whatever goes wrong.
    testsupport::ScopedEnv binary(platform::EngineService::kBinaryVariable, hives.Dir().File("no-engine"));
    const auto has = [](const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    };
    // --root names the root directly (and the computer is this one).
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", "");
    const CliOutcome status = RunCli({"service", "status", "--root", root});
    EXPECT_EQ(status.Code, 0) << status.Err;
    EXPECT_EQ(status.Out, "Service is stopped\nLogon account: " + platform::UserName() + "\n");
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"service"},
                                                  {"service", "restart"},
                                                  {"service", "status", "--root"},
                                                  {"service", "status", "--root", ""},
                                                  {"service", "status", "extra"}}) {
        const CliOutcome usage = RunCli(wrong);
        EXPECT_EQ(usage.Code, 2);
        EXPECT_EQ(usage.Err, "usage: sentrelle service start|stop|status [--root DIR]\n");
    }

    // The Engine on another computer cannot be reached.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0", "far-away");
    const CliOutcome remote = RunCli({"service", "start"});
    EXPECT_EQ(remote.Code, 1);
    EXPECT_EQ(remote.Out, "Attempting to start service...\nUnable to query server\n");
    EXPECT_TRUE(has(remote.Err, "Unable to connect to Service Control Manager.\nMake sure")) << remote.Err;
    EXPECT_EQ(RunCli({"service", "status"}).Code, 1);
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0", "");

    // No installation there.
    const std::string nowhere = hives.Dir().File("nowhere");
    const CliOutcome missing = RunCli({"service", "status", "--root", nowhere});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_TRUE(has(missing.Err, "Unable to read Service properties.")) << missing.Err;
    EXPECT_EQ(RunCli({"service", "stop", "--root", nowhere}).Code, 1);

    // The daemon cannot be started.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", root.c_str());
    const CliOutcome failed = RunCli({"service", "start"});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(has(failed.Out, "Service is stopped\n")) << failed.Out;
    EXPECT_TRUE(has(failed.Err, "Operation failed.\nPlease check")) << failed.Err;
}
