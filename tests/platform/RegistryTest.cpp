// The registry stand-in: keys and values in hive files, the access rule, and the
// read-with-write-back helpers.
#include "platform/Registry.h"
#include "TestFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;
using platform_test::ReadBytes;
using platform_test::ScopedEnv;
using platform_test::TempDir;
using platform_test::WriteBytes;

namespace {

constexpr const char* kManager = "Software\\Quorvane\\Sentrelle\\Manager";

// Every test points both hives into its own directory; the machine hive's directory
// does not exist yet, so creating a key must create it.
class RegistryTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string machineHive = dir.File("etc/sentrelle/machine.reg");
    std::string userHive = dir.File("user.reg");
    ScopedEnv machineEnv{"SENTRELLE_MACHINE_HIVE", machineHive.c_str()};
    ScopedEnv userEnv{"SENTRELLE_USER_HIVE", userHive.c_str()};

    // Points the machine hive below a regular file, so that neither the hive nor its
    // directory can ever be created.  Tests run as root, for whom permission bits do
    // not block writes; ENOTDIR does.
    void MakeMachineHiveUnwritable() {
        WriteBytes(dir.File("blocker"), "a file, not a directory\n");
        machineHive = dir.File("blocker/machine.reg");
        machineEnv.Set(machineHive.c_str());
    }
};

TEST_F(RegistryTest, HivePathsFollowTheEnvironmentOnEveryCall) {
    EXPECT_EQ(HivePath(Hive::LocalMachine), machineHive);
    EXPECT_EQ(HivePath(Hive::CurrentUser), userHive);
    {
        ScopedEnv noUser("SENTRELLE_USER_HIVE", nullptr);
        ScopedEnv noMachine("SENTRELLE_MACHINE_HIVE", nullptr);
        ScopedEnv home("HOME", "/home/tester");
        EXPECT_EQ(HivePath(Hive::LocalMachine), "/etc/sentrelle/machine.reg");
        {
            ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/config");
            EXPECT_EQ(HivePath(Hive::CurrentUser), "/xdg/config/sentrelle/user.reg");
            xdg.Set("relative/config"); // not absolute: ignored, as if unset
            EXPECT_EQ(HivePath(Hive::CurrentUser), "/home/tester/.config/sentrelle/user.reg");
        }
    }

    // Switching the variable switches the hive that values come from.
    ASSERT_EQ(RegCreateKey(Hive::CurrentUser, kManager, kRegAllAccess), kRegOk);
    ASSERT_EQ(RegSetDword(Hive::CurrentUser, kManager, "AppLook", 3), kRegOk);
    const std::string other = dir.File("other.reg");
    userEnv.Set(other.c_str());
    EXPECT_EQ(RegReadDwordWriteBack(Hive::CurrentUser, kManager, "AppLook", 9), 9u);
    userEnv.Set(userHive.c_str());
    EXPECT_EQ(RegReadDwordWriteBack(Hive::CurrentUser, kManager, "AppLook", 9), 3u);
}

TEST_F(RegistryTest, FirstReadCreatesTheKeyAndWritesTheDefaultBack) {
    EXPECT_EQ(RegReadDwordWriteBack(Hive::CurrentUser, kManager, "AutoRefreshTimeSecs", 5), 5u);
    EXPECT_EQ(ReadBytes(userHive),
              "[Software\\Quorvane\\Sentrelle\\Manager]\r\nAutoRefreshTimeSecs=dword:00000005\r\n");
    // From now on the stored value wins over the caller's default.
    EXPECT_EQ(RegReadDwordWriteBack(Hive::CurrentUser, kManager, "autorefreshtimesecs", 99), 5u);
    ASSERT_EQ(RegSetDword(Hive::CurrentUser, kManager, "AutoRefreshTimeSecs", 0xABCDEF12u), kRegOk);
    EXPECT_EQ(RegReadDwordWriteBack(Hive::CurrentUser, kManager, "AutoRefreshTimeSecs", 5), 0xABCDEF12u);
    EXPECT_NE(ReadBytes(userHive).find("AutoRefreshTimeSecs=dword:abcdef12\r\n"), std::string::npos);

    // Text values: trimmed of blanks and line breaks, then written back.
    EXPECT_EQ(RegReadStringWriteBack(Hive::CurrentUser, "Software\\Quorvane\\Sentrelle\\EmailTest",
                                     "Recipient", " \t ops@example.test\r\n "),
              "ops@example.test");
    EXPECT_NE(ReadBytes(userHive).find("Recipient=sz:ops@example.test\r\n"), std::string::npos);
    EXPECT_EQ(RegReadStringWriteBack(Hive::CurrentUser, "Software\\Quorvane\\Sentrelle\\EmailTest", "Raw",
                                     "  x  ", false),
              "  x  ");

    // The machine hive, with its directory created on first use, is a separate file.
    EXPECT_EQ(
        RegReadDwordWriteBack(Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", "MinIntervalSecs", 5), 5u);
    EXPECT_EQ(ReadBytes(machineHive),
              "[Software\\Quorvane\\Sentrelle]\r\nMinIntervalSecs=dword:00000005\r\n");
    uint32_t value = 0;
    EXPECT_EQ(RegQueryDword(Hive::CurrentUser, "Software\\Quorvane\\Sentrelle", "MinIntervalSecs", &value),
              kRegNotFound);
}

TEST_F(RegistryTest, UnwritableHiveRefusesWritesButReadsStillGiveTheDefault) {
    MakeMachineHiveUnwritable();
    const char* key = "Software\\Quorvane\\Sentrelle";
    EXPECT_EQ(RegReadDwordWriteBack(Hive::LocalMachine, key, "MaxCreateChecks", 255), 255u);
    EXPECT_EQ(RegReadStringWriteBack(Hive::LocalMachine, key, "Engine0Root", " /srv/engine "), "/srv/engine");
    EXPECT_EQ((std::vector<long>{RegCreateKey(Hive::LocalMachine, key, kRegAllAccess),
                                 RegEnsureKey(Hive::LocalMachine, key), RegOpenKey(Hive::LocalMachine, key, kRegRead)}),
              (std::vector<long>{kRegAccessDenied, kRegNotFound, kRegNotFound}));
    EXPECT_FALSE(std::filesystem::exists(machineHive));
    // A hive path that names a directory reads as empty and is never written.
    machineEnv.Set(dir.Path().c_str());
    EXPECT_EQ(RegCreateKey(Hive::LocalMachine, key, kRegRead), kRegAccessDenied);
    EXPECT_EQ(RegReadDwordWriteBack(Hive::LocalMachine, key, "MaxCreateChecks", 255), 255u);
    // The user hive is not affected.
    EXPECT_EQ(RegEnsureKey(Hive::CurrentUser, key), kRegOk);
}

TEST_F(RegistryTest, ReadOnlyHiveIsReadButAnswersWriteAccessWithDenied) {
    const char* key = "Software\\Quorvane\\Sentrelle";
    ASSERT_EQ(RegCreateKey(Hive::LocalMachine, key, kRegAllAccess), kRegOk);
    ASSERT_EQ(RegSetDword(Hive::LocalMachine, key, "MaxTotalChecks", 4096), kRegOk);
    const std::string before = ReadBytes(machineHive);
    const std::string hiveDir = dir.File("etc/sentrelle");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.File("etc").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(hiveDir.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(machineHive.c_str(), 0444), 0);

    // Each failed expectation sets one bit, so a failing run names what went wrong.
    const auto check = [&]() -> int {
        int failed = 0;
        const Hive m = Hive::LocalMachine;
        failed |= (RegOpenKey(m, key, kRegRead) != kRegOk) << 0;
        failed |= (RegOpenKey(m, key, kRegWrite) != kRegAccessDenied) << 1;
        failed |= (RegOpenKeyWithView(m, key, kRegAllAccess) != kRegAccessDenied) << 2;
        failed |= (RegEnsureKey(m, key) != kRegOk) << 3;
        failed |= (RegSetDword(m, key, "MaxTotalChecks", 1) != kRegAccessDenied) << 4;
        failed |= (RegReadDwordWriteBack(m, key, "MaxTotalChecks", 1) != 4096u) << 5;
        failed |= (RegReadDwordWriteBack(m, key, "Unset", 77) != 77u) << 6;
        failed |= (RegCreateKey(m, "Software\\New", kRegAllAccess) != kRegAccessDenied) << 7;
        failed |= (RegCreateKey(m, key, kRegRead) != kRegOk) << 8;
        failed |= (RegDeleteValue(m, key, "MaxTotalChecks") != kRegAccessDenied) << 9;
        failed |= (ReadBytes(machineHive) != before) << 10;
        return failed;
    };
    if (::geteuid() == 0) {
        // Permission bits do not stop root: run the checks as an unprivileged user.
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    std::_Exit(1 << 12);
                std::_Exit(check());
            },
            ::testing::ExitedWithCode(0), "");
    } else {
        EXPECT_EQ(check(), 0);
    }
    ::chmod(hiveDir.c_str(), 0755); // let the temporary directory be removed
}

TEST_F(RegistryTest, KeysAreCaseInsensitiveParentsExistAndDeletionNeedsNoSubkeys) {
    const Hive u = Hive::CurrentUser;
    // No key, no value; a key is created once, whatever its spelling.
    EXPECT_EQ((std::vector<long>{RegOpenKey(u, "Software\\Q\\S", kRegRead), RegSetDword(u, "Software\\Q\\S", "v", 1),
                                 RegCreateKey(u, "Software\\Q\\S", kRegAllAccess),
                                 RegCreateKey(u, "SOFTWARE\\q\\s", kRegAllAccess)}),
              (std::vector<long>{kRegNotFound, kRegNotFound, kRegOk, kRegOk}));
    EXPECT_EQ(ReadBytes(userHive), "[Software\\Q\\S]\r\n");
    // A parent of an existing key exists; a prefix of a name is no parent.
    EXPECT_EQ((std::vector<long>{RegOpenKey(u, "software\\q\\s", kRegRead), RegOpenKey(u, "Software\\Q", kRegRead),
                                 RegOpenKey(u, "Software\\Q\\", kRegRead), RegOpenKey(u, "Software\\QS", kRegRead),
                                 RegOpenKeyWithView(u, "Software\\Q\\S", kRegRead)}),
              (std::vector<long>{kRegOk, kRegOk, kRegNotFound, kRegNotFound, kRegOk}));
    // A key with a sub-key cannot be deleted; without one it can, and its parent goes too.
    EXPECT_EQ((std::vector<long>{RegDeleteKey(u, "Software\\Q"), RegDeleteKey(u, "Software\\q\\S"),
                                 RegOpenKey(u, "Software\\Q\\S", kRegRead), RegOpenKey(u, "Software\\Q", kRegRead),
                                 RegDeleteKey(u, "Software\\Q\\S")}),
              (std::vector<long>{kRegAccessDenied, kRegOk, kRegNotFound, kRegNotFound, kRegNotFound}));
}

TEST_F(RegistryTest, ValuesKeepTheirKindAndAMismatchIsReported) {
    const Hive u = Hive::CurrentUser;
    ASSERT_EQ(RegEnsureKey(u, kManager), kRegOk);
    ASSERT_EQ(RegSetString(u, kManager, "AppLook", "7"), kRegOk);
    uint32_t dword = 0;
    EXPECT_EQ(RegQueryDword(u, kManager, "AppLook", &dword), kRegBadType);
    // The helper then takes the default and stores it as a number.
    EXPECT_EQ(RegReadDwordWriteBack(u, kManager, "AppLook", 0), 0u);
    EXPECT_EQ(RegQueryDword(u, kManager, "AppLook", &dword), kRegOk);
    std::string text;
    EXPECT_EQ(RegQueryString(u, kManager, "AppLook", &text), kRegBadType);
    EXPECT_EQ(RegQueryString(u, kManager, "Missing", &text), kRegNotFound);

    // Hand-edited hives: hex in either case is read, anything malformed is the wrong type.
    WriteBytes(userHive, "[K]\nUpper=DWORD:0000FFFF\nshort = dword:a\nbad=dword:xyz\nlong=dword:123456789\n"
                         "none=plain\n");
    const auto dwordOf = [&](const char* name) {
        uint32_t value = 0;
        const long code = RegQueryDword(u, "K", name, &value);
        return std::pair(code, code == kRegOk ? value : 0u);
    };
    EXPECT_EQ((std::vector{dwordOf("Upper"), dwordOf("short"), dwordOf("bad"), dwordOf("long")}),
              (std::vector<std::pair<long, uint32_t>>{{kRegOk, 0xFFFF}, {kRegOk, 10}, {kRegBadType, 0}, {kRegBadType, 0}}));
    EXPECT_EQ(RegQueryString(u, "K", "none", &text), kRegBadType);

    EXPECT_EQ(RegDeleteValue(u, "K", "UPPER"), kRegOk);
    EXPECT_EQ(RegQueryDword(u, "K", "Upper", &dword), kRegNotFound);
    EXPECT_EQ(RegDeleteValue(u, "K", "Upper"), kRegNotFound);
}

TEST_F(RegistryTest, TextValuesRoundTripExactlyAndLongTextIsCut) {
    const Hive u = Hive::CurrentUser;
    ASSERT_EQ(RegEnsureKey(u, kManager), kRegOk);
    // A stored line break must not split the hive into lines of its own.
    for (const char* value : {"", "  blanks kept  ", "C:\\Engine\\root\\", "two\r\nlines\nand \\n literally",
                              "\"quoted\"", "a=b;c[d]", "x\r\n[Injected]\r\nk=sz:1"}) {
        ASSERT_EQ(RegSetString(u, kManager, "Text", value), kRegOk);
        std::string back;
        EXPECT_EQ(RegQueryString(u, kManager, "Text", &back), kRegOk);
        EXPECT_EQ(back, value);
    }
    EXPECT_EQ(RegOpenKey(u, "Injected", kRegRead), kRegNotFound);

    const std::string long600(600, 'x');
    ASSERT_EQ(RegSetString(u, kManager, "Long", long600.c_str()), kRegOk);
    std::string back;
    EXPECT_EQ(RegQueryString(u, kManager, "Long", &back, 600), kRegOk);
    EXPECT_EQ(back, long600);
    EXPECT_EQ(RegQueryString(u, kManager, "Long", &back, 599), kRegMoreData);
    EXPECT_EQ(back, long600.substr(0, 599));
    // The helper reads into a 511-character buffer: 510 characters and the NUL.
    EXPECT_EQ(RegReadStringWriteBack(u, kManager, "Long", ""), long600.substr(0, 510));
    const std::string exact(510, 'y');
    ASSERT_EQ(RegSetString(u, kManager, "Exact", exact.c_str()), kRegOk);
    EXPECT_EQ(RegReadStringWriteBack(u, kManager, "Exact", ""), exact);
}

} // namespace
