// When notifications and actions are due: the transition rule as a table of result
// sequences, each step at a time the fake clock has moved to; what a due alert turns
// into for delivery; and the text log of deliveries.
#include "engine/alerting/AlertRules.h"
#include "engine/alerting/AlertLog.h"
#include "engine/alerting/AlertRequests.h"
#include "model/tree/NodeStatus.h"

#include "../EngineTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Step {
    std::int64_t At; // seconds after the start
    std::int32_t Status;
};

TEST(AlertRules, TransitionTable) {
    constexpr int S = kStatusSuccess, E = kStatusError, F = kStatusFailure, M = kStatusMaintenance,
                  H = kStatusOnHold, ED = kStatusErrorByDependee, FD = kStatusFailureByDependee,
                  N = kStatusNone;
    // Each step's decision in short: "-" nothing, else "f" / "r" (failure / recovery) with
    // "N" (notify) and "A" (act); "S" when suppression is announced.
    // clang-format off
    const struct {
        const char* name;
        int mode, notifyRepeat, notifyMinutes, runRepeat, runMinutes;
        std::int32_t statusAtStart; // -1: no result when the engine started
        std::vector<Step> steps;
        const char* expected;
    } cases[] = {
        {"into failure once, then recovery", 0, 0, 0, 0, 0, -1,
         {{0, S}, {60, E}, {120, F}, {180, F}, {240, S}, {300, S}}, "- - fNA - rNA -"},
        {"mode 1 alerts on every success", 1, 0, 0, 0, 0, -1, {{0, S}, {60, S}}, "rNA rNA"},
        {"mode 2 too", 2, 0, 0, 0, 0, -1, {{0, F}, {60, S}, {120, S}}, "fNA rNA rNA"},
        {"repeats every N minutes while failed", 0, 1, 5, 1, 10, -1,
         {{0, F}, {240, F}, {300, F}, {600, F}, {660, F}, {700, S}, {760, F}}, "fNA - fN fNA - rNA fNA"},
        {"repeat without minutes is once", 0, 1, 0, 0, 5, -1, {{0, F}, {6000, F}}, "fNA -"},
        {"late results catch up with one repeat", 0, 1, 1, 0, 0, -1,
         {{0, F}, {600, F}, {610, F}, {660, F}}, "fNA fN - fN"},
        {"dependees suppress, said once per spell", 0, 0, 0, 0, 0, -1,
         {{0, FD}, {60, FD}, {120, ED}, {180, S}, {240, FD}}, "S - - - S"},
        {"hold and maintenance keep the failure for the recovery", 0, 1, 1, 0, 0, -1,
         {{0, F}, {60, H}, {120, M}, {180, E}, {240, S}}, "fNA - - - rNA"},
        {"a cleared failure is forgotten silently", 0, 0, 0, 0, 0, -1,
         {{0, F}, {60, N}, {120, S}, {180, F}}, "fNA - - fNA"},
        {"failed before a restart: no second alert", 0, 0, 0, 0, 0, F, {{0, F}, {60, S}}, "- rNA"},
        {"successful before a restart", 0, 0, 0, 0, 0, S, {{0, F}}, "fNA"},
    };
    // clang-format on
    for (const auto& c : cases) {
        CSnNodeCfg check;
        check.ScanFrequency.Mode = c.mode;
        check.Action.ReNotify.Repeat = c.notifyRepeat;
        check.Action.ReNotify.Minutes = c.notifyMinutes;
        check.Action.ReRun.Repeat = c.runRepeat;
        check.Action.ReRun.Minutes = c.runMinutes;
        enginetest::FakeClock clock;
        const std::int64_t start = clock.WallSeconds();
        AlertMemory memory = c.statusAtStart >= 0 ? AlertMemoryAtStart(c.statusAtStart) : AlertMemory();
        std::string got;
        for (const Step& step : c.steps) {
            clock.AdvanceSeconds(start + step.At - clock.WallSeconds());
            const AlertDecision d = DecideAlerts(check, step.Status, clock.WallSeconds(), memory);
            got += got.empty() ? "" : " ";
            if (d.Suppressed || (!d.Notify && !d.Act))
                got += d.Suppressed ? "S" : "-";
            else
                got += std::string(d.Direction == AlertDirection::Failure ? "f" : "r") +
                       (d.Notify ? "N" : "") + (d.Act ? "A" : "");
        }
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

// Each request in short: "kind|recipient|computer|subject"; refusals as they are.
std::vector<std::string> Summaries(const AlertRequests& requests) {
    std::vector<std::string> out;
    for (const AlertDeliveryRequest& r : requests.Deliveries)
        out.push_back(std::to_string(r.ActionKind) + "|" + r.Recipient + "|" + r.Computer + "|" + r.Subject);
    out.insert(out.end(), requests.Refusals.begin(), requests.Refusals.end());
    return out;
}

TEST(AlertRequests, EntriesOfTheDirectionBecomeDeliveries) {
    CSnNodeCfg check;
    // E-mail on failure (a group and an address) and on recovery (nobody); pop-ups; SMS and pager
    // one per recipient; the trap; messenger on recovery.
    const std::pair<int, const char*> entries[] = {{0, "~12;c@x.com"}, {1, ""}, {2, "pc1;pc2"},  {4, "+1;+2"},
                                                   {6, "p1;p2"},       {8, ""}, {11, "im@x.com"}};
    for (const auto& [entry, recipients] : entries) {
        check.Action.Notify.Edit(entry).Enabled = 1;
        check.Action.Notify.Edit(entry).Recipients = recipients;
    }
    CSnNodeCfgAction& action = check.Action;
    action.RunOnFailure.Edit().RunExecutable = action.RunOnSuccess.Edit().RunScript = 1;
    action.RunOnFailure.Edit().Executable = "/bin/fix";
    action.RunOnSuccess.Edit().Script = "MsgBox 1";
    CSnNodeCfgActionRestart& restart = action.Restart.Edit();
    restart.RestartServices = restart.Reboot = 1;
    restart.Services = "web";
    restart.Computer = "far";
    AlertSettings settings;
    settings.Templates[1].Subject = "<% Name %> is <% Status %>";
    settings.Templates[1].Body = "At <% Host %>||<% Response %>";
    auto groups = std::make_shared<CSnDistributionGroups>(1);
    groups->Add(12, "Ops", "a@x.com;b@x.com");
    AlertEvent event{1, 30, "Web", "h1", "TCP", "", 3, "Failure", "", "refused", 0, AlertDirection::Failure};

    const AlertRequests failure = BuildAlertRequests(check, {true, true, AlertDirection::Failure, false},
                                                     event, settings, {{1, groups}});
    const std::string text = "|Sentrelle: Web - Failure"; // no template: the default text
    EXPECT_EQ(
        Summaries(failure),
        (std::vector<std::string>{"1|a@x.com,b@x.com,c@x.com||Web is Failure", "2|pc1,pc2|" + text,
                                  "3|+1|" + text, "3|+2|" + text, "4|p1|" + text, "4|p2|" + text,
                                  "6||" + text, "7|/bin/fix|" + text, "8|web|far" + text, "9||far" + text}));
    EXPECT_EQ(failure.Deliveries[0].Body, "At h1\r\nrefused");
    // Recovery: its own entries and RunOnSuccess; without Act, the entries only.
    event.StatusName = "Success";
    EXPECT_EQ(Summaries(BuildAlertRequests(check, {true, true, AlertDirection::Recovery, false}, event,
                                           settings, {})),
              (std::vector<std::string>{"5|im@x.com||Sentrelle: Web - Success", "E-mail: no recipients",
                                        "Run: Scripts of this kind are not available on this platform"}));
    EXPECT_EQ(BuildAlertRequests(check, {true, false, AlertDirection::Recovery, false}, event, settings, {})
                  .Refusals.size(),
              1u);
}

TEST(AlertLog, LinesUpToTheSizeThenBackupOrStop) {
    testsupport::TempDir dir;
    const CQvcString root(dir.Path() + "/");
    const std::string path = dir.Path() + "/alerts.txt";
    AlertReport report{{}, 1, 1, {false, true, "failed, Error #23715"}};
    report.Request = {{4, 30, "Web", "", "", "", 3, "Failure", "", "", 0}, 1, "ops@x.com", "", "", ""};
    CSnLogSettings log;
    log.TextLogPath = "<SNROOT>alerts.txt";
    log.Separator = ";";
    log.MaxSizeKB = 1;
    const std::string line = AlertLogLine(log, report, 0);
    EXPECT_EQ(line, AlertFields(report.Request.Event).at("Time") +
                        ";4;Web;Failure;E-mail;ops@x.com;failed;failed, Error #23715");
    const auto size = [](const std::string& file) {
        return std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0;
    };
    // Logging off, or for system messages only: no line.  A full log is backed up, or
    // (without backups) takes no more lines.
    log.Enabled = false;
    AppendAlertLog(log, root, report, 0);
    log.Enabled = log.SystemMessagesOnly = true;
    AppendAlertLog(log, root, report, 0);
    EXPECT_EQ(size(path), 0u);
    log.SystemMessagesOnly = false;
    const std::size_t fit = 1024 / (line.size() + 1);
    for (std::size_t i = 0; i <= fit; ++i)
        EXPECT_EQ(AppendAlertLog(log, root, report, 0), 0);
    EXPECT_EQ(std::pair(size(path), size(path + ".bak")),
              std::pair(line.size() + 1, fit * (line.size() + 1)));
    log.BackupWhenFull = false;
    for (std::size_t i = 0; i < fit; ++i)
        AppendAlertLog(log, root, report, 0);
    EXPECT_EQ(size(path), fit * (line.size() + 1));
}

} // namespace
