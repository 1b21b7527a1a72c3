// sentrelle init and the command dispatch.
#include "CliRun.h"
#include "TestSupport.h"
#include "cli/CommandTable.h"
#include "cli/InitCommand.h"
#include "model/SnCfg.h"
#include "model/SnMetaSettings.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace {

std::string RegistryText(const char* name) {
    std::string value = "<missing>";
    platform::RegQueryString(platform::Hive::LocalMachine, "Software\\Quorvane\\Sentrelle", name, &value);
    return value;
}

} // namespace

TEST(InitCommand, CreatesAWorkingInstallation) {
    testsupport::ScopedHives hives;
    const std::string root = hives.Dir().File("engine root");
    Outcome o = Dispatch({"init", root.c_str()});
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find(root + "/"), std::string::npos);

    for (const char* dir : {"Configuration", "Sys/Tpl/Config", "Sys/Res", "Sys/Ctrl", "Sys/Act", "Sys/Not",
                            "Sys/tmp", "Sys/Roles", "Sys/Run", "Logs", "Saved Configurations", "Program",
                            "scripts/monitor (vbs)", "scripts/monitor (ps1)"})
        EXPECT_TRUE(platform::DirectoryExists(root + "/" + dir)) << dir;
    EXPECT_TRUE(platform::FileExists(root + "/Sys/Tpl/Config/Config.mdb"));
    EXPECT_TRUE(platform::FileExists(root + "/Configuration/Config.mdb"));
    EXPECT_EQ(RegistryText("Engine0Root"), root + "/");
    EXPECT_EQ(RegistryText("Engine0"), "");

    // The store opens it, validated, and finds the root folder without checks.
    CSnCfg store;
    ASSERT_EQ(store.Open(true, false), 0);
    EXPECT_EQ(store.Version(), 730);
    CSnNode* tree = nullptr;
    ASSERT_EQ(store.CreatePlaceholderRoot(tree), 0);
    ASSERT_EQ(store.LoadAllNodes(tree), 0);
    EXPECT_EQ(tree->Id(), 1);
    EXPECT_TRUE(tree->IsFolder());
    EXPECT_EQ(tree->ChildNode(), nullptr);
    long checks = -1;
    ASSERT_EQ(store.CountNodes("ID >= 10000 AND Type <> 1", checks), 0);
    EXPECT_EQ(checks, 0);
    long interval = 0, threshold = 0;
    store.DefaultScanFrequency(10, interval, threshold);
    EXPECT_EQ(interval, 60);
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
    Outcome again = Dispatch({"init", "./root/"});
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

TEST(InitCommand, FailuresAreReportedWithNonZeroExit) {
    testsupport::ScopedHives hives;
    // A file where the root should be.
    testsupport::WriteFile(hives.Dir().File("blocker"), "x");
    Outcome blocked = Dispatch({"init", hives.Dir().File("blocker/root").c_str()});
    EXPECT_EQ(blocked.Code, 1);
    EXPECT_NE(blocked.Err.find("cannot create directory"), std::string::npos) << blocked.Err;
    EXPECT_EQ(RegistryText("Engine0Root"), "<missing>");

    if (::geteuid() != 0) {
        const std::string locked = hives.Dir().File("locked");
        ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
        Outcome denied = Dispatch({"init", (locked + "/root").c_str()});
        EXPECT_EQ(denied.Code, 1);
        EXPECT_NE(denied.Err.find("cannot create directory"), std::string::npos);
    }

    // A machine hive that cannot be written.
    testsupport::ScopedEnv badHive("SENTRELLE_MACHINE_HIVE", hives.Dir().File("blocker/machine.reg"));
    Outcome noHive = Dispatch({"init", hives.Dir().File("root2").c_str()});
    EXPECT_EQ(noHive.Code, 1);
    EXPECT_NE(noHive.Err.find("registry"), std::string::npos) << noHive.Err;
}

TEST(CommandTable, DispatchAndUsage) {
    Outcome none = Dispatch({});
    EXPECT_EQ(none.Code, 2);
    EXPECT_NE(none.Err.find("init ROOT"), std::string::npos);
    Outcome help = Dispatch({"--help"});
    EXPECT_EQ(help.Code, 0);
    EXPECT_NE(help.Out.find("init ROOT"), std::string::npos);
    Outcome unknown = Dispatch({"frobnicate"});
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
