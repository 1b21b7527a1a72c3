// The Auto Refresh Settings dialog's values: validation on OK, the enabling rules, and
// the round trip through the preferences.
#include "model/console/SnAutoRefreshSettings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

CSnAutoRefreshSettings Values(bool enabled, bool dynamic, long period) {
    CSnAutoRefreshSettings s;
    s.Enabled = enabled;
    s.Dynamic = dynamic;
    s.PeriodSecs = period;
    return s;
}

TEST(SnAutoRefreshSettings, PeriodValidationDependsOnTheChoice) {
    // Only an enabled custom period is checked: outside 1..99999 the dialog stays open with
    // the user's input.  Otherwise an out-of-range period silently becomes 5.
    const char* refused = "Invalid Frequency value. Enter a value between 1 and 99999.";
    const struct {
        bool enabled, dynamic;
        long period;
        const char* message;
        long after;
    } cases[] = {
        {true, false, 0, refused, 0},
        {true, false, -5, refused, -5},
        {true, false, 100000, refused, 100000},
        {true, false, 1, "", 1},
        {true, false, 99999, "", 99999},
        {true, true, 0, "", 5},
        {true, true, 250000, "", 5},
        {true, true, 17, "", 17},
        {false, false, 0, "", 5},
        {false, false, 250000, "", 5},
        {false, true, -1, "", 5},
        {false, true, 17, "", 17},
    };
    for (const auto& c : cases) {
        CSnAutoRefreshSettings s = Values(c.enabled, c.dynamic, c.period);
        EXPECT_EQ(s.Validate(), c.message) << c.enabled << c.dynamic << " " << c.period;
        EXPECT_EQ(s.PeriodSecs, c.after) << c.enabled << c.dynamic << " " << c.period;
    }
    // The period field is editable only for an enabled custom period.
    EXPECT_TRUE(CSnAutoRefreshSettings::PeriodFieldEnabled(true, false));
    EXPECT_FALSE(CSnAutoRefreshSettings::PeriodFieldEnabled(true, true) ||
                 CSnAutoRefreshSettings::PeriodFieldEnabled(false, false));
}

TEST(SnAutoRefreshSettings, WritesAllThreeAndReadsThemBack) {
    testsupport::ScopedHives hives;
    Values(false, true, 77).Write();
    CSnAutoRefreshSettings s = Values(true, false, 0);
    s.Read();
    EXPECT_EQ((std::vector<long>{s.Enabled, s.Dynamic, s.PeriodSecs}), (std::vector<long>{0, 1, 77}));
}

} // namespace
