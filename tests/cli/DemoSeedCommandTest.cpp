// sentrelle demo-seed: the demo's folders and checks, added once.
#include "TestSupport.h"
#include "cli/CommandTable.h"
#include "model/checks/CheckTypes.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfg.h"
#include "model/store/SnInstallation.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

int Dispatch(std::vector<const char*> argv, std::string* out = nullptr) {
    argv.insert(argv.begin(), "sentrelle");
    std::ostringstream o, e;
    const int code = CCommandTable::Builtins().Dispatch(static_cast<int>(argv.size()), argv.data(), o, e);
    if (out)
        *out = o.str() + e.str();
    return code;
}

// The check list's default widths of the Display Name, Folder and Data columns.
constexpr long kDefaultNameWidth = 200;
constexpr long kDefaultFolderWidth = 83;
constexpr long kDefaultDataWidth = 54;

} // namespace

TEST(DemoSeedCommand, AddsFoldersAndChecksOnceWithTheirSettings) {
    testsupport::ScopedHives hives;
    CQvcString message;
    ASSERT_EQ(CSnInstallation::Initialize(CQvcString(hives.Dir().File("root")), message), 0);

    EXPECT_EQ(Dispatch({"demo-seed", "--tcp-port", "0", "--http-port", "8080"}), 2);
    EXPECT_EQ(Dispatch({"demo-seed", "--tcp-port", "7001"}), 2);

    std::string text;
    ASSERT_EQ(Dispatch({"demo-seed", "--tcp-port", "7001", "--http-port", "8080"}, &text), 0) << text;
    EXPECT_NE(text.find("Added 14 demo checks"), std::string::npos) << text;

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
    ASSERT_EQ(Dispatch({"demo-seed", "--tcp-port", "7001", "--http-port", "8080"}, &text), 0);
    EXPECT_NE(text.find("nothing added"), std::string::npos);
    EXPECT_EQ(prefs::ReadLong("Manager", "column08", 0), 61);
    ASSERT_EQ(store.LoadAllNodes(root), 0);
    EXPECT_EQ(CSnCfg::CountChecks(root), 14);
    store.FreeTree(root);
}
