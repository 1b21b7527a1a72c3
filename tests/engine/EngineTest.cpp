// The engine on a real installation with a scripted runner and a clock the test moves:
// scheduling, the status pipeline, the files it publishes, requests and reloads.
#include "engine/Engine.h"
#include "model/tree/NodeStatus.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "engine/EngineLog.h"
#include "engine/NotificationSender.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/notify/SnSnmpNotificationRequest.h"
#include "engine/HistoryWriter.h"
#include "model/history/HistoryStore.h"
#include "model/settings/SnStatsLimits.h"

#include "EngineTestSupport.h"
#include "ForkedChild.h"
#include "LoopbackSockets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using enginetest::FakeClock;
using enginetest::FakeRunner;
using enginetest::Gate;
using enginetest::Outcome;
using Kind = CheckOutcome::Kind;

namespace {

// Times of day on the test's Tuesday 2024-03-05 (UTC): any time value with that time of
// day will do in a schedule entry.
constexpr std::int64_t kAt0900 = FakeClock::kStartWall - 3600;
constexpr std::int64_t kAt0930 = FakeClock::kStartWall - 1800;
constexpr std::int64_t kAt1030 = FakeClock::kStartWall + 1800;

// How many lines of the file hold `text`.
long LinesWith(const std::string& path, const std::string& text) {
    return std::ranges::count_if(testsupport::Lines(testsupport::ReadFile(path)),
                                 [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::string Entry(const char* days, std::int64_t time, int hours) {
    return std::string(days) + ";" + std::to_string(time) + ";" + std::to_string(hours);
}

class EngineTest : public ::testing::Test {
protected:
    EngineOptions Options() {
        EngineOptions options;
        options.Root = CQvcString(inst.Root());
        options.Clock = &clock;
        options.Workers = 4;
        options.FlushPeriod = std::chrono::milliseconds(0);
        return options;
    }
    void StartEngine(EngineOptions options) {
        EngineServices services;
        services.RunCheck = FakeRunner::Function(runner);
        engine = std::make_unique<CEngine>(options, services);
        CQvcString message;
        ASSERT_EQ(engine->Start(message), 0) << message.Str();
    }
    void StartEngine() { StartEngine(Options()); }
    // Starts what is due, lets the runs finish and publishes their results.
    void Step() {
        engine->Tick();
        ASSERT_TRUE(engine->WaitIdle(10000));
        engine->Tick();
    }
    // Ticks until `done` holds (real time, generous); false when it never did.
    bool TickUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            engine->Tick();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void Advance(std::int64_t seconds) {
        clock.AdvanceSeconds(seconds);
        Step();
    }
    std::vector<std::string> ActivityTexts() const {
        std::vector<std::string> texts;
        for (const std::string& line : engine->Activity().Lines())
            texts.push_back(CQvcString(line).Token("||", 2).Str());
        return texts;
    }
    // "<status name>: <response>" of the line each check published.
    std::vector<std::string> Said(std::initializer_list<std::int32_t> ids) const {
        std::vector<std::string> said;
        for (std::int32_t id : ids) {
            const ResultLine line = inst.Line(id);
            said.push_back(std::string(StatusName(line.Status)) + ": " + line.Response.Str());
        }
        return said;
    }
    bool ActivityHas(const std::string& text) const {
        for (const std::string& line : ActivityTexts()) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    testsupport::ScopedTimeZone utc{"UTC"};
    enginetest::Installation inst;
    FakeClock clock;
    std::shared_ptr<FakeRunner> runner = std::make_shared<FakeRunner>();
    std::unique_ptr<CEngine> engine;
};

} // namespace

TEST_F(EngineTest, IntervalChecksRunAndPublishTheirLine) {
    const std::int32_t id = inst.AddCheck("Web")->Id();
    CSnNode* folder = inst.AddFolder("Servers");
    CSnNode* untyped = inst.AddCheck("No type", kTypeNone, {}, folder);
    const std::int32_t broken = inst.AddCheck("Broken")->Id();
    inst.WriteTree();
    runner->Set(id, Outcome(Kind::Success, "Connected", "12 ms", "a comment", 3));
    runner->Throw(broken);
    const std::string resultsBefore = inst.ControlValue("Updates", "Results");

    StartEngine();
    EXPECT_EQ(engine->CheckCount(), 2u); // folders and checks without a type never run
    Step();
    EXPECT_EQ(inst.RawLine(id).value_or(""), "1||1709632800||0||a comment||3||12 ms||Connected");
    EXPECT_EQ(Said({broken}), std::vector<std::string>{"Uncertain: The check failed inside the engine: runner broke"});
    EXPECT_NE(inst.ControlValue("Updates", "Results"), resultsBefore);
    EXPECT_FALSE(inst.RawLine(untyped->Id()) || inst.RawLine(folder->Id()));
    EXPECT_EQ(runner->LastContext().EngineRoot.Str(), inst.Root() + "/");
    EXPECT_EQ(runner->LastContext().Timeout, Options().RunTimeout);

    // Every Interval seconds, not before.  A duration the runner leaves open comes from
    // the run's own time (here under a second); a change of state is logged.
    Advance(59);
    EXPECT_EQ(runner->Runs(id), 1);
    runner->Set(id, Outcome(Kind::Error, "Connection refused", "", "", -1));
    Advance(1);
    EXPECT_EQ(runner->Runs(id), 2);
    EXPECT_EQ(inst.RawLine(id).value_or(""), "3||1709632860||0||||0||||Connection refused");
    EXPECT_TRUE(ActivityHas("Check 'Web' (ID " + std::to_string(id) +
                            ") changed from Success to Failure: Connection refused"));
}

TEST_F(EngineTest, ProcessingFlagIsSetWhileTheCheckRuns) {
    const std::int32_t id = inst.AddCheck("Slow")->Id();
    inst.WriteTree();
    auto gate = std::make_shared<Gate>();
    runner->Hold(id, gate);
    StartEngine();
    engine->Tick();
    ASSERT_TRUE(gate->WaitForWaiters(1));
    engine->Tick();
    EXPECT_EQ(inst.RawLine(id).value_or(""), "0||0||1||||0||||");
    // Not started again while it runs, although its interval has passed.
    clock.AdvanceSeconds(65);
    engine->Tick();
    EXPECT_EQ(runner->Runs(id), 1);
    gate->Release();
    ASSERT_TRUE(engine->WaitIdle(10000));
    engine->Tick();
    EXPECT_EQ(inst.RawLine(id).value_or(""), "1||1709632865||0||||0||||OK");
}

TEST_F(EngineTest, HoldMaintenanceAndDependeesStandInForARun) {
    const std::int32_t held = inst.AddCheck("Held", 30, [](CSnNodeCfg& c) { c.OnHold = 1; })->Id();
    const std::int32_t router = inst.AddCheck("Router")->Id();
    const std::int32_t behindRouter =
        inst.AddCheck("Behind router", 30, [&](CSnNodeCfg& c) { c.Action.Dependencies = std::to_string(router); })
            ->Id();
    // A folder stands for every check below it, at any depth; an unknown ID is ignored.
    CSnNode* folder = inst.AddFolder("Core");
    const std::int32_t deep = inst.AddCheck("Deep", 30, [](CSnNodeCfg& c) { c.ScanFrequency.ErrorThreshold = 3; },
                                            inst.AddFolder("Inner", folder))
                                  ->Id();
    const std::int32_t onFolder = inst.AddCheck("On the folder", 30, [&](CSnNodeCfg& c) {
                                      c.Action.Dependencies = std::to_string(folder->Id()) + ";999999";
                                  })->Id();
    inst.WriteTree();
    CSnMaintenanceSettings maintenance;
    maintenance.Schedule.SetText(Entry("e0010000", kAt0930, 1));
    ASSERT_EQ(maintenance.Write(inst.store), 0);
    runner->Set(router, Outcome(Kind::Error, "no route"));
    runner->Set(deep, Outcome(Kind::Error, "down"));

    StartEngine();
    Step();
    // Which window wins is the gate rule's; here the global one comes from the store.
    EXPECT_EQ(Said({held, router}),
              (std::vector<std::string>{"On Hold: Check is on hold",
                                        "Maintenance: In a maintenance window until 03/05/2024 10:30:00 AM"}));
    // The global window is over: the rest runs, as none of the dependees has failed yet.
    Advance(31 * 60);
    EXPECT_EQ(Said({router, deep, behindRouter}), (std::vector<std::string>{"Failure: no route", "Error: down", "Success: OK"}));
    Advance(60);
    EXPECT_EQ(Said({behindRouter, onFolder}),
              (std::vector<std::string>{
                  "Failure by Dependee: Not run: 'Router' (ID " + std::to_string(router) + ") is in Failure",
                  "Error by Dependee: Not run: 'Deep' (ID " + std::to_string(deep) + ") is in Error"}));
    EXPECT_EQ(runner->Runs(held), 0);
    EXPECT_EQ(runner->Runs(behindRouter), 1);
}

TEST_F(EngineTest, ScheduledChecksRunAtTheirEntriesInLocalTime) {
    // Tuesdays at 10:30; the engine starts at 10:00.
    const std::int32_t weekly = inst.AddCheck("Weekly", 30, [](CSnNodeCfg& c) {
                                    c.ScanFrequency.Mode = 1;
                                    c.ScanFrequency.Schedule.SetText(Entry("e0010000", kAt1030, 0));
                                })->Id();
    // Once, on Wednesday 2024-03-06 at 09:00.
    const std::int32_t dated = inst.AddCheck("Dated", 30, [](CSnNodeCfg& c) {
                                   c.ScanFrequency.Mode = 1;
                                   c.ScanFrequency.Schedule.SetText("d" + std::to_string(FakeClock::kStartWall + 86400) +
                                                                    ";" + std::to_string(kAt0900) + ";0");
                               })->Id();
    const std::int32_t traps = inst.AddCheck("Traps", 42, [](CSnNodeCfg& c) { c.ScanFrequency.Mode = 2; })->Id();
    inst.WriteTree();

    StartEngine();
    Step();
    EXPECT_EQ(inst.RawLine(weekly).value_or(""),
              "0||0||0||||0||||Waiting for its next scheduled run on 03/05/2024 10:30:00 AM");
    EXPECT_EQ(Said({traps}),
              std::vector<std::string>{"Uncertain: Runs on incoming SNMP traps: the SNMP trap receiver is off in the global settings"});
    Advance(29 * 60 + 59);
    EXPECT_EQ(runner->Runs(weekly), 0);
    Advance(1);
    EXPECT_EQ(runner->Runs(weekly), 1);
    // Wednesday 09:00 comes: the dated entry runs once.  A week later the weekly check runs
    // again; the dated one and the trap check never.
    Advance(22 * 3600 + 30 * 60);
    EXPECT_EQ(runner->Runs(dated), 1);
    Advance(7 * 86400);
    EXPECT_EQ(std::vector<int>({runner->Runs(weekly), runner->Runs(dated), runner->Runs(traps)}),
              std::vector<int>({2, 1, 0}));
}

TEST_F(EngineTest, RunNowAndClearFailureRequestsAreConsumed) {
    const std::int32_t scheduled = inst.AddCheck("Scheduled", 30, [](CSnNodeCfg& c) {
                                       c.ScanFrequency.Mode = 1;
                                       c.ScanFrequency.Schedule.SetText(Entry("e0100000", kAt0900, 0));
                                   })->Id();
    CSnNode* folder = inst.AddFolder("Group");
    const std::int32_t first = inst.AddCheck("First", 30, {}, folder)->Id();
    const std::int32_t second = inst.AddCheck("Second", 30, {}, folder)->Id();
    CSnNode* failingNode = inst.AddCheck("Failing", 30, [](CSnNodeCfg& c) { c.ScanFrequency.ErrorThreshold = 2; });
    const std::int32_t failing = failingNode->Id();
    inst.WriteTree();
    runner->Set(failing, Outcome(Kind::Error, "down"));

    StartEngine();
    Step();
    Advance(60);
    EXPECT_EQ(inst.Line(failing).Status, kStatusFailure);
    const std::string ns = inst.ControlValue("Updates", "NS");

    // As the Manager writes them: each ID, then "0".
    CSnIPC* link = inst.store.Link();
    link->MonitorNow(CSnCfg::FindNode(inst.root, scheduled));
    link->MonitorNow(folder);
    link->ClearFailureNow(failingNode);
    platform::ProfileWriteText(inst.ControlFile().c_str(), "MonitorNow", "424242", "1"); // no such check
    Advance(1);
    EXPECT_EQ(std::vector<int>({runner->Runs(scheduled), runner->Runs(first), runner->Runs(second)}),
              std::vector<int>({1, 3, 3}));
    EXPECT_TRUE(platform::ProfileListKeys(inst.ControlFile().c_str(), "MonitorNow").empty());
    EXPECT_TRUE(platform::ProfileListKeys(inst.ControlFile().c_str(), "ClearFailureNow").empty());
    EXPECT_EQ(inst.ControlValue("Updates", "NS"), ns);
    EXPECT_EQ(Said({failing}), std::vector<std::string>{"n/a: Failure cleared"});
    EXPECT_TRUE(ActivityHas("Failure cleared for 'Failing'"));
    EXPECT_TRUE(ActivityHas("Run now requested for 3 checks"));

    // The count of errors in a row starts again: the next error is an Error.  Requests
    // seen once are not acted on again.
    Advance(59);
    EXPECT_EQ(inst.Line(failing).Status, kStatusError);
    EXPECT_EQ(runner->Runs(scheduled), 1);
}

TEST_F(EngineTest, ReloadsFollowTheStoreAndTheGlobalSettings) {
    CSnNode* kept = inst.AddCheck("Kept");
    const std::int32_t removedId = inst.AddCheck("Removed")->Id();
    const std::int32_t unsure =
        inst.AddCheck("Unsure", 30, [](CSnNodeCfg& c) { c.Action.Uncertain.UseGlobal = 1; })->Id();
    inst.WriteTree();
    runner->Set(unsure, Outcome(Kind::Uncertain, "cannot tell"));
    StartEngine();
    Step();
    ASSERT_TRUE(inst.RawLine(removedId).has_value());
    EXPECT_EQ(inst.Line(unsure).Status, kStatusUncertain);

    // A Manager adds a check, puts one on hold, deletes another and maps undetermined
    // results to errors.
    const std::int32_t added = inst.AddCheck("Added")->Id();
    kept->Cfg.OnHold = 1;
    inst.Rewrite(kept);
    ASSERT_EQ(inst.store.RemoveFromTree(inst.root, removedId, false, true), 0);
    inst.WriteTree();
    CSnAdvancedSettings advanced;
    ASSERT_EQ(advanced.Read(inst.store), 0);
    advanced.UncertainAsError = true;
    ASSERT_EQ(advanced.Write(inst.store), 0);
    // Nothing changes before the engine looks at the control file.
    clock.Advance(std::chrono::milliseconds(500));
    Step();
    EXPECT_EQ(runner->Runs(added), 0);
    Advance(1);
    EXPECT_EQ(engine->CheckCount(), 3u);
    EXPECT_EQ(runner->Runs(added), 1);
    EXPECT_EQ(inst.Line(kept->Id()).Status, kStatusOnHold);
    EXPECT_FALSE(inst.RawLine(removedId).has_value());
    EXPECT_TRUE(ActivityHas("Configuration reloaded: 3 checks (1 new, 1 changed, 1 removed)"));
    Advance(59);
    EXPECT_EQ(inst.Line(unsure).Status, kStatusFailure);
}

TEST_F(EngineTest, BackgroundReloadsApplyEveryChangeAndStopMidLoad) {
    inst.AddCheck("First");
    inst.WriteTree();
    EngineOptions options = Options();
    options.BackgroundLoads = true;
    StartEngine(options);
    inst.AddCheck("Second");
    inst.WriteTree();
    engine->RequestReload();
    engine->Tick();
    // A change and a request while that load may still run: loaded after it, not lost.
    const std::int32_t third = inst.AddCheck("Third")->Id();
    inst.WriteTree();
    engine->RequestReload();
    EXPECT_TRUE(TickUntil([&] { return engine->Check(third) != nullptr; }));
    EXPECT_EQ(engine->CheckCount(), 3u);
    EXPECT_TRUE(ActivityHas("Configuration reloaded: 3 checks"));
    engine->RequestReload();
    engine->Tick();
    engine->Stop();
    EXPECT_EQ(ActivityTexts().back(), "Sentrelle Engine stopped");
}

TEST_F(EngineTest, ARestartKeepsThePublishedResultsAndStartsANewActivityLog) {
    const std::int32_t interval = inst.AddCheck("Interval")->Id();
    const std::int32_t scheduled = inst.AddCheck("Scheduled", 30, [](CSnNodeCfg& c) {
                                       c.ScanFrequency.Mode = 1;
                                       c.ScanFrequency.Schedule.SetText(Entry("e0100000", kAt0900, 0));
                                   })->Id();
    inst.WriteTree();
    runner->Set(interval, Outcome(Kind::Error, "down"));
    StartEngine();
    Step();
    engine->Stop();
    // Stopped, the engine publishes nothing, so that Managers show "not running"; the
    // lines wait beside the file for the next start.
    EXPECT_FALSE(inst.RawLine(interval) || inst.RawLine(scheduled));
    EXPECT_EQ(inst.Line(interval, inst.RetiredResultFile()).Response.Str(), "down");
    EXPECT_EQ(ActivityTexts(), (std::vector<std::string>{"Sentrelle Engine started", "Configuration loaded: 2 checks",
                                                         "Sentrelle Engine stopped"}));
    engine.reset();

    // What a crash leaves: a Processing flag, and a line of a check that no longer exists.
    platform::ProfileWriteText(inst.ResultFile().c_str(), "Results", std::to_string(scheduled).c_str(),
                               "1||1700000000||1||c||2||d||r");
    platform::ProfileWriteText(inst.ResultFile().c_str(), "Results", "999999", "1||1||0||||0||||gone");
    clock.AdvanceSeconds(3600);
    StartEngine();
    engine->Tick();
    EXPECT_EQ(inst.RawLine(scheduled).value_or(""), "1||1700000000||0||c||2||d||r");
    EXPECT_FALSE(inst.RawLine(999999).has_value());
    // The retired line of the interval check is published again, with its errors in a row.
    EXPECT_EQ(inst.Line(interval).Response.Str(), "down");
    EXPECT_EQ(engine->Check(interval)->ErrorCount, 1);
    EXPECT_EQ(engine->Activity().Lines().front(), "00000000||1709636400||Sentrelle Engine started");
}

TEST_F(EngineTest, ARunPastItsTimeIsGivenUpAndItsWorkerReplaced) {
    const std::int32_t hung = inst.AddCheck("Hung")->Id();
    const std::int32_t next = inst.AddCheck("Next")->Id();
    inst.WriteTree();
    auto gate = std::make_shared<Gate>(true);
    runner->Hold(hung, gate);
    EngineOptions options = Options();
    options.Workers = 1;
    options.RunTimeout = std::chrono::milliseconds(1000);
    options.RunGrace = std::chrono::milliseconds(1000);
    StartEngine(options);
    engine->Tick();
    ASSERT_TRUE(gate->WaitForWaiters(1));
    engine->Tick();
    EXPECT_EQ(runner->Runs(next), 0); // one worker, and it is stuck

    clock.Advance(std::chrono::milliseconds(2001));
    engine->Tick();
    // Published with the time it was given, and no Processing flag.
    EXPECT_EQ(inst.RawLine(hung).value_or(""), "8||1709632802||0||||2||||The check did not finish within 1 seconds");
    EXPECT_EQ(engine->AbandonedRuns(), 1u);
    ASSERT_TRUE(engine->WaitIdle(10000));
    engine->Tick();
    EXPECT_EQ(Said({next}), std::vector<std::string>{"Success: OK"});
    gate->Release();
}

TEST_F(EngineTest, StopWaitsBrieflyThenAbandonsAndClearsTheProcessingFlag) {
    const std::int32_t hung = inst.AddCheck("Hung")->Id();
    const std::int32_t quick = inst.AddCheck("Quick")->Id();
    inst.WriteTree();
    auto gate = std::make_shared<Gate>(true);
    runner->Hold(hung, gate);
    EngineOptions options = Options();
    options.StopWait = std::chrono::milliseconds(200);
    StartEngine(options);
    engine->Tick();
    ASSERT_TRUE(gate->WaitForWaiters(1));
    ASSERT_TRUE(TickUntil([&] { return inst.RawLine(quick).has_value() && inst.Line(quick).Status == kStatusSuccess; }));
    ASSERT_EQ(inst.Line(hung).Processing, 1);

    const auto begin = std::chrono::steady_clock::now();
    engine->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(8));
    EXPECT_EQ(engine->AbandonedRuns(), 1u);
    // The lines went aside with the stop, the abandoned run's without its Processing flag.
    EXPECT_FALSE(inst.RawLine(quick).has_value());
    EXPECT_EQ(inst.RawLine(hung, inst.RetiredResultFile()).value_or(""), "0||0||0||||0||||");
    EXPECT_EQ(inst.Line(quick, inst.RetiredResultFile()).Status, kStatusSuccess);
    EXPECT_EQ(ActivityTexts().back(), "Sentrelle Engine stopped");
    // Stopped is stopped: nothing runs any more.
    clock.AdvanceSeconds(600);
    engine->Tick();
    EXPECT_EQ(runner->Runs(quick), 1);
    gate->Release();
}

TEST_F(EngineTest, StartFailsCleanlyWithoutAConfiguration) {
    testsupport::TempDir empty;
    EngineOptions options = Options();
    options.Root = CQvcString(empty.Path());
    CEngine broken(options, EngineServices{});
    CQvcString message;
    EXPECT_NE(broken.Start(message), 0);
    EXPECT_TRUE(message.StartsWith("cannot open the configuration of " + empty.Path() + "/")) << message.Str();
    broken.Tick(); // does nothing
    broken.Stop();
}

TEST_F(EngineTest, ChecksThatStartLateAreReportedOnceAMinute) {
    const auto slow = [&](const char* name) {
        return inst.AddCheck(name, 30, [](CSnNodeCfg& c) { c.ScanFrequency.Interval = 600; })->Id();
    };
    const std::int32_t first = slow("First");
    const std::int32_t second = slow("Second");
    slow("Third");
    inst.WriteTree();
    auto firstGate = std::make_shared<Gate>();
    auto secondGate = std::make_shared<Gate>();
    runner->Hold(first, firstGate);
    runner->Hold(second, secondGate);
    CEngineLog log;
    ASSERT_TRUE(log.Open(CQvcString(inst.File("engine.log"))));
    EngineOptions options = Options();
    options.Workers = 1;
    options.Log = &log;
    StartEngine(options);
    const auto lateLines = [&] {
        std::vector<std::string> lines;
        std::ifstream file(inst.File("engine.log"));
        for (std::string line; std::getline(file, line);) {
            if (const auto at = line.find("Behind schedule: "); at != std::string::npos)
                lines.push_back(line.substr(at));
        }
        return lines;
    };

    // One worker: the second check starts 20 s late, the third still waits a minute on.
    engine->Tick();
    ASSERT_TRUE(firstGate->WaitForWaiters(1));
    engine->Tick();
    clock.AdvanceSeconds(20);
    firstGate->Release();
    ASSERT_TRUE(secondGate->WaitForWaiters(1));
    engine->Tick();
    EXPECT_TRUE(lateLines().empty());
    clock.AdvanceSeconds(41);
    engine->Tick();
    EXPECT_EQ(lateLines(), std::vector<std::string>{"Behind schedule: 1 checks started late in the last minute (median "
                                                    "20.0 s, maximum 20.0 s late); 1 due checks have not started yet "
                                                    "(the longest waits 61.0 s)"});

    secondGate->Release();
    ASSERT_TRUE(engine->WaitIdle(10000));
    engine->Tick();
    clock.AdvanceSeconds(60);
    engine->Tick();
    // A quiet minute says nothing.
    clock.AdvanceSeconds(60);
    engine->Tick();
    EXPECT_EQ(lateLines(), (std::vector<std::string>{
                               lateLines().front(), "Behind schedule: 1 checks started late in the last minute (median "
                                                    "61.0 s, maximum 61.0 s late); 0 due checks have not started yet"}));
    engine.reset(); // it logs its stop
}

// The trap receiver on a free port of this computer: checks of the trap type show the
// receiver's default status until a trap that passes their filters sets theirs; traps
// of another community are dropped, the others logged.
TEST_F(EngineTest, TrapChecksTakeTheirStatusFromTheTrapsTheyMatch) {
    int port = 0;
    ::close(testsupport::OpenLoopbackSocket(SOCK_DGRAM, port));
    CSnAdvancedSettings advanced;
    ASSERT_EQ(advanced.Read(inst.store), 0);
    advanced.SnmpTrapRcv.Enabled = true;
    advanced.SnmpTrapRcv.Port = port;
    advanced.SnmpTrapRcv.AllCommunities = false;
    advanced.SnmpTrapRcv.EnableLogging = true;
    advanced.SnmpTrapRcv.TextLog = "<SNROOT>traps.txt";
    advanced.SnmpTrapRcv.TextSeparator = "|";
    ASSERT_EQ(advanced.Write(inst.store), 0);
    const auto trapCheck = [&](const char* name, const std::function<void(SnmpTrapSettings&)>& edit) {
        return inst.AddCheck(name, kTypeSnmpTrapReceive, [&](CSnNodeCfg& c) {
                   c.ScanFrequency.Mode = 2;
                   SnmpTrapSettings s; // as a new check of the type
                   edit(s);
                   s.Write(c.Function);
               })->Id();
    };
    const std::int32_t disk = trapCheck("Disk", [](SnmpTrapSettings& s) {
        s.Oid = "1.3.6.1.4.1.99.7";
        s.MatchValue = true;
        s.Value = "disk full";
    });
    const std::int32_t alarm = trapCheck("Any v1 trap", [](SnmpTrapSettings& s) {
        s.Version = 1;
        s.ErrorWhenReceived = true;
    });
    inst.WriteTree();
    StartEngine();
    Step();
    const std::string waiting = "Uncertain: Waiting for an SNMP trap on UDP port " + std::to_string(port);
    EXPECT_EQ(Said({disk, alarm}), std::vector<std::string>({waiting, waiting}));

    const auto send = [&](int version, const char* community) {
        CSnSnmpNotificationRequest trap;
        trap.Agent = "127.0.0.1:" + std::to_string(port);
        trap.Community = community;
        trap.OID = "1.3.6.1.4.1.99.7";
        trap.OIDValue = "disk full";
        trap.OIDType = 8;
        trap.ProtocolVersion = version;
        trap.GenericTrap = 6;
        EXPECT_EQ(SendTestTrap(trap, RunContext{}).ErrorCode, 0);
    };
    send(2, "private");
    send(2, "public");
    const std::string fromV2 = "SNMP v2c trap 1.3.6.1.4.1.99.7 from 127.0.0.1: 1.3.6.1.4.1.99.7=disk full";
    ASSERT_TRUE(TickUntil([&] { return inst.Line(disk).Status == kStatusSuccess; })) << Said({disk})[0];
    EXPECT_EQ(Said({disk, alarm}), std::vector<std::string>({"Success: " + fromV2, waiting}));
    send(1, "public");
    ASSERT_TRUE(TickUntil([&] { return inst.Line(alarm).Status != kStatusUncertain; }));
    const std::string fromV1 = "SNMP v1 trap 1.3.6.1.4.1.99.7.0.0 from 127.0.0.1: 1.3.6.1.4.1.99.7=disk full";
    EXPECT_EQ(Said({disk, alarm}), std::vector<std::string>({"Success: " + fromV1, "Failure: " + fromV1}));
    std::vector<std::string> logged;
    std::istringstream log(testsupport::ReadFile(inst.Root() + "/traps.txt"));
    for (std::string line; std::getline(log, line);)
        logged.push_back(line.substr(line.find("] ") + 2));
    EXPECT_EQ(logged, std::vector<std::string>({"127.0.0.1|SNMP v2c|public|1.3.6.1.4.1.99.7|1.3.6.1.4.1.99.7=disk full",
                                                "127.0.0.1|SNMP v1|public|1.3.6.1.4.1.99.7.0.0|1.3.6.1.4.1.99.7=disk full"}));

    // A trap of the distribution's sender, when it is installed.
    if (::access("/usr/bin/snmptrap", X_OK) != 0)
        GTEST_SKIP() << "snmptrap (package snmp) is not installed: traps of another sender not tried";
    const pid_t sender = testsupport::Spawn([&] {
        const std::string target = "127.0.0.1:" + std::to_string(port);
        ::execl("/usr/bin/snmptrap", "snmptrap", "-v", "2c", "-c", "public", "-M", "/dev/null", target.c_str(), "",
                "1.3.6.1.4.1.99.7.3", "1.3.6.1.4.1.99.7.3.1", "s", "disk full", static_cast<char*>(nullptr));
        return 127;
    });
    EXPECT_EQ(testsupport::ExitStatus(sender), 0);
    ASSERT_TRUE(TickUntil([&] { return Said({disk})[0].find("7.3 from") != std::string::npos; })) << Said({disk})[0];
    EXPECT_EQ(Said({disk})[0], "Success: SNMP v2c trap 1.3.6.1.4.1.99.7.3 from 127.0.0.1: 1.3.6.1.4.1.99.7.3.1=disk full");
}

TEST_F(EngineTest, HistoryKeepsChangesPeriodicResultsAndGraphSamplesWithinItsLimits) {
    CSnStatsLimits limits;
    limits.Read(); // makes the key; results and warnings keep their periods of 300 s
    limits.GrLogFrequencySecs = 120;
    limits.RpTblSqlRecordLimit = 4;
    limits.RpTblSqlRecordWarning = 3;
    limits.GrTblSqlRecordLimit = 2;
    ASSERT_EQ(limits.Write(), 0);
    const std::int32_t web = inst.AddCheck("Web", 30, [](CSnNodeCfg& cfg) { cfg.GraphEnabled = 1; })->Id();
    const std::int32_t mail = inst.AddCheck("Mail")->Id();
    inst.WriteTree();
    runner->Set(web, Outcome(Kind::Success, "Connected", "<12.5 ms"));
    CEngineLog log;
    ASSERT_TRUE(log.Open(CQvcString(inst.File("engine.log"))));
    EngineOptions options = Options();
    options.HistoryFlushPeriod = std::chrono::milliseconds(0);
    options.Log = &log;
    StartEngine(options);
    Step();
    for (int minute = 1; minute <= 6; ++minute) {
        if (minute == 3)
            runner->Set(mail, Outcome(Kind::Error, "Refused"));
        Advance(60);
    }
    CHistoryStore store; // read beside the running engine
    ASSERT_EQ(store.Open(StatisticsDatabasePath(kStatisticsConnection, CQvcString(inst.Root())), false), 0)
        << store.ErrorText().Str();
    using Kept = std::vector<std::tuple<std::int64_t, std::int32_t, bool>>;
    const auto kept = [&](std::int32_t id) {
        std::vector<CHistoryEntry> entries;
        EXPECT_EQ(store.Entries(id, 0, FakeClock::kStartWall * 2, entries), 0);
        Kept out;
        for (const CHistoryEntry& e : entries)
            out.emplace_back(e.Time - FakeClock::kStartWall, e.Status, e.Change);
        return out;
    };
    // Sample times after the start, of graph-enabled checks only.
    const auto sampled = [&] {
        std::vector<CGraphSample> samples;
        EXPECT_EQ(store.Samples({web, mail}, 0, FakeClock::kStartWall * 2, samples), 0);
        std::vector<std::int64_t> times;
        for (const CGraphSample& sample : samples)
            times.push_back(sample.CheckId == web && sample.Value == 12.5 ? sample.Time - FakeClock::kStartWall : -1);
        return times;
    };
    EXPECT_EQ(kept(web), (Kept{{300, kStatusSuccess, false}, {0, kStatusSuccess, true}}));
    EXPECT_EQ(kept(mail), (Kept{{180, kStatusFailure, true}, {0, kStatusSuccess, true}}));
    EXPECT_EQ(sampled(), (std::vector<std::int64_t>{0, 120, 240, 360}));

    Advance(86400); // the next cleanup is due a day after the first
    engine->Stop();
    // Cleanup kept four entries: the oldest that are not their check's newest change went.
    EXPECT_EQ(kept(web), (Kept{{86760, kStatusSuccess, false}, {0, kStatusSuccess, true}}));
    EXPECT_EQ(kept(mail), (Kept{{86760, kStatusFailure, false}, {180, kStatusFailure, true}}));
    EXPECT_EQ(sampled(), (std::vector<std::int64_t>{360, 86760}));
    // The count warning came at 300 s and a day later, not at every flush.
    EXPECT_EQ(LinesWith(inst.File("engine.log"), "results; it warns from 3"), 2);
}

TEST(HistoryWriter, ADatabaseThatCannotBeOpenedIsLoggedOnceAndWritingResumesWhenItCan) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("Logs"), "a file where the directory should be");
    CEngineLog log;
    ASSERT_TRUE(log.Open(CQvcString(dir.File("engine.log"))));
    CHistoryWriter writer(CQvcString(dir.File("Logs/Statistics.db")), CSnStatsLimits(), &log,
                          std::chrono::milliseconds(0));
    for (std::int64_t t = 100; t <= 300; t += 100) {
        if (t == 300)
            std::filesystem::remove(dir.File("Logs"));
        writer.Record(10000, t, t == 200 ? kStatusFailure : kStatusSuccess, "1", 5, "reply");
        writer.Flush();
    }
    EXPECT_EQ(LinesWith(dir.File("engine.log"), "No history is kept"), 1);
    // What came while it could not be opened is gone; the recovery at 300 s is kept.
    CHistoryStore store;
    ASSERT_EQ(store.Open(CQvcString(dir.File("Logs/Statistics.db")), false), 0);
    std::vector<CHistoryEntry> entries;
    ASSERT_EQ(store.Entries(10000, 0, 1000, entries), 0);
    EXPECT_EQ(entries, (std::vector<CHistoryEntry>{{300, 10000, kStatusSuccess, "1", 5, "reply", true}}));
}
