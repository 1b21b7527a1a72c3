// The notice that the user can switch off: shown until its box is ticked on OK, then
// confirmed without showing.
#include "TestSupport.h"
#include "model/console/CheckedNotice.h"
#include "model/console/ManagerPreferences.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckedNotice, ShownUntilSwitchedOffThenConfirmedSilently) {
    testsupport::ScopedHives hives;
    int shown = 0;
    // OK with the box clear: shown again next time.
    auto okClear = [&shown](bool& dontShow) {
        ++shown;
        EXPECT_FALSE(dontShow);
        return true;
    };
    EXPECT_TRUE(RunCheckedNotice("PasteInfo", okClear));
    EXPECT_TRUE(RunCheckedNotice("PasteInfo", okClear));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(prefs::ReadLong(kCheckedNoticeSubKey, "PasteInfo", -1), 0);

    // Closed without OK: not confirmed, and the choice is not stored.
    EXPECT_FALSE(RunCheckedNotice("PasteInfo", [](bool& dontShow) {
        dontShow = true;
        return false;
    }));
    EXPECT_EQ(prefs::ReadLong(kCheckedNoticeSubKey, "PasteInfo", -1), 0);

    // OK with the box ticked: never shown again, always confirmed.
    EXPECT_TRUE(RunCheckedNotice("PasteInfo", [](bool& dontShow) {
        dontShow = true;
        return true;
    }));
    EXPECT_EQ(prefs::ReadLong(kCheckedNoticeSubKey, "PasteInfo", -1), 1);
    EXPECT_TRUE(RunCheckedNotice("PasteInfo", okClear));
    EXPECT_EQ(shown, 2);
    // Each notice has its own value.
    EXPECT_TRUE(RunCheckedNotice("OtherInfo", okClear));
    EXPECT_EQ(shown, 3);
}

TEST(CheckedNotice, AnyNonZeroValueSuppresses) {
    testsupport::ScopedHives hives;
    prefs::WriteString(kCheckedNoticeSubKey, "Info", " 7 ");
    bool called = false;
    EXPECT_TRUE(RunCheckedNotice("Info", [&called](bool&) {
        called = true;
        return false;
    }));
    EXPECT_FALSE(called);
}

} // namespace
