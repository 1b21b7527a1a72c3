// sentrelle init and the command dispatch.
#include "CliTestRun.h"
#include "TestSupport.h"
#include "model/store/SnCfg.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace {

std::string RegistryText(const char* name) {
    std::string value = "<missing>";
    platform::RegQueryString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", name, &value);
    return value;
}

long ChecksStored() {
    CSnCfg store;
    long checks = -1;
    if (store.Open(true, false) == 0)
        store.CountNodes("ID >= 10000", checks);
    return checks;
}

} // namespace

TEST(InitCommand, CreatesAnInstallationAndRunningAgainKeepsItsConfiguration) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("engine root");
    const CliOutcome o = RunCli({"init", root});
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_EQ(o.Out, "Engine root ready: " + root + "/\n");
    EXPECT_EQ(RegistryText("Engine0Root"), root + "/");
    EXPECT_EQ(RegistryText("Engine0"), "");
    // The store opens it, validated, with the root folder alone, ready for checks.
    EXPECT_EQ(ChecksStored(), 0);
    ASSERT_EQ(RunCli({"add-checks", "--type", "DNS", "--folder", "1", "--hosts", "ns1"}).Code, 0);
    platform::RegSetString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", "Engine0", "host1");
    // Again, by a relative spelling of the same root.
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(hives.Dir().Path());
    const CliOutcome again = RunCli({"init", "./engine root/"});
    std::filesystem::current_path(previous);
    ASSERT_EQ(again.Code, 0) << again.Err;
    EXPECT_EQ(RegistryText("Engine0Root"), root + "/");
    EXPECT_EQ(RegistryText("Engine0"), "host1");
    EXPECT_EQ(ChecksStored(), 1);
    EXPECT_FALSE(std::filesystem::exists(root + "/Sys/Tpl/Config/Config.mdb.new"));
}

TEST(InitCommand, ModesAreExplicitWhateverTheUmaskAndLooseOnesAreTightened) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("root");
    const std::string hive = platform::HivePath(platform::Hive::LocalMachine);
    // Configurations and temporary files are the owner's alone; the rest is readable.
    std::map<std::string, mode_t> expected = {{"/Configuration/Config.mdb", 0600},
                                              {"/Sys/Tpl/Config/Config.mdb", 0600}};
    for (const char* path : {"/Configuration", "/Sys/Tpl", "/Sys/Tpl/Config", "/Sys/tmp", "/Saved Configurations"})
        expected[path] = 0700;
    for (const char* path : {"", "/Sys", "/Sys/Res", "/Sys/Ctrl", "/Sys/Act", "/Sys/Not", "/Sys/Roles", "/Sys/Run",
                             "/Logs", "/Program", "/Program.NET", "/scripts", "/scripts/monitor (vbs)", "/scripts/monitor (ps1)"})
        expected[path] = 0755;
    expected["hive"] = 0600;
    const auto modes = [&] {
        std::map<std::string, mode_t> seen;
        for (const auto& [path, mode] : expected) {
            struct stat st {};
            seen[path] = ::lstat((path == "hive" ? hive : root + path).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
        }
        return seen;
    };
    const mode_t old = ::umask(0);
    const CliOutcome first = RunCli({"init", root});
    ::umask(old);
    ASSERT_EQ(first.Code, 0) << first.Err;
    EXPECT_EQ(modes(), expected);
    EXPECT_TRUE(std::filesystem::is_regular_file(root + "/Sys/Roles/roles.ini"));

    // A root left open to everybody, and a link planted in the layout: refused.
    for (const auto& [path, mode] : expected)
        ASSERT_EQ(::chmod((path == "hive" ? hive : root + path).c_str(), mode | 0066), 0) << path;
    std::filesystem::rename(root + "/Sys/Res", root + "/Sys/Res.old");
    std::filesystem::create_directory_symlink(hives.Dir().Path(), root + "/Sys/Res");
    const CliOutcome planted = RunCli({"init", root});
    EXPECT_EQ(planted.Code, 1);
    EXPECT_NE(planted.Err.find("Sys/Res': a symbolic link is in the way"), std::string::npos) << planted.Err;

    // Without the link, init takes away what the layout does not grant.
    std::filesystem::remove(root + "/Sys/Res");
    std::filesystem::rename(root + "/Sys/Res.old", root + "/Sys/Res");
    const CliOutcome again = RunCli({"init", root});
    ASSERT_EQ(again.Code, 0) << again.Err;
    EXPECT_EQ(modes(), expected);
}

TEST(InitCommand, FailuresAndUsageExitNonZero) {
    testsupport::ScopedHives hives;
    // A file where the root should be.
    testsupport::WriteFile(hives.Dir().File("blocker"), "x");
    const CliOutcome blocked = RunCli({"init", hives.Dir().File("blocker/root")});
    EXPECT_EQ(blocked.Code, 1);
    EXPECT_NE(blocked.Err.find("cannot create directory"), std::string::npos) << blocked.Err;
    EXPECT_EQ(RegistryText("Engine0Root"), "<missing>");
    // A machine hive that cannot be written.
    testsupport::ScopedEnv badHive("SENTRELLE_MACHINE_HIVE", hives.Dir().File("blocker/machine.reg"));
    const CliOutcome noHive = RunCli({"init", hives.Dir().File("root2")});
    EXPECT_EQ(noHive.Code, 1);
    EXPECT_NE(noHive.Err.find("registry"), std::string::npos) << noHive.Err;

    const CliOutcome none = RunCli({});
    EXPECT_EQ(none.Code, 2);
    EXPECT_NE(none.Err.find("init ROOT"), std::string::npos);
    const CliOutcome help = RunCli({"--help"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_NE(help.Out.find("init ROOT"), std::string::npos);
    const CliOutcome unknown = RunCli({"frobnicate"});
    EXPECT_EQ(unknown.Code, 2);
    EXPECT_NE(unknown.Err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(RunCli({"init"}).Code, 2);
    EXPECT_EQ(RunCli({"init", "a", "b"}).Code, 2);
}
