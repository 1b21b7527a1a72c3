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

TEST(StatusRules, InverseUncertainMappingAndThresholdMakeTheStatus) {
    using Kind = CheckOutcome::Kind;
    enum : int { Own = 0, Global = 1 }; // whose uncertain mapping counts
    const struct {
        int threshold;
        bool inverse;
        int mapping, asError, asSuccess; // the check's own Uncertain flags
        bool globalError, globalSuccess;
        Kind kind;
        std::int32_t errorsBefore;
        CheckVerdict expected;
    } cases[] = {
        // Errors in a row until the threshold; further errors stay failures; a success
        // clears the count, an undetermined result leaves it alone.
        {3, false, Own, 0, 0, false, false, Kind::Error, 0, {kStatusError, 1}},
        {3, false, Own, 0, 0, false, false, Kind::Error, 2, {kStatusFailure, 3}},
        {3, false, Own, 0, 0, false, false, Kind::Error, 3, {kStatusFailure, 4}},
        {3, false, Own, 0, 0, false, false, Kind::Uncertain, 4, {kStatusUncertain, 4}},
        {3, false, Own, 0, 0, false, false, Kind::Success, 4, {kStatusSuccess, 0}},
        // Thresholds of 1, 0 and below fail at the first error; the count never wraps.
        {1, false, Own, 0, 0, false, false, Kind::Error, 0, {kStatusFailure, 1}},
        {0, false, Own, 0, 0, false, false, Kind::Error, 0, {kStatusFailure, 1}},
        {-5, false, Own, 0, 0, false, false, Kind::Error, 0, {kStatusFailure, 1}},
        {3, false, Own, 0, 0, false, false, Kind::Error, INT32_MAX, {kStatusFailure, INT32_MAX}},
        // Inverse swaps success and error, not an undetermined result nor its mapping.
        {2, true, Own, 0, 0, false, false, Kind::Success, 0, {kStatusError, 1}},
        {2, true, Own, 0, 0, false, false, Kind::Success, 1, {kStatusFailure, 2}},
        {2, true, Own, 0, 0, false, false, Kind::Error, 1, {kStatusSuccess, 0}},
        {2, true, Own, 0, 0, true, true, Kind::Uncertain, 0, {kStatusUncertain, 0}},
        {2, true, Own, 1, 0, false, false, Kind::Uncertain, 0, {kStatusError, 1}},
        // The check's own flags (error wins over success), or the global ones with
        // UseGlobal; mapped to error it counts towards the threshold.
        {1, false, Own, 1, 0, false, false, Kind::Uncertain, 0, {kStatusFailure, 1}},
        {1, false, Own, 0, 1, true, false, Kind::Uncertain, 0, {kStatusSuccess, 0}},
        {1, false, Own, 1, 1, false, false, Kind::Uncertain, 0, {kStatusFailure, 1}},
        {2, false, Own, 1, 0, false, false, Kind::Uncertain, 1, {kStatusFailure, 2}},
        {1, false, Global, 0, 0, false, false, Kind::Uncertain, 0, {kStatusUncertain, 0}},
        {1, false, Global, 0, 0, true, false, Kind::Uncertain, 0, {kStatusFailure, 1}},
        {1, false, Global, 0, 0, false, true, Kind::Uncertain, 0, {kStatusSuccess, 0}},
        {1, false, Global, 1, 1, false, true, Kind::Uncertain, 0, {kStatusSuccess, 0}},
        {1, false, Global, 0, 0, true, true, Kind::Uncertain, 0, {kStatusFailure, 1}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        CSnNodeCfg cfg;
        cfg.ScanFrequency.ErrorThreshold = c.threshold;
        cfg.Inverse = c.inverse ? 1 : 0;
        cfg.Action.Uncertain.UseGlobal = c.mapping;
        cfg.Action.Uncertain.AsError = c.asError;
        cfg.Action.Uncertain.AsSuccess = c.asSuccess;
        const CheckVerdict v = JudgeOutcome(cfg, c.kind, c.errorsBefore, {c.globalError, c.globalSuccess});
        EXPECT_EQ(std::to_string(v.Status) + "/" + std::to_string(v.ErrorCount),
                  std::to_string(c.expected.Status) + "/" + std::to_string(c.expected.ErrorCount))
            << "case " << i;
    }
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
        {false, 0, {}, {}, {kStatusSuccess, kStatusErrorByDependee}, {K::Dependee, kStatusErrorByDependee, 0, 1}},
        {false, 0, {}, {}, {kStatusSuccess, kStatusNone, kStatusUncertain, kStatusOnHold, kStatusMaintenance}, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        CSnNodeCfg cfg;
        cfg.OnHold = cases[i].onHold ? 1 : 0;
        cfg.Action.Maintenance.Edit().Enabled = cases[i].ownEnabled;
        cfg.Action.Maintenance.Edit().Schedule = cases[i].own;
        EXPECT_EQ(GateRun(cfg, cases[i].global, kNow, cases[i].dependees), cases[i].expected) << "case " << i;
    }
}

TEST(StatusRules, RestoredErrorCounts) {
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 4), 4);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 0), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusError, 4), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusSuccess, 4), 0);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailureByDependee, 4), 0);
}
