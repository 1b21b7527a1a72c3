// When notifications and actions are due: the transition rule as a table of result
// sequences, each step at a time the fake clock has moved to; and what a due alert turns
// into for delivery.
#include "engine/alerting/AlertRequests.h"
#include "engine/alerting/AlertRules.h"
#include "model/tree/NodeStatus.h"

#include "../EngineTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A decision in short: "-" nothing; otherwise "f" / "r" (failure / recovery) and "N"
// (notify), "A" (act); "S" when suppression is announced.
std::string Short(const AlertDecision& d) {
    if (d.Suppressed)
        return "S";
    if (!d.Notify && !d.Act)
        return "-";
    return std::string(d.Direction == AlertDirection::Failure ? "f" : "r") + (d.Notify ? "N" : "") + (d.Act ? "A" : "");
}

struct Repeat {
    std::int32_t Set = 0, Minutes = 0;
};

struct Step {
    std::int64_t At; // seconds after the start
    std::int32_t Status;
};

TEST(AlertRules, TransitionTable) {
    constexpr int S = kStatusSuccess, E = kStatusError, F = kStatusFailure, M = kStatusMaintenance,
                  H = kStatusOnHold, ED = kStatusErrorByDependee, FD = kStatusFailureByDependee, N = kStatusNone;
    const struct {
        const char* name;
        int mode;
        Repeat reNotify, reRun;
        std::int32_t statusAtStart; // -1: a check the engine starts with no result for
        std::vector<Step> steps;
        std::vector<std::string> expected;
    } cases[] = {
        {"into failure once, then recovery", 0, {}, {}, -1,
         {{0, S}, {60, E}, {120, F}, {180, F}, {240, S}, {300, S}}, {"-", "-", "fNA", "-", "rNA", "-"}},
        {"modes 1 and 2 alert on every success", 1, {}, {}, -1, {{0, S}, {60, S}}, {"rNA", "rNA"}},
        {"trap mode too", 2, {}, {}, -1, {{0, F}, {60, S}, {120, S}}, {"fNA", "rNA", "rNA"}},
        {"repeats every N minutes while failed", 0, {1, 5}, {1, 10}, -1,
         {{0, F}, {240, F}, {300, F}, {600, F}, {660, F}, {700, S}, {760, F}},
         {"fNA", "-", "fN", "fNA", "-", "rNA", "fNA"}},
        {"repeat without minutes is once", 0, {1, 0}, {0, 5}, -1, {{0, F}, {6000, F}}, {"fNA", "-"}},
        {"late results catch up with one repeat", 0, {1, 1}, {}, -1, {{0, F}, {600, F}, {610, F}, {660, F}},
         {"fNA", "fN", "-", "fN"}},
        {"dependees suppress, said once per spell", 0, {}, {}, -1,
         {{0, FD}, {60, FD}, {120, ED}, {180, S}, {240, FD}}, {"S", "-", "-", "-", "S"}},
        {"hold and maintenance keep the failure for the recovery", 0, {1, 1}, {}, -1,
         {{0, F}, {60, H}, {120, M}, {180, E}, {240, S}}, {"fNA", "-", "-", "-", "rNA"}},
        {"a cleared failure is forgotten silently", 0, {}, {}, -1, {{0, F}, {60, N}, {120, S}, {180, F}},
         {"fNA", "-", "-", "fNA"}},
        {"failed before a restart: no second alert", 0, {}, {}, F, {{0, F}, {60, S}}, {"-", "rNA"}},
        {"successful before a restart", 0, {}, {}, S, {{0, F}}, {"fNA"}},
    };
    for (const auto& c : cases) {
        CSnNodeCfg check;
        check.ScanFrequency.Mode = c.mode;
        check.Action.ReNotify.Repeat = c.reNotify.Set;
        check.Action.ReNotify.Minutes = c.reNotify.Minutes;
        check.Action.ReRun.Repeat = c.reRun.Set;
        check.Action.ReRun.Minutes = c.reRun.Minutes;
        enginetest::FakeClock clock;
        const std::int64_t start = clock.WallSeconds();
        AlertMemory memory = c.statusAtStart >= 0 ? AlertMemoryAtStart(c.statusAtStart) : AlertMemory();
        std::vector<std::string> got;
        for (const Step& step : c.steps) {
            clock.AdvanceSeconds(start + step.At - clock.WallSeconds());
            got.push_back(Short(DecideAlerts(check, step.Status, clock.WallSeconds(), memory)));
        }
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

// Each request in short: "kind|recipient|computer|subject|body".
std::vector<std::string> Summaries(const AlertRequests& requests) {
    std::vector<std::string> out;
    for (const AlertDeliveryRequest& r : requests.Deliveries)
        out.push_back(std::to_string(r.ActionKind) + "|" + r.Recipient + "|" + r.Computer + "|" + r.Subject + "|" +
                      r.Body);
    for (const std::string& refusal : requests.Refusals)
        out.push_back("refused: " + refusal);
    return out;
}

TEST(AlertRequests, EntriesOfTheDirectionBecomeDeliveries) {
    CSnNodeCfg check;
    auto& notify = check.Action.Notify;
    notify[0].Enabled = 1; // e-mail on failure: a group and an address it holds already
    notify[0].Recipients = "~12;B@x.com;c@x.com";
    notify[1].Enabled = 1; // e-mail on recovery: nobody
    notify[2].Enabled = 1; // network pop-up: one request for all
    notify[2].Recipients = "pc1;pc2";
    notify[4].Enabled = 1; // SMS: one per number
    notify[4].Recipients = "+1555;+1666";
    notify[8].Enabled = 1; // trap on failure
    notify[11].Enabled = 1;
    notify[11].Recipients = "im@x.com"; // messenger on recovery
    check.Action.RunOnFailure.RunExecutable = 1;
    check.Action.RunOnFailure.Executable = "/bin/fix \"a b\"";
    check.Action.RunOnSuccess.RunScript = 1;
    check.Action.RunOnSuccess.Script = "MsgBox 1";
    check.Action.Restart.RestartServices = 1;
    check.Action.Restart.Services = "web";
    check.Action.Restart.Reboot = 1;
    check.Action.Restart.Computer = "far";

    AlertSettings settings;
    CSnMessageTemplate mail;
    mail.Subject = "<% Name %> is <% Status %>";
    mail.Body = "At <% Host %>||<% Response %>";
    settings.Templates[1] = mail;
    auto groups = std::make_shared<CSnDistributionGroups>(1);
    groups->Add(12, "Ops", "a@x.com;b@x.com");
    const AlertAddressBook book{{1, groups}};
    AlertEvent event;
    event.Name = "Web";
    event.Host = "h1";
    event.StatusName = "Failure";
    event.Response = "refused";

    const AlertDecision failure{true, true, AlertDirection::Failure, false};
    const std::string fallback = "|Sentrelle: Web - Failure|Check: Web\r\nStatus: Failure\r\nTime: " +
                                 AlertFields(event).at("Time") + "\r\nResponse: refused";
    EXPECT_EQ(Summaries(BuildAlertRequests(check, failure, event, settings, book)),
              (std::vector<std::string>{"1|a@x.com,b@x.com,c@x.com||Web is Failure|At h1\r\nrefused",
                                        "2|pc1,pc2|" + fallback, "3|+1555|" + fallback, "3|+1666|" + fallback,
                                        "6||" + fallback, "7|/bin/fix \"a b\"|" + fallback, "8|web|far" + fallback,
                                        "9||far" + fallback}));

    event.StatusName = "Success";
    const AlertDecision recovery{true, true, AlertDirection::Recovery, false};
    const std::string success = "|Sentrelle: Web - Success|Check: Web\r\nStatus: Success\r\nTime: " +
                                AlertFields(event).at("Time") + "\r\nResponse: refused";
    EXPECT_EQ(Summaries(BuildAlertRequests(check, recovery, event, settings, book)),
              (std::vector<std::string>{"5|im@x.com|" + success, "refused: E-mail: no recipients",
                                        "refused: Run: Scripts of this kind are not available on this platform"}));
    // Notifications only: no actions.
    EXPECT_EQ(Summaries(BuildAlertRequests(check, {true, false, AlertDirection::Recovery, false}, event, settings, book))
                  .size(),
              2u);
}

} // namespace
