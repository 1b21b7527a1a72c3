// The platform channels with the real engine: a check that fails runs its program (quotes
// and blanks on its command line, no shell), texts its SMS recipient through a loopback
// provider and sends a syslog record to a loopback port, each read from the store.
#include "engine/Engine.h"
#include "engine/alerting/DefaultChannels.h"
#include "model/notify/SnLogSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "platform/UniqueFd.h"

#include "../EngineTestSupport.h"
#include "LoopbackHttpServer.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <filesystem>

using namespace std::chrono_literals;

TEST(PlatformAlertingEngine, FailureRunsTheProgramAndSendsSmsAndSyslog) {
    enginetest::Installation inst;
    testsupport::LoopbackHttpServer provider;
    int syslogPort = 0;
    const platform::UniqueFd syslog(testsupport::OpenLoopbackSocket(SOCK_DGRAM, syslogPort));
    CSnSmsSettings sms;
    sms.Protocol = 1;
    sms.HttpProviderUrl = CQvcString(provider.BaseUrl() + "sms?to=<% Number %>");
    ASSERT_EQ(sms.Write(inst.store), 0);
    CSnLogSettings log;
    log.SyslogEnabled = true;
    log.SyslogServer = CQvcString("127.0.0.1:" + std::to_string(syslogPort));
    ASSERT_EQ(log.Write(inst.store), 0);

    const std::string dir = inst.File("my scripts");
    std::filesystem::create_directories(dir);
    testsupport::WriteFile(dir + "/note it.sh", "#!/bin/sh\nprintf '%s\\n' \"$2\" > \"$1\"\n");
    ::chmod((dir + "/note it.sh").c_str(), 0755);
    const std::string line =
        "\"" + dir + "/note it.sh\" \"" + dir + "/out file.txt\" \"said \\\"<% Status %>\\\" ;$x\"";
    const std::int32_t web = inst.AddCheck("Web", 30,
                                           [&](CSnNodeCfg& c) {
                                               c.Action.RunOnFailure.Edit().RunExecutable = 1;
                                               c.Action.RunOnFailure.Edit().Executable = CQvcString(line);
                                               c.Action.Notify.Edit(4).Enabled = 1; // SMS when it fails
                                               c.Action.Notify.Edit(4).Recipients = "+15550100";
                                           })
                                 ->Id();
    inst.WriteTree();

    enginetest::FakeClock clock;
    auto runner = std::make_shared<enginetest::FakeRunner>();
    EngineOptions options;
    options.Root = CQvcString(inst.Root());
    options.Clock = &clock;
    options.FlushPeriod = 0ms;
    EngineServices services;
    services.RunCheck = enginetest::FakeRunner::Function(runner);
    services.AlertChannels = DefaultAlertChannels();
    CEngine engine(options, services);
    CQvcString message;
    ASSERT_EQ(engine.Start(message), 0) << message.Str();
    for (const auto outcome : {CheckOutcome::Kind::Success, CheckOutcome::Kind::Error}) {
        runner->Set(web, enginetest::Outcome(outcome, "refused"));
        clock.AdvanceSeconds(60);
        engine.Tick(); // runs the check
        ASSERT_TRUE(engine.WaitIdle(10000));
        engine.Tick(); // takes its result
    }

    // The program's line in the activity log comes once it has ended.
    const std::string said =
        "Run: failure of 'Web' (ID " + std::to_string(web) + "): '" + dir + "/note it.sh' exited with code 0";
    EXPECT_TRUE(testsupport::Eventually(
        [&] {
            engine.Tick();
            const auto& lines = engine.Activity().Lines();
            return std::any_of(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.ends_with(said); });
        },
        10s, 50ms));
    EXPECT_EQ(testsupport::ReadFile(dir + "/out file.txt"), "said \"Failure\" ;$x\n");
    EXPECT_TRUE(testsupport::Eventually(
        [&] { return provider.Requests() == std::vector<std::string>{"/sms?to=%2B15550100"}; }));
    pollfd readable{syslog.Get(), POLLIN, 0};
    char record[2048] = {};
    ASSERT_EQ(::poll(&readable, 1, 10000), 1);
    EXPECT_TRUE(std::string(record, std::max<ssize_t>(0, ::recv(syslog.Get(), record, sizeof record, 0)))
                    .ends_with(" sentrelle: Web: Failure - refused"))
        << record;
    engine.Stop();
}
