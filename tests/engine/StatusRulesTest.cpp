// The rules that turn a run's outcome into a published status, and what stands in for a
// due run: every combination of inverse, uncertain mapping and threshold, and of hold,
// maintenance windows and dependees.
#include "engine/StatusRules.h"
#include "model/tree/NodeStatus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const RunGate& gate, std::ostream* out) {
    *out << "{kind " << static_cast<int>(gate.kind) << ", status " << gate.Status << ", window end " << gate.WindowEnd
         << ", decider " << gate.Decider << "}";
}

namespace {

using Kind = CheckOutcome::Kind;

CSnNodeCfg Check(int threshold = 1, bool inverse = false) {
    CSnNodeCfg cfg;
    cfg.ScanFrequency.ErrorThreshold = threshold;
    cfg.Inverse = inverse ? 1 : 0;
    return cfg;
}

} // namespace

TEST(StatusRules, ThresholdCountsErrorsInARowUntilFailure) {
    const CSnNodeCfg cfg = Check(3);
    const UncertainMapping none;
    CheckVerdict v = JudgeOutcome(cfg, Kind::Error, 0, none);
    EXPECT_EQ(v.Status, kStatusError);
    EXPECT_EQ(v.ErrorCount, 1);
    v = JudgeOutcome(cfg, Kind::Error, v.ErrorCount, none);
    EXPECT_EQ(v.Status, kStatusError);
    v = JudgeOutcome(cfg, Kind::Error, v.ErrorCount, none);
    EXPECT_EQ(v.Status, kStatusFailure);
    EXPECT_EQ(v.ErrorCount, 3);
    // Further errors stay failures; an undetermined result leaves the count alone; a
    // success clears it, so the next error is an Error again.
    v = JudgeOutcome(cfg, Kind::Error, v.ErrorCount, none);
    EXPECT_EQ(v.Status, kStatusFailure);
    v = JudgeOutcome(cfg, Kind::Uncertain, v.ErrorCount, none);
    EXPECT_EQ(v.Status, kStatusUncertain);
    EXPECT_EQ(v.ErrorCount, 4);
    v = JudgeOutcome(cfg, Kind::Success, v.ErrorCount, none);
    EXPECT_EQ(v.Status, kStatusSuccess);
    EXPECT_EQ(v.ErrorCount, 0);
    EXPECT_EQ(JudgeOutcome(cfg, Kind::Error, 0, none).Status, kStatusError);

    // Thresholds of 1, 0 and below fail at the first error.
    for (int threshold : {1, 0, -5})
        EXPECT_EQ(JudgeOutcome(Check(threshold), Kind::Error, 0, none).Status, kStatusFailure) << threshold;
    // The count never wraps.
    EXPECT_EQ(JudgeOutcome(cfg, Kind::Error, INT32_MAX, none).ErrorCount, INT32_MAX);
}

TEST(StatusRules, InverseSwapsSuccessAndErrorButNotUncertain) {
    const UncertainMapping none;
    const CSnNodeCfg inverse = Check(2, true);
    EXPECT_EQ(JudgeOutcome(inverse, Kind::Success, 0, none).Status, kStatusError);
    EXPECT_EQ(JudgeOutcome(inverse, Kind::Success, 1, none).Status, kStatusFailure);
    EXPECT_EQ(JudgeOutcome(inverse, Kind::Error, 1, none).Status, kStatusSuccess);
    EXPECT_EQ(JudgeOutcome(inverse, Kind::Uncertain, 0, none).Status, kStatusUncertain);
    // The uncertain mapping is not inverted: mapped to error it stays an error.
    CSnNodeCfg mapped = inverse;
    mapped.Action.Uncertain.AsError = 1;
    EXPECT_EQ(JudgeOutcome(mapped, Kind::Uncertain, 0, none).Status, kStatusError);
}

TEST(StatusRules, UncertainFollowsTheCheckOrTheGlobalMapping) {
    struct Case {
        int useGlobal, asError, asSuccess;
        bool globalError, globalSuccess;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0, 0, 0, true, true, kStatusUncertain}, // own flags all 0: status 8 whatever the global says
        {0, 1, 0, false, false, kStatusFailure},  // as error (threshold 1)
        {0, 0, 1, true, false, kStatusSuccess},   // as success
        {0, 1, 1, false, false, kStatusFailure},  // both: error wins
        {1, 0, 0, false, false, kStatusUncertain},
        {1, 0, 0, true, false, kStatusFailure},
        {1, 0, 0, false, true, kStatusSuccess},
        {1, 1, 1, false, true, kStatusSuccess}, // with UseGlobal the own flags do not count
        {1, 0, 0, true, true, kStatusFailure},
    };
    for (const Case& c : cases) {
        CSnNodeCfg cfg = Check();
        cfg.Action.Uncertain.UseGlobal = c.useGlobal;
        cfg.Action.Uncertain.AsError = c.asError;
        cfg.Action.Uncertain.AsSuccess = c.asSuccess;
        UncertainMapping global;
        global.AsError = c.globalError;
        global.AsSuccess = c.globalSuccess;
        EXPECT_EQ(JudgeOutcome(cfg, Kind::Uncertain, 0, global).Status, c.expected)
            << c.useGlobal << c.asError << c.asSuccess << c.globalError << c.globalSuccess;
    }
    // Mapped to error, an undetermined result counts towards the threshold.
    CSnNodeCfg counted = Check(2);
    counted.Action.Uncertain.AsError = 1;
    const CheckVerdict first = JudgeOutcome(counted, Kind::Uncertain, 0, {});
    EXPECT_EQ(first.Status, kStatusError);
    EXPECT_EQ(JudgeOutcome(counted, Kind::Uncertain, first.ErrorCount, {}).Status, kStatusFailure);
}

TEST(StatusRules, HoldThenMaintenanceThenDependeesStandInForARun) {
    testsupport::ScopedTimeZone utc("UTC");
    // Tuesday 2024-03-05 10:00 UTC; windows are "days;time of day;hours" in local time.
    constexpr std::int64_t kNow = 1709632800;
    const auto window = [](const char* days, std::int64_t start, int hours) {
        return CSnCfgScheduleList(CQvcString(std::string(days) + ";" + std::to_string(start) + ";" +
                                             std::to_string(hours)));
    };
    const CSnCfgScheduleList tuesday0900For2h = window("e0010000", kNow - 3600, 2);
    const CSnCfgScheduleList tuesday0930For1h = window("e0010000", kNow - 1800, 1);
    const CSnCfgScheduleList monday0900For2h = window("e0100000", kNow - 3600, 2);
    using K = RunGate::Kind;
    const struct {
        bool onHold;
        int ownEnabled;
        CSnCfgScheduleList own, global;
        std::vector<std::int32_t> dependees;
        RunGate expected;
    } cases[] = {
        {false, 0, {}, {}, {}, {}},
        {true, 1, tuesday0900For2h, {}, {kStatusFailure}, {K::OnHold, kStatusOnHold, 0, 0}},
        // The check's own windows, when enabled, replace the global ones.
        {false, 1, tuesday0900For2h, {}, {kStatusFailure}, {K::Maintenance, kStatusMaintenance, kNow + 3600, 0}},
        {false, 1, monday0900For2h, tuesday0930For1h, {}, {}},
        {false, 0, tuesday0900For2h, tuesday0930For1h, {}, {K::Maintenance, kStatusMaintenance, kNow + 1800, 0}},
        {false, 0, tuesday0900For2h, {}, {}, {}},
        // A failure anywhere outweighs errors; the first dependee of the deciding kind is named.
        {false, 0, {}, {}, {kStatusSuccess, kStatusError, kStatusFailure}, {K::Dependee, kStatusFailureByDependee, 0, 2}},
        {false, 0, {}, {}, {kStatusFailureByDependee, kStatusError}, {K::Dependee, kStatusFailureByDependee, 0, 0}},
        {false, 0, {}, {}, {kStatusSuccess, kStatusErrorByDependee, kStatusError}, {K::Dependee, kStatusErrorByDependee, 0, 1}},
        {false, 0, {}, {}, {kStatusSuccess, kStatusNone, kStatusUncertain, kStatusOnHold, kStatusMaintenance}, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        CSnNodeCfg cfg;
        cfg.OnHold = cases[i].onHold ? 1 : 0;
        cfg.Action.Maintenance.Enabled = cases[i].ownEnabled;
        cfg.Action.Maintenance.Schedule = cases[i].own;
        EXPECT_EQ(GateRun(cfg, cases[i].global, kNow, cases[i].dependees), cases[i].expected) << "case " << i;
    }
}

TEST(StatusRules, RestoredErrorCounts) {
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 4), 4);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 0), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusError, 4), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusSuccess, 4), 0);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailureByDependee, 4), 0);
    // Restored, a failure continues as a failure at the next error.
    const CSnNodeCfg cfg = Check(4);
    EXPECT_EQ(JudgeOutcome(cfg, Kind::Error, ErrorCountFromStatus(kStatusFailure, 4), {}).Status, kStatusFailure);
}
