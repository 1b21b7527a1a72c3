// The Auto Refresh Settings dialog's values: validation on OK, the enabling rules, and
// the round trip through the preferences.
#include "TestSupport.h"
#include "model/ManagerPreferences.h"
#include "model/SnAutoRefreshSettings.h"

#include <gtest/gtest.h>

namespace {

CSnAutoRefreshSettings Values(bool enabled, bool dynamic, long period) {
    CSnAutoRefreshSettings s;
    s.Enabled = enabled;
    s.Dynamic = dynamic;
    s.PeriodSecs = period;
    return s;
}

TEST(SnAutoRefreshSettings, CustomPeriodOutsideTheRangeIsRefused) {
    const char* message = "Invalid Frequency value. Enter a value between 1 and 99999.";
    for (long bad : {0L, -5L, 100000L}) {
        CSnAutoRefreshSettings s = Values(true, false, bad);
        EXPECT_EQ(s.Validate(), message) << bad;
        EXPECT_EQ(s.PeriodSecs, bad); // the dialog stays open with the user's input
    }
    for (long good : {1L, 60L, 99999L}) {
        CSnAutoRefreshSettings s = Values(true, false, good);
        EXPECT_TRUE(s.Validate().IsEmpty()) << good;
        EXPECT_EQ(s.PeriodSecs, good);
    }
}

TEST(SnAutoRefreshSettings, PeriodOutsideTheRangeIsOtherwiseReplacedByFive) {
    for (const auto& [enabled, dynamic] : {std::pair{true, true}, std::pair{false, false}, std::pair{false, true}}) {
        CSnAutoRefreshSettings s = Values(enabled, dynamic, 0);
        EXPECT_TRUE(s.Validate().IsEmpty());
        EXPECT_EQ(s.PeriodSecs, 5);
        s = Values(enabled, dynamic, 250000);
        EXPECT_TRUE(s.Validate().IsEmpty());
        EXPECT_EQ(s.PeriodSecs, 5);
        s = Values(enabled, dynamic, 17);
        EXPECT_TRUE(s.Validate().IsEmpty());
        EXPECT_EQ(s.PeriodSecs, 17);
    }
}

TEST(SnAutoRefreshSettings, EnablingRules) {
    EXPECT_TRUE(CSnAutoRefreshSettings::ChoiceEnabled(true));
    EXPECT_FALSE(CSnAutoRefreshSettings::ChoiceEnabled(false));
    EXPECT_TRUE(CSnAutoRefreshSettings::PeriodFieldEnabled(true, false));
    EXPECT_FALSE(CSnAutoRefreshSettings::PeriodFieldEnabled(true, true));
    EXPECT_FALSE(CSnAutoRefreshSettings::PeriodFieldEnabled(false, false));
}

TEST(SnAutoRefreshSettings, ReadsDefaultsAndWritesAllThree) {
    testsupport::ScopedHives hives;
    CSnAutoRefreshSettings s;
    s.Enabled = false;
    s.Read();
    EXPECT_TRUE(s.Enabled);
    EXPECT_TRUE(s.Dynamic);
    EXPECT_EQ(s.PeriodSecs, 5);
    Values(false, false, 77).Write();
    EXPECT_EQ(prefs::AutoRefreshEnabled(), 0);
    EXPECT_EQ(prefs::AutoRefreshDynamic(), 0);
    EXPECT_EQ(prefs::AutoRefreshTimeSecs(), 77);
    s.Read();
    EXPECT_FALSE(s.Enabled);
    EXPECT_FALSE(s.Dynamic);
    EXPECT_EQ(s.PeriodSecs, 77);
}

} // namespace
