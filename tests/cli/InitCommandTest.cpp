// sentrelle init and the command dispatch.
#include "TestSupport.h"
#include "CliTestRun.h"
#include "cli/CommandTable.h"
#include "cli/InitCommand.h"
#include "model/store/SnCfg.h"
#include "model/settings/SnMetaSettings.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace {

CliOutcome Dispatch(const std::vector<const char*>& args) { return RunCli({args.begin(), args.end()}); }

std::string RegistryText(const char* name) {
    std::string value = "<missing>";
    platform::RegQueryString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", name, &value);
    return value;
}

} // namespace

TEST(InitCommand, CreatesAWorkingInstallation) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("engine root");
    CliOutcome o = Dispatch({"init", root.c_str()});
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find(root + "/"), std::string::npos);

    // (The layout itself is checked, with its modes, below.)
    EXPECT_EQ(RegistryText("Engine0Root"), root + "/");
    EXPECT_EQ(RegistryText("Engine0"), "");

    // The store opens it, validated, and finds the root folder alone.
    CSnCfg store;
    ASSERT_EQ(store.Open(true, false), 0);
    CSnNode* tree = nullptr;
    ASSERT_EQ(store.CreatePlaceholderRoot(tree), 0);
    ASSERT_EQ(store.LoadAllNodes(tree), 0);
    EXPECT_EQ(tree->Id(), 1);
    EXPECT_TRUE(tree->IsFolder());
    EXPECT_EQ(tree->ChildNode(), nullptr);
}

TEST(InitCommand, RunningTwiceKeepsTheConfiguration) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("root");
    ASSERT_EQ(Dispatch({"init", root.c_str()}).Code, 0);
    {
        CSnCfg store;
        ASSERT_EQ(store.Open(), 0);
        CSnNode check;
        ASSERT_EQ(store.InsertNode(&check, nullptr, 0), 0);
        check.Cfg.Name = "kept";
        ASSERT_EQ(store.WriteNode(&check, true, true), 0);
    }
    platform::RegSetString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", "Engine0", "host1");
    // A relative spelling of the same root.
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(hives.Dir().Path().c_str()), 0);
    CliOutcome again = Dispatch({"init", "./root/"});
    ASSERT_EQ(::chdir(previous), 0);
    ASSERT_EQ(again.Code, 0) << again.Err;
    EXPECT_EQ(RegistryText("Engine0Root"), root + "/");
    EXPECT_EQ(RegistryText("Engine0"), "host1");
    CSnCfg store;
    ASSERT_EQ(store.Open(), 0);
    long checks = 0;
    store.CountNodes("ID >= 10000", checks);
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(platform::FileExists(root + "/Sys/Tpl/Config/Config.mdb.new"));
}

TEST(InitCommand, ModesAreExplicitWhateverTheUmaskAndLooseOnesAreTightened) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("root");
    const std::string hive = platform::HivePath(platform::Hive::LocalMachine);
    const std::map<std::string, mode_t> expected = {
        {"", 0755},
        {"/Configuration", 0700},
        {"/Configuration/Config.mdb", 0600},
        {"/Sys", 0755},
        {"/Sys/Tpl", 0700},
        {"/Sys/Tpl/Config", 0700},
        {"/Sys/Tpl/Config/Config.mdb", 0600},
        {"/Sys/Res", 0755},
        {"/Sys/Ctrl", 0755},
        {"/Sys/Act", 0755},
        {"/Sys/Not", 0755},
        {"/Sys/tmp", 0700},
        {"/Sys/Roles", 0755},
        {"/Sys/Run", 0755},
        {"/Logs", 0755},
        {"/Saved Configurations", 0700},
        {"/Program", 0755},
        {"/scripts", 0755},
        {"/scripts/monitor (vbs)", 0755},
        {"/scripts/monitor (ps1)", 0755},
    };
    const auto modes = [&] {
        std::map<std::string, mode_t> seen;
        for (const auto& [path, mode] : expected) {
            struct stat st {};
            seen[path] = ::lstat((root + path).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
        }
        return seen;
    };
    const auto hiveMode = [&] {
        struct stat st {};
        return ::stat(hive.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    };

    const mode_t old = ::umask(0);
    CliOutcome first = Dispatch({"init", root.c_str()});
    ::umask(old);
    ASSERT_EQ(first.Code, 0) << first.Err;
    EXPECT_EQ(modes(), expected);
    EXPECT_EQ(hiveMode(), 0600u);

    // A root left open to everybody, and a link planted in the layout: refused.
    for (const auto& [path, mode] : expected)
        ASSERT_EQ(::chmod((root + path).c_str(), mode | 0077), 0) << path;
    ASSERT_EQ(::chmod(hive.c_str(), 0666), 0);
    std::filesystem::rename(root + "/Sys/Res", root + "/Sys/Res.old");
    ASSERT_EQ(::symlink(hives.Dir().Path().c_str(), (root + "/Sys/Res").c_str()), 0);
    CliOutcome planted = Dispatch({"init", root.c_str()});
    EXPECT_EQ(planted.Code, 1);
    EXPECT_NE(planted.Err.find("Sys/Res': a symbolic link is in the way"), std::string::npos) << planted.Err;

    // Without the link, init takes away what the layout does not grant.
    std::filesystem::remove(root + "/Sys/Res");
    std::filesystem::rename(root + "/Sys/Res.old", root + "/Sys/Res");
    CliOutcome again = Dispatch({"init", root.c_str()});
    ASSERT_EQ(again.Code, 0) << again.Err;
    EXPECT_EQ(modes(), expected);
    EXPECT_EQ(hiveMode(), 0600u);
}

TEST(InitCommand, FailuresAreReportedWithNonZeroExit) {
    testsupport::ScopedHives hives;
    // A file where the root should be.
    testsupport::WriteFile(hives.Dir().File("blocker"), "x");
    CliOutcome blocked = Dispatch({"init", hives.Dir().File("blocker/root").c_str()});
    EXPECT_EQ(blocked.Code, 1);
    EXPECT_NE(blocked.Err.find("cannot create directory"), std::string::npos) << blocked.Err;
    EXPECT_EQ(RegistryText("Engine0Root"), "<missing>");

    if (::geteuid() != 0) {
        const std::string locked = hives.Dir().File("locked");
        ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
        CliOutcome denied = Dispatch({"init", (locked + "/root").c_str()});
        EXPECT_EQ(denied.Code, 1);
        EXPECT_NE(denied.Err.find("cannot create directory"), std::string::npos);
    }

    // A machine hive that cannot be written.
    testsupport::ScopedEnv badHive("SENTRELLE_MACHINE_HIVE", hives.Dir().File("blocker/machine.reg"));
    CliOutcome noHive = Dispatch({"init", hives.Dir().File("root2").c_str()});
    EXPECT_EQ(noHive.Code, 1);
    EXPECT_NE(noHive.Err.find("registry"), std::string::npos) << noHive.Err;
}

TEST(CommandTable, DispatchAndUsage) {
    CliOutcome none = Dispatch({});
    EXPECT_EQ(none.Code, 2);
    EXPECT_NE(none.Err.find("init ROOT"), std::string::npos);
    CliOutcome help = Dispatch({"--help"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_NE(help.Out.find("init ROOT"), std::string::npos);
    CliOutcome unknown = Dispatch({"frobnicate"});
    EXPECT_EQ(unknown.Code, 2);
    EXPECT_NE(unknown.Err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(Dispatch({"init"}).Code, 2);
    EXPECT_EQ(Dispatch({"init", "a", "b"}).Code, 2);

    // Commands are added with one entry.
    CCommandTable table;
    int ran = 0;
    struct Probe final : CCliCommand {
        explicit Probe(int& ran) : Ran(ran) {}
        int Run(const std::vector<std::string>& args, std::ostream&, std::ostream&) override {
            Ran = static_cast<int>(args.size());
            return 7;
        }
        int& Ran;
    };
    table.Add({"probe", "probe ARGS...", "test", [&] { return std::make_unique<Probe>(ran); }});
    const char* argv[] = {"sentrelle", "probe", "x", "y"};
    std::ostringstream out, err;
    EXPECT_EQ(table.Dispatch(4, argv, out, err), 7);
    EXPECT_EQ(ran, 2);
}
