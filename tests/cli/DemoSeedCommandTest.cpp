// sentrelle demo-seed: the demo's folders and checks, added once.
#include "CliTestRun.h"
#include "model/CfgTestRoot.h"
#include "model/checks/CheckTypes.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

namespace {

// The check list's default widths of the Display Name, Folder and Data columns.
constexpr long kDefaultNameWidth = 200;
constexpr long kDefaultFolderWidth = 83;
constexpr long kDefaultDataWidth = 54;

} // namespace

TEST(DemoSeedCommand, AddsFoldersAndChecksOnceWithTheirSettings) {
    CfgTestRoot cfg;

    EXPECT_EQ(RunCli({"demo-seed", "--tcp-port", "0", "--http-port", "8080"}).Code, 2);
    EXPECT_EQ(RunCli({"demo-seed", "--tcp-port", "7001"}).Code, 2);
    const std::vector<std::string> seed = {"demo-seed", "--tcp-port", "7001", "--http-port", "8080"};
    CliOutcome o = RunCli(seed);
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find("Added 14 demo checks"), std::string::npos) << o.Out;

    CSnCfg store("Test");
    ASSERT_EQ(store.Open(true, true), 0);
    CSnNode* root = nullptr;
    ASSERT_EQ(store.LoadAllNodes(root), 0);
    EXPECT_EQ(CSnCfg::CountChecks(root), 14);
    EXPECT_EQ(CSnCfg::CountFolders(root), 3);
    const CSnNode* tcp = CSnCfg::FindNodeByName(root, "Demo TCP listener");
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(tcp->Cfg.Function.Type, kTypeTcpIp);
    EXPECT_EQ(tcp->Cfg.Function.Param1, "7001");
    // (The other checks' settings are the seed's own table, not repeated here.)
    const CSnNode* web = CSnCfg::FindNodeByName(root, "Demo web server");
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->Cfg.Function.ParamServer, "127.0.0.1:8080");
    store.FreeTree(root);

    // The demo's list opens with a narrower Display Name and with Folder and Data columns
    // wider than the defaults.
    EXPECT_LT(prefs::ReadLong("Manager", "column00", 0), kDefaultNameWidth);
    EXPECT_GT(prefs::ReadLong("Manager", "column05", 0), kDefaultFolderWidth);
    EXPECT_GT(prefs::ReadLong("Manager", "column08", 0), kDefaultDataWidth);

    // A second run adds nothing and leaves the widths the user has chosen since.
    prefs::WriteLong("Manager", "column08", 61);
    o = RunCli(seed);
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find("nothing added"), std::string::npos) << o.Out;
    EXPECT_EQ(prefs::ReadLong("Manager", "column08", 0), 61);
    ASSERT_EQ(store.LoadAllNodes(root), 0);
    EXPECT_EQ(CSnCfg::CountChecks(root), 14);
    store.FreeTree(root);
}
