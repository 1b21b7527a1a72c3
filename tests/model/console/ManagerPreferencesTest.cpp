#include "model/console/ManagerPreferences.h"
#include "platform/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using platform::Hive;

namespace {
const char* kManagerKey = "Software\\Quorvane\\Sentrelle\\Manager";

std::uint32_t Stored(Hive hive, const char* name) {
    std::uint32_t v = 0xDEADBEEF;
    platform::RegQueryDword(hive, kManagerKey, name, &v);
    return v;
}
} // namespace

TEST(ManagerPreferences, FirstReadsCreateTheKeyWithDefaults) {
    testsupport::ScopedHives hives;
    EXPECT_EQ((std::vector<long>{prefs::AutoRefreshEnabled(), prefs::AutoRefreshTimeSecs(), prefs::AppLook(),
                                 prefs::MfTimerMsecs(), prefs::MaxCreateChecks()}),
              (std::vector<long>{1, 5, 0, 1200, 255}));
    // The defaults now exist, per user and machine-wide respectively.
    EXPECT_EQ(Stored(Hive::CurrentUser, "AutoRefreshEnabled"), 1u);
    EXPECT_EQ(Stored(Hive::CurrentUser, "AutoRefreshTimeSecs"), 5u);
    EXPECT_EQ(Stored(Hive::LocalMachine, "MfTimerMsecs"), 1200u);
    EXPECT_EQ(Stored(Hive::CurrentUser, "MfTimerMsecs"), 0xDEADBEEFu); // not a per-user value
}

TEST(ManagerPreferences, NormalisationIsWrittenBack) {
    testsupport::ScopedHives hives;
    platform::RegCreateKey(Hive::CurrentUser, kManagerKey, platform::kRegAllAccess);
    platform::RegCreateKey(Hive::LocalMachine, kManagerKey, platform::kRegAllAccess);
    platform::RegSetDword(Hive::CurrentUser, kManagerKey, "AppLook", 12);
    platform::RegSetDword(Hive::CurrentUser, kManagerKey, "PasteHold", 7);
    platform::RegSetDword(Hive::CurrentUser, kManagerKey, "AutoRefreshTimeSecs", static_cast<std::uint32_t>(-3));
    platform::RegSetDword(Hive::LocalMachine, kManagerKey, "MaxCreateChecks", static_cast<std::uint32_t>(-300));
    // The period is not normalised here; the dialog checks it.
    EXPECT_EQ((std::vector<long>{prefs::AppLook(), prefs::PasteHold(), prefs::AutoRefreshTimeSecs(),
                                 prefs::MaxCreateChecks()}),
              (std::vector<long>{0, 1, -3, 300}));
    EXPECT_EQ((std::vector<std::uint32_t>{Stored(Hive::CurrentUser, "AppLook"), Stored(Hive::CurrentUser, "PasteHold"),
                                          Stored(Hive::LocalMachine, "MaxCreateChecks")}),
              (std::vector<std::uint32_t>{0, 1, 300}));
    platform::RegSetDword(Hive::CurrentUser, kManagerKey, "AppLook", 9);
    EXPECT_EQ(prefs::AppLook(), 9);

    prefs::WriteAppLook(7);
    EXPECT_EQ(prefs::AppLook(), 7);
}

TEST(ManagerPreferences, MachineValuesWithoutWriteAccessStillGiveDefaults) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("plainfile"), "x");
    // A hive below a regular file can never be created: writes fail as without rights.
    testsupport::ScopedEnv machine("SENTRELLE_MACHINE_HIVE", dir.File("plainfile/machine.reg"));
    testsupport::ScopedEnv user("SENTRELLE_USER_HIVE", dir.File("user.reg"));
    EXPECT_EQ(prefs::MfTimerIdleMsecs(), 1000);
    EXPECT_EQ(prefs::MinIntervalSecs(), 5);
    EXPECT_EQ(prefs::AutoRefreshDynamic(), 1);
}

TEST(ManagerPreferences, StringPreferencesTrimAndWriteBack) {
    testsupport::ScopedHives hives;
    EXPECT_EQ(prefs::ReadString("WritePermission", "WritePermission", "-1"), "-1");
    std::string stored;
    EXPECT_EQ(platform::RegQueryString(Hive::CurrentUser, "Software\\Quorvane\\Sentrelle\\WritePermission",
                                       "WritePermission", &stored),
              platform::kRegOk);
    EXPECT_EQ(stored, "-1");
    EXPECT_EQ(prefs::ReadLong("WritePermission", "WritePermission", 5), -1);

    prefs::WriteString("EmailTest", "Subject", "  Hello \r\n");
    EXPECT_EQ(prefs::ReadString("EmailTest", "Subject", "x"), "Hello");
    platform::RegQueryString(Hive::CurrentUser, "Software\\Quorvane\\Sentrelle\\EmailTest", "Subject", &stored);
    EXPECT_EQ(stored, "Hello");

    prefs::WriteLong("Manager", "column03", 150);
    EXPECT_EQ(prefs::ReadLong("Manager", "column03", 0), 150);
    prefs::WriteString("Manager", "column04", "abc");
    EXPECT_EQ(prefs::ReadLong("Manager", "column04", 100), 0); // atol of text
    EXPECT_EQ(prefs::ReadLong("Manager", "column05", 83), 83);
}
