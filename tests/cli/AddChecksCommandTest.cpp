// sentrelle add-checks and sentrelle list on temporary installations.
#include "TestSupport.h"
#include "cli/AddChecksCommand.h"
#include "CliTestRun.h"
#include "model/CfgTestRoot.h"
#include "model/store/SnCfg.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using testsupport::Lines;

long CheckCount() {
    CSnCfg store;
    long count = -1;
    if (store.Open() == 0)
        store.CountNodes("ID >= 10000 AND Type <> 1", count);
    return count;
}


} // namespace

TEST(AddChecksCommand, AddChecksThenListShowsThemWithTheirResults) {
    testsupport::ScopedTimeZone utc;
    CfgTestRoot cfg;
    CliOutcome created = RunCli({"add-checks", "--type", "ICMP Ping", "--folder", "1", "--hosts", "SERVER1; server2",
                                 "--name", "<HOSTS> - ICMP Ping"});
    ASSERT_EQ(created.Code, 0) << created.Err;
    EXPECT_EQ(created.Out, "Created 2 checks in folder 1 (Sentrelle):\n  10000 | Server1 - ICMP Ping | SERVER1\n"
                           "  10001 | Server2 - ICMP Ping | server2\n");
    // A running engine sees the configuration change.
    EXPECT_FALSE(cfg.Stamp("NS").empty());

    // An IP range into a folder, named as the Manager proposes, the type given by number.
    const long web = AddFolder("Web");
    ASSERT_EQ(web, 10002); // folders and checks share the ID range
    CliOutcome range = RunCli({"add-checks", "--type", "33", "--folder", std::to_string(web), "--hosts",
                               "10.0.0.254-10.0.1.1", "--root", cfg.Root()});
    ASSERT_EQ(range.Code, 0) << range.Err;
    EXPECT_EQ(range.Out.rfind("Created 2 checks in folder 10002 (Web):\n", 0), 0u) << range.Out;

    // The engine's results for two of them.
    testsupport::WriteFile(cfg.ResultFile(), "[Results]\r\n10001=1||1709647629||0||||0||12 ms||Reply in 12 ms\r\n"
                                             "10003=3||1709647629||0||||5||||Connection refused\r\n");
    CliOutcome list = RunCli({"list"});
    ASSERT_EQ(list.Code, 0) << list.Err;
    const std::string none = "n/a |  | Service 'Quorvane Sentrelle' is not running";
    EXPECT_EQ(Lines(list.Out),
              (std::vector<std::string>{
                  "Sentrelle (folder 1)",
                  "  10000 | Server1 - ICMP Ping | ICMP Ping | SERVER1 | Every 1 minute | " + none,
                  "  10001 | Server2 - ICMP Ping | ICMP Ping | server2 | Every 1 minute | Success | 12 ms | "
                  "Reply in 12 ms",
                  "  Web (folder 10002)",
                  "    10003 | 10.0.0.254 - HTTP(s) | HTTP/HTTPs | 10.0.0.254 | Every 2 minutes | Failure |  | "
                  "Connection refused",
                  "    10004 | 10.0.1.1 - HTTP(s) | HTTP/HTTPs | 10.0.1.1 | Every 2 minutes | " + none,
              }));
}

TEST(AddChecksCommand, RootOptionChoosesTheInstallation) {
    testsupport::ScopedHives hives;
    const std::string first = hives.Dir().File("first"), second = hives.Dir().File("second");
    ASSERT_EQ(RunCli({"init", first}).Code, 0);
    ASSERT_EQ(RunCli({"init", second}).Code, 0); // the registry now names the second
    ASSERT_EQ(RunCli({"add-checks", "--type", "DNS", "--folder", "1", "--hosts", "ns1", "--root", first}).Code, 0);
    ASSERT_EQ(RunCli({"add-checks", "--type", "DNS", "--folder", "1", "--hosts", "ns2"}).Code, 0);
    EXPECT_NE(RunCli({"list", "--root", first}).Out.find("| Ns1 - DNS | DNS | ns1 |"), std::string::npos);
    EXPECT_EQ(RunCli({"list", "--root", first}).Out.find("ns2"), std::string::npos);
    EXPECT_NE(RunCli({"list"}).Out.find("| Ns2 - DNS | DNS | ns2 |"), std::string::npos);
}

TEST(AddChecksCommand, BadInputIsRefusedWithoutChangingTheConfiguration) {
    CfgTestRoot cfg;
    ASSERT_EQ(RunCli({"add-checks", "--type", "ICMP Ping", "--folder", "1", "--hosts", "kept"}).Code, 0);
    cfg.ForgetStamps();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const std::string key = std::string(kProductKey) + "\\Manager";
    platform::RegEnsureKey(platform::Hive::LocalMachine, key.c_str());
    platform::RegSetDword(platform::Hive::LocalMachine, key.c_str(), "MaxCreateChecks", 2);
    const Case cases[] = {
        {{"--type", "Bogus", "--folder", "1", "--hosts", "a"}, 2, "unknown check type 'Bogus'"},
        {{"--type", "9999", "--folder", "1", "--hosts", "a"}, 2, "unknown check type '9999'"},
        {{"--type", "ICMP Ping", "--folder", "1"}, 2, "usage: sentrelle add-checks"},
        {{"--type", "ICMP Ping", "--folder", "1", "--hosts"}, 2, "option '--hosts' needs a value"},
        {{"--type", "ICMP Ping", "--folder", "1", "--hosts", "a", "--colour", "red"}, 2, "unknown option '--colour'"},
        {{"--type", "ICMP Ping", "--folder", "x1", "--hosts", "a"}, 2, "invalid folder ID 'x1'"},
        {{"--type", "ICMP Ping", "--folder", "4242", "--hosts", "a"}, 1, "4242 names no folder"},
        {{"--type", "ICMP Ping", "--folder", "10000", "--hosts", "a"}, 1, "10000 is a check, not a folder"},
        {{"--type", "ICMP Ping", "--folder", "1", "--hosts", "a,b", "--name", "same"}, 2,
         "Placeholder '<HOSTS>' is required in the Display Name field when creating multiple checks."},
        // The creator's limits are the model's; this one shows they come before any record.
        {{"--type", "ICMP Ping", "--folder", "1", "--hosts", "a,b,c"}, 1,
         "You cannot create more than 2 checks at a time."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "add-checks");
        CliOutcome o = RunCli(args);
        EXPECT_EQ(o.Code, c.code) << c.message;
        EXPECT_NE(o.Err.find(c.message), std::string::npos) << o.Err;
        EXPECT_TRUE(o.Out.empty()) << o.Out;
    }
    EXPECT_EQ(CheckCount(), 1);
    EXPECT_TRUE(cfg.Stamp("NS").empty());

    // Without an installation the command says how to get one.
    testsupport::ScopedHives empty;
    CliOutcome none = RunCli({"list"});
    EXPECT_EQ(none.Code, 1);
    EXPECT_NE(none.Err.find("Error #25200"), std::string::npos) << none.Err;
    EXPECT_NE(none.Err.find("sentrelle init ROOT"), std::string::npos);
    EXPECT_EQ(RunCli({"list", "extra"}).Code, 2);
}

TEST(AddChecksCommand, HostListsWithRanges) {
    CServerList hosts;
    CQvcString error;
    // A "-" in a host name is no range; a range may stand between names.
    ASSERT_TRUE(CAddChecksCommand::ExpandHosts("web-01, 10.0.0.253 - 10.0.1.1;db", hosts, error)) << error.Str();
    EXPECT_EQ(hosts.ToText(), "web-01,10.0.0.253,10.0.0.254,10.0.1.1,db");
    // Text after an empty entry is dropped, as the Manager's host field does.
    ASSERT_TRUE(CAddChecksCommand::ExpandHosts("a,,b", hosts, error));
    EXPECT_EQ(hosts.ToText(), "a");
    EXPECT_FALSE(CAddChecksCommand::ExpandHosts("10.0.0.1-", hosts, error));
    EXPECT_EQ(error, "Invalid IP address: ''.");
    EXPECT_FALSE(CAddChecksCommand::ExpandHosts("", hosts, error));
    EXPECT_EQ(error, "No host given.");
}
