// Which selected checks Hold, Clear Failure and Monitor now touch, and what they ask first.
#include "model/console/CheckStateRules.h"

#include <gtest/gtest.h>

using namespace checkstate;

TEST(CheckStateRules, HoldClearAndMonitorChooseTheirChecksAndQuestion) {
    // Hold releases only when every check is held.
    EXPECT_EQ(NewHoldValue({1, 1}), 0);
    EXPECT_EQ(NewHoldValue({1, 0, 1}), 1);

    // Statuses: 1 Success, 2 Error, 3 Failure, 4 Maintenance, 5 On Hold, 6/7 by dependee, 8 Uncertain.
    EXPECT_EQ(PlanClearFailure({1}), (CClearPlan{0, 0, 1, {}}));
    EXPECT_EQ(PlanClearFailure({5, 8, 1}), (CClearPlan{51749, 0, 3, {}}));
    EXPECT_EQ(PlanClearFailure({2, 3, 4, 6, 7}), (CClearPlan{51747, 5, 5, {0, 1, 2, 3, 4}}));
    EXPECT_EQ(PlanClearFailure({1, 7}), (CClearPlan{51748, 1, 2, {1}}));

    // Modes: 0 interval, 1 scheduled, 2 event-driven (never run).
    EXPECT_EQ(PlanMonitorNow({0, 2, 0}), (CMonitorPlan{0, {0, 2}, {}}));
    EXPECT_EQ(PlanMonitorNow({1}), (CMonitorPlan{51744, {}, {0}}));
    EXPECT_EQ(PlanMonitorNow({2, 1}), (CMonitorPlan{51745, {}, {1}}));
    EXPECT_EQ(PlanMonitorNow({1, 0, 1}), (CMonitorPlan{51745, {1}, {0, 2}}));
}
