// The engine program as a real child process on a temporary installation: checks against
// peers on the loopback interface, the statuses that come before and after a run,
// requests written through the engine link as a Manager writes them, reloads, notification
// tests, and the life of the process itself.
#include "EngineFixture.h"
#include "engine/EngineMain.h"
#include "LoopbackHttpServer.h"
#include "LoopbackSmtpSink.h"
#include "model/tree/NodeStatus.h"
#include "model/notify/SnNotificationResponse.h"
#include "model/notify/SnSmtpNotificationRequest.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

using namespace std::chrono_literals;

namespace {

class EngineE2E : public e2e::EngineFixture {};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

TEST_F(EngineE2E, ChecksAgainstLoopbackPeersTheirStatusesAndAReload) {
    testsupport::LoopbackTcpPeer greeter(testsupport::LoopbackTcpPeer::Greeting("220 loopback ready\r\n"));
    ASSERT_TRUE(greeter.Listening());
    testsupport::LoopbackHttpServer http;
    http.SetPage("/status", "<html><body>Engine status: ALL SYSTEMS NOMINAL</body></html>");
    const int closedPort = testsupport::UnusedLoopbackPort();
    const auto page = [&](CSnNodeCfg& c, const char* text) {
        c.Function.ParamServer = "127.0.0.1:" + std::to_string(http.Port());
        c.Function.Param1 = "/status";
        c.Function.ParamByteCodes = "0x1x000";
        c.Function.Param2 = text;
        c.ScanFrequency.Interval = 1;
    };

    CSnNode* service = inst.AddCheck("Greeter", 30, [&](CSnNodeCfg& c) {
        e2e::TcpCheck(c, greeter.Port(), "READY");
        c.ScanFrequency.ErrorThreshold = 2;
    });
    CSnNode* statusPage = inst.AddCheck("Status page", 33, [&](CSnNodeCfg& c) { page(c, "all systems nominal"); });
    // Held and inverted checks, one of each: the gate and the outcome rule are the
    // engine's own tests; here they travel through the real process.
    CSnNode* held = inst.AddCheck("Held", 30, [&](CSnNodeCfg& c) {
        e2e::TcpCheck(c, greeter.Port());
        c.OnHold = 1;
    });
    CSnNode* mustBeClosed = inst.AddCheck("Must stay closed", 30, [&](CSnNodeCfg& c) {
        e2e::TcpCheck(c, closedPort);
        c.Inverse = 1;
    });
    inst.WriteTree();

    StartEngine();
    EXPECT_TRUE(Becomes(service->Id(), kStatusSuccess));
    EXPECT_TRUE(Becomes(statusPage->Id(), kStatusSuccess));
    EXPECT_TRUE(Becomes(held->Id(), kStatusOnHold));
    EXPECT_TRUE(Becomes(mustBeClosed->Id(), kStatusSuccess));
    EXPECT_TRUE(Has(Line(service->Id())->Response.Str(), "loopback ready")) << Line(service->Id())->Response.Str();

    // The Manager reads the same results through the engine link.
    inst.store.Link()->LoadResults(inst.root);
    EXPECT_EQ(service->Result.Status, kStatusSuccess);
    EXPECT_GT(statusPage->Result.LastUpdate, 0);

    // A check written to the store while the engine runs is picked up by the reload the
    // write signals.
    CSnNode* added = inst.AddCheck("Added while running", 30, [&](CSnNodeCfg& c) { e2e::TcpCheck(c, greeter.Port()); });
    inst.WriteTree();
    EXPECT_TRUE(Becomes(added->Id(), kStatusSuccess));
    EXPECT_TRUE(ActivityHas("Configuration reloaded: 5 checks (1 new, 0 changed, 0 removed)"));

    // The peer goes away: one refused connection is an error, the second in a row a
    // failure, and the activity log tells both changes.
    const int acceptedBefore = greeter.Accepted();
    EXPECT_GT(acceptedBefore, 0);
    greeter.Close();
    EXPECT_TRUE(Becomes(service->Id(), kStatusFailure));
    EXPECT_TRUE(Has(Line(service->Id())->Response.Str(), "Cannot connect to")) << Line(service->Id())->Response.Str();
    const std::string changed = "Check 'Greeter' (ID " + std::to_string(service->Id()) + ") changed from ";
    EXPECT_TRUE(ActivityHas(changed + "Success to Error"));
    EXPECT_TRUE(ActivityHas(changed + "Error to Failure"));

    ASSERT_EQ(StopEngine(engine), 0);
}

TEST_F(EngineE2E, RunNowAndClearFailureRequestsDriveACheckAndItsDependant) {
    testsupport::LoopbackTcpPeer greeter(testsupport::LoopbackTcpPeer::Greeting("+OK\r\n"));
    ASSERT_TRUE(greeter.Listening());
    // Runs only when asked to, and fails every time: its port is closed.
    CSnNode* gateway = inst.AddCheck("Gateway", 30, [&](CSnNodeCfg& c) {
        e2e::TcpCheck(c, testsupport::UnusedLoopbackPort());
        c.ScanFrequency.Mode = 2;
        c.ScanFrequency.ErrorThreshold = 2;
    });
    CSnNode* behind = inst.AddCheck("Behind the gateway", 30, [&](CSnNodeCfg& c) {
        e2e::TcpCheck(c, greeter.Port());
        c.Action.Dependencies = std::to_string(gateway->Id());
    });
    inst.WriteTree();
    StartEngine();
    EXPECT_TRUE(Becomes(behind->Id(), kStatusSuccess));
    EXPECT_TRUE(Becomes(gateway->Id(), kStatusUncertain)); // waits for traps: never by timer

    const auto requests = [&](const char* section) {
        return platform::ProfileListKeys(inst.ControlFile().c_str(), section);
    };
    // Each run-now request runs it once: error, then failure at the threshold.
    inst.store.Link()->MonitorNow(gateway);
    EXPECT_TRUE(Becomes(gateway->Id(), kStatusError));
    EXPECT_TRUE(testsupport::Eventually([&] { return requests("MonitorNow").empty(); }, e2e::kPatience, 20ms));
    inst.store.Link()->MonitorNow(gateway);
    EXPECT_TRUE(Becomes(gateway->Id(), kStatusFailure));
    EXPECT_TRUE(Becomes(behind->Id(), kStatusFailureByDependee));
    EXPECT_EQ(Line(behind->Id())->Response.Str(),
              "Not run: 'Gateway' (ID " + std::to_string(gateway->Id()) + ") is in Failure");

    // Clearing the failure resets the count: the dependant runs again, and the next run
    // of the gateway is an error again, not a failure.
    inst.store.Link()->ClearFailureNow(gateway);
    EXPECT_TRUE(Becomes(gateway->Id(), kStatusNone));
    EXPECT_EQ(Line(gateway->Id())->Response.Str(), "Failure cleared");
    EXPECT_TRUE(testsupport::Eventually([&] { return requests("ClearFailureNow").empty(); }, e2e::kPatience, 20ms));
    EXPECT_TRUE(Becomes(behind->Id(), kStatusSuccess));
    inst.store.Link()->MonitorNow(gateway);
    EXPECT_TRUE(Becomes(gateway->Id(), kStatusError));
    EXPECT_TRUE(Becomes(behind->Id(), kStatusErrorByDependee));
    EXPECT_TRUE(ActivityHas("Run now requested for 'Gateway'"));
    EXPECT_TRUE(ActivityHas("Failure cleared for 'Gateway'"));

    ASSERT_EQ(StopEngine(engine), 0);
}

TEST_F(EngineE2E, NotificationTestsAreCarriedOutAndAnswered) {
    testsupport::LoopbackSmtpSink sink;
    StartEngine();

    CSnSmtpNotificationRequest mail;
    mail.MailServer1 = "127.0.0.1";
    mail.MailServerPort1 = sink.Port();
    mail.SenderName1 = "Sentrelle";
    mail.SenderAddress1 = "engine@example.test";
    mail.RecipientAddressList = "ops@example.test";
    mail.Subject = "Quorvane Test Message";
    mail.Message = "Delivered by the engine||second line";
    ASSERT_TRUE(mail.WriteRequest(CQvcString(inst.NotificationDirectory()), true));
    ASSERT_TRUE(testsupport::Eventually([&] { return std::filesystem::exists(mail.ResponseFile().Str()); },
                                        e2e::kPatience, 20ms));
    // The engine writes the answer once it has sent; the request is done by then.
    EXPECT_TRUE(testsupport::Eventually([&] { return !std::filesystem::exists(mail.InProcessFile().Str()); }, e2e::kPatience, 20ms));
    CSnNotificationResponse answer;
    ASSERT_TRUE(answer.ReadResponse(mail));
    EXPECT_EQ(answer.ErrorCode, 0) << answer.ErrorDescription.Str();
    ASSERT_TRUE(sink.WaitForMessages(1, 5s));
    const auto message = sink.Messages().front();
    EXPECT_EQ(message.From, "engine@example.test");
    ASSERT_EQ(message.Recipients.size(), 1u);
    EXPECT_EQ(message.Recipients.front(), "ops@example.test");
    EXPECT_TRUE(Has(message.Data, "Delivered by the engine\r\nsecond line")) << message.Data;

    ASSERT_EQ(StopEngine(engine), 0);
}

TEST_F(EngineE2E, OneEnginePerRootAndACleanStopOnSignals) {
    // A page that answers only after a long time keeps a run going when the stop comes.
    testsupport::LoopbackHttpServer slow;
    testsupport::LoopbackHttpServer::Route late;
    late.body = "late";
    late.delay = 60s;
    slow.SetRoute("/slow", late);
    CSnNode* hanging = inst.AddCheck("Slow page", 33, [&](CSnNodeCfg& c) {
        c.Function.ParamServer = "127.0.0.1:" + std::to_string(slow.Port());
        c.Function.Param1 = "/slow";
        c.Function.Param5 = "120";
        c.ScanFrequency.Interval = 1;
    });
    inst.WriteTree();
    StartEngine();
    EXPECT_TRUE(testsupport::Eventually([&] { return Has(testsupport::ReadFile(EngineLog()), "Ready"); },
                                        e2e::kPatience, 20ms));

    // A second engine on the same root is refused and leaves the first one's pid file.
    e2e::ChildProcess second;
    ASSERT_TRUE(Launch(second, "second"));
    EXPECT_EQ(second.WaitExit(e2e::kPatience), 3);
    const std::string refusal = testsupport::ReadFile(Dir().File("second.err"));
    EXPECT_TRUE(Has(refusal, "another engine (pid " + std::to_string(engine.Pid()) + ") already runs on the Engine root"))
        << refusal;
    EXPECT_EQ(CPidFile::ReadPid(PidFile()), engine.Pid());

    // SIGHUP reloads the configuration, whatever the control file says, and nothing else.
    ASSERT_TRUE(engine.Signal(SIGHUP));
    EXPECT_TRUE(testsupport::Eventually(
        [&] { return ActivityHas("Configuration reloaded: 1 checks (0 new, 0 changed, 0 removed)"); }, e2e::kPatience,
        20ms));
    EXPECT_TRUE(Has(testsupport::ReadFile(EngineLog()), "Reload requested"));
    EXPECT_TRUE(engine.Running());

    // SIGTERM while the check runs: the engine gives up the run within a few seconds,
    // writes its last results without a Processing flag and removes its pid file.
    ASSERT_TRUE(testsupport::Eventually([&] { return Line(hanging->Id()).value_or(ResultLine()).Processing == 1; },
                                        e2e::kPatience, 20ms));
    const auto stopAsked = std::chrono::steady_clock::now();
    ASSERT_EQ(StopEngine(engine), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 20s);
    EXPECT_FALSE(std::filesystem::exists(PidFile()));
    // The stop takes the results off the result file, so that Managers show the engine as
    // not running; the last line waits beside it, without a Processing flag.
    EXPECT_FALSE(Line(hanging->Id()).has_value());
    const auto kept = inst.RawLine(hanging->Id(), inst.RetiredResultFile());
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(ResultLine::Parse(*kept).Processing, 0);
    ASSERT_FALSE(Activity().empty());
    EXPECT_EQ(Activity().back(), "Sentrelle Engine stopped");
    EXPECT_TRUE(Has(testsupport::ReadFile(EngineLog()), "Stopping on signal 15"));
    // In the foreground the log goes to standard error as well.
    EXPECT_TRUE(Has(testsupport::ReadFile(Dir().File("engine.err")), "Stopping on signal 15"));

    // The root is free again; a new engine starts, logs its restart and stops on SIGINT.
    e2e::ChildProcess again;
    ASSERT_TRUE(Launch(again, "again"));
    ASSERT_TRUE(testsupport::Eventually([&] { return CPidFile::ReadPid(PidFile()) == again.Pid(); }, e2e::kPatience, 20ms))
        << testsupport::ReadFile(Dir().File("again.err"));
    EXPECT_EQ(Activity().front(), "Sentrelle Engine started");
    EXPECT_EQ(StopEngine(again, SIGINT), 0);
    EXPECT_FALSE(std::filesystem::exists(PidFile()));
}

TEST_F(EngineE2E, ARootWithoutAConfigurationOrWithoutADirectoryIsRefused) {
    // A directory that holds no installation: the store cannot be opened.
    std::filesystem::create_directories(Dir().File("empty"));
    e2e::ProgramRun empty = e2e::RunProgram(Dir(), EngineProgram(), {"--root", Dir().File("empty")});
    EXPECT_EQ(empty.Code, 1);
    EXPECT_TRUE(Has(empty.Err, "cannot open the configuration of " + Dir().File("empty") + "/")) << empty.Err;
    EXPECT_FALSE(std::filesystem::exists(CPidFile::PathForRoot(Dir().File("empty"))));

    e2e::ProgramRun missing = e2e::RunProgram(Dir(), EngineProgram(), {"--root", Dir().File("missing")});
    EXPECT_EQ(missing.Code, 2);
    EXPECT_TRUE(Has(missing.Err, "is not a directory")) << missing.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir().File("missing")));
}

TEST_F(EngineE2E, PlantedLinksAndAZeroUmaskLeadNoWriteOutsideTheRoot) {
    // What a hostile local user could plant if they could write in the root: links at the
    // engine's own files, to a file that exists and to names that do not exist yet.
    const std::string outside = Dir().File("outside");
    std::filesystem::create_directories(outside);
    testsupport::WriteFile(outside + "/victim", "root only\n");
    const auto plant = [&](const std::string& at, const std::string& target) {
        std::filesystem::remove(at);
        std::filesystem::create_symlink(outside + "/" + target, at);
    };
    const auto outsideNow = [&] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(outside))
            files[entry.path().filename().string()] = testsupport::ReadFile(entry.path().string());
        return files;
    };
    const auto before = outsideNow();
    testsupport::LoopbackSmtpSink sink;
    const mode_t umask = ::umask(0);

    // A link at the pid file: the engine does not start, and says why.
    plant(PidFile(), "victim");
    e2e::ChildProcess refused;
    ASSERT_TRUE(Launch(refused, "refused"));
    EXPECT_EQ(refused.WaitExit(e2e::kPatience), kEngineExitStartFailed);
    EXPECT_TRUE(Has(testsupport::ReadFile(Dir().File("refused.err")), "QvsSnSvc.pid: it is a symbolic link"));
    std::filesystem::remove(PidFile());

    // Links at its log, its activity log and a notification log: it runs, writes none of
    // them, and reports each refusal (on standard error, as its log is refused too).
    plant(EngineLog(), "engine-log");
    plant(inst.ActivityFile(), "victim");
    plant(inst.File("Logs/smtplog.txt"), "smtp-log");
    StartEngine();
    ::umask(umask);
    CSnSmtpNotificationRequest mail;
    mail.MailServer1 = "127.0.0.1";
    mail.MailServerPort1 = sink.Port();
    mail.SenderAddress1 = "engine@example.test";
    mail.RecipientAddressList = "ops@example.test";
    mail.LogFile = "<SNROOT>Logs\\smtplog.txt";
    ASSERT_TRUE(mail.WriteRequest(CQvcString(inst.NotificationDirectory()), true));
    ASSERT_TRUE(testsupport::Eventually([&] { return std::filesystem::exists(mail.ResponseFile().Str()); },
                                        e2e::kPatience, 20ms));
    const auto errText = [&] { return testsupport::ReadFile(Dir().File("engine.err")); };
    EXPECT_TRUE(testsupport::Eventually([&] { return Has(errText(), "Cannot write " + inst.ActivityFile()); },
                                        e2e::kPatience, 20ms));
    EXPECT_TRUE(Has(errText(), "Logs/Engine.log: it is a symbolic link")) << errText();
    EXPECT_TRUE(Has(errText(), "Logs/smtplog.txt not written: it is a symbolic link")) << errText();
    ASSERT_EQ(StopEngine(engine), 0);

    EXPECT_EQ(outsideNow(), before);
    // Under umask 000, nothing the engine made is writable by other users.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(inst.Root())) {
        struct stat st {};
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (!S_ISLNK(st.st_mode)) {
            EXPECT_EQ(st.st_mode & 0002, 0u) << entry.path();
        }
    }
}
