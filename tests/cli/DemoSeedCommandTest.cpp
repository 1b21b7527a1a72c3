// sentrelle demo-seed: the demo's folders and checks, added once.
#include "CliTestRun.h"
#include "model/CfgTestRoot.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/console/ManagerPreferences.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/settings/SnStatsLimits.h"
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
    EXPECT_EQ(RunCli({"demo-seed", "--tcp-port", "7001", "--http-port", "8080", "--ssh-port", "2222"}).Code, 2);
    const std::vector<std::string> seed = {"demo-seed", "--tcp-port", "7001", "--http-port", "8080",
                                           "--ssh-port",  "2222",       "--ssh-key",   "/k/id"};
    CliOutcome o = RunCli(seed);
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find("Added 15 demo checks"), std::string::npos) << o.Out;

    // The counts, and the two checks that take the ports (the other checks' settings are
    // the seed's own table, not repeated here).
    const auto stored = [] {
        CSnCfg store("Test");
        CSnNode* root = nullptr;
        if (store.Open(true, true) != 0 || store.LoadAllNodes(root) != 0)
            return std::string("unreadable");
        const CSnNode* tcp = CSnCfg::FindNodeByName(root, "Demo TCP listener");
        const CSnNode* web = CSnCfg::FindNodeByName(root, "Demo web server");
        const CSnNode* ssh = CSnCfg::FindNodeByName(root, "Demo SSH server");
        std::string out = std::to_string(CSnCfg::CountChecks(root)) + "/" + std::to_string(CSnCfg::CountFolders(root));
        if (ssh != nullptr)
            out += "/" + ssh->Cfg.Function.Param1.Str() + ":" + ssh->Cfg.Function.Param2.Str() + ":" +
                   ssh->Cfg.Function.Param3.Str();
        if (tcp != nullptr && web != nullptr)
            out += "/" + std::to_string(tcp->Cfg.Function.Type) + ":" + tcp->Cfg.Function.Param1.Str() + "/" +
                   web->Cfg.Function.ParamServer.Str() + "/" + tcp->Cfg.Action.Notify[1].Recipients.Str() +
                   "/graph " + std::to_string(web->Cfg.GraphEnabled) + std::to_string(tcp->Cfg.GraphEnabled);
        CSnSmtpSettings smtp;
        smtp.Read(store);
        out += "/" + smtp.Server1.Str() + ":" + std::to_string(smtp.Port1);
        store.FreeTree(root);
        return out;
    };
    const std::string seeded = "15/3/2222:/k/id:uptime/" + std::to_string(kTypeTcpIp) + ":7001/127.0.0.1:8080//graph 10/:25";
    EXPECT_EQ(stored(), seeded);
    CSnStatsLimits limits;
    limits.Read();
    EXPECT_EQ(std::make_pair(limits.RpLogFrequencySecs, limits.GrLogFrequencySecs), std::make_pair(10u, 10u));

    // The demo's list opens with a narrower Display Name and with Folder and Data columns
    // wider than the defaults.
    EXPECT_LT(prefs::ReadLong("Manager", "column00", 0), kDefaultNameWidth);
    EXPECT_GT(prefs::ReadLong("Manager", "column05", 0), kDefaultFolderWidth);
    EXPECT_GT(prefs::ReadLong("Manager", "column08", 0), kDefaultDataWidth);

    // A second run adds nothing and leaves the widths the user has chosen since; with a
    // mail server, the TCP check mails the demo's operator through it.
    prefs::WriteLong("Manager", "column08", 61);
    std::vector<std::string> mailing = seed;
    mailing.insert(mailing.end(), {"--smtp-port", "2525"});
    o = RunCli(mailing);
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_NE(o.Out.find("nothing added"), std::string::npos) << o.Out;
    EXPECT_EQ(prefs::ReadLong("Manager", "column08", 0), 61);
    EXPECT_EQ(stored(), "15/3/2222:/k/id:uptime/" + std::to_string(kTypeTcpIp) + ":7001/127.0.0.1:8080/operator@demo.test/graph 10/127.0.0.1:2525");

    // With an SNMP agent, a demo made before gets the check that asks it; a later run with
    // another port moves the check there.
    const auto snmpCheck = [] {
        CSnCfg store("Test");
        CSnNode* root = nullptr;
        if (store.Open(true, true) != 0 || store.LoadAllNodes(root) != 0)
            return SnmpGetSettings();
        const CSnNode* check = CSnCfg::FindNodeByName(root, "Demo SNMP agent");
        const SnmpGetSettings s = check ? SnmpGetSettings::Read(check->Cfg.Function) : SnmpGetSettings();
        store.FreeTree(root);
        return s;
    };
    SnmpGetSettings expected;
    expected.Host = "127.0.0.1";
    expected.Port = 1161;
    expected.Community = "demo";
    expected.Oid = "1.3.6.1.2.1.1.3.0";
    expected.DataType = 9;
    expected.Operator1 = 5;
    expected.Value1 = "0";
    for (const char* port : {"1161", "1162"}) {
        std::vector<std::string> withAgent = seed;
        withAgent.insert(withAgent.end(), {"--snmp-port", port});
        o = RunCli(withAgent);
        ASSERT_EQ(o.Code, 0) << o.Err;
        EXPECT_NE(o.Out.find(port == std::string("1161") ? "Added 1 demo checks" : "nothing added"), std::string::npos)
            << o.Out;
        expected.Port = std::stoi(port);
        EXPECT_EQ(snmpCheck(), expected);
    }
}
