// The rules that turn a run's outcome into a published status, and what dependees make
// of a check: every combination of inverse, uncertain mapping and threshold.
#include "engine/StatusRules.h"
#include "model/tree/NodeStatus.h"

#include <gtest/gtest.h>

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

TEST(StatusRules, DependeesAndRestoredCounts) {
    EXPECT_EQ(DependeeStatus({}), 0);
    EXPECT_EQ(DependeeStatus({kStatusSuccess, kStatusNone, kStatusUncertain, kStatusOnHold, kStatusMaintenance}), 0);
    EXPECT_EQ(DependeeStatus({kStatusSuccess, kStatusError}), kStatusErrorByDependee);
    EXPECT_EQ(DependeeStatus({kStatusErrorByDependee}), kStatusErrorByDependee);
    // A failure anywhere outweighs errors, in any order.
    EXPECT_EQ(DependeeStatus({kStatusError, kStatusFailure, kStatusSuccess}), kStatusFailureByDependee);
    EXPECT_EQ(DependeeStatus({kStatusFailureByDependee, kStatusError}), kStatusFailureByDependee);

    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 4), 4);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailure, 0), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusError, 4), 1);
    EXPECT_EQ(ErrorCountFromStatus(kStatusSuccess, 4), 0);
    EXPECT_EQ(ErrorCountFromStatus(kStatusFailureByDependee, 4), 0);
    // Restored, a failure continues as a failure at the next error.
    const CSnNodeCfg cfg = Check(4);
    EXPECT_EQ(JudgeOutcome(cfg, Kind::Error, ErrorCountFromStatus(kStatusFailure, 4), {}).Status, kStatusFailure);
}
