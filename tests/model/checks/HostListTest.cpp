#include "model/checks/HostList.h"
#include "model/checks/ServerList.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Hosts(const CServerList& list) {
    std::vector<std::string> hosts;
    for (const CServerListItem& item : list)
        hosts.push_back(item.Host().Str());
    return hosts;
}

std::vector<std::string> Range(const char* from, const char* to, int expectedCode = 0) {
    std::vector<CQvcString> out;
    EXPECT_EQ(ExpandIPRange(from, to, out), expectedCode) << from << " - " << to;
    std::vector<std::string> texts;
    for (const CQvcString& a : out)
        texts.push_back(a.Str());
    return texts;
}

} // namespace

TEST(ServerList, Grammar) {
    CServerList list;
    EXPECT_EQ(list.Parse("srv1; srv2,srv3"), 3);
    EXPECT_EQ(Hosts(list), (std::vector<std::string>{"srv1", "srv2", "srv3"}));
    EXPECT_EQ(list.Parse("srv1,,srv2"), 1);
    EXPECT_EQ(list.Parse("\tsrv1\r\n;\n srv2 ;"), 2);
    EXPECT_EQ(Hosts(list), (std::vector<std::string>{"srv1", "srv2"}));
    EXPECT_EQ(list.Parse(""), 0);
    EXPECT_EQ(list.Parse(" ,srv1"), 0);
    EXPECT_EQ(list.Parse(";;"), 0);

    list.Parse("SERVER1, server2 ;10.0.0.1;\"Quoted.Host\"");
    EXPECT_EQ(list.ToText().Str(), "SERVER1,server2,10.0.0.1,\"Quoted.Host\"");
    EXPECT_EQ(list[3].Display().Str(), "quoted.host"); // the display form is the host list's rule below
    EXPECT_EQ(list[0].Port(), 0);

    CServerList scanned;
    scanned.Append("10.0.0.9", 8080);
    EXPECT_EQ(scanned[0].Port(), 8080);
    EXPECT_EQ(scanned.ToText().Str(), "10.0.0.9");
    scanned.Clear();
    EXPECT_TRUE(scanned.IsEmpty());
    EXPECT_EQ(scanned.ToText().Str(), "");
}

TEST(HostList, DisplayFormAndPlaceholder) {
    std::string shown;
    for (const char* host : {"SERVER1", "Mail.Example.COM", "\"\"WEB\"", "_svc", ""})
        shown += HostDisplayForm(host).Str() + "|";
    EXPECT_EQ(shown, "Server1|mail.example.com|Web|_svc||");
    EXPECT_EQ(ReplaceHostsPlaceholder("<HOSTS> - ICMP Ping", "SERVER1").Str(), "Server1 - ICMP Ping");
    EXPECT_EQ(ReplaceHostsPlaceholder("<HOSTS>/<HOSTS>", "a.B").Str(), "a.b/a.b");
    EXPECT_EQ(ReplaceHostsPlaceholder("fixed", "x").Str(), "fixed");
    EXPECT_EQ((std::vector<bool>{RemovesHostsPlaceholder("<HOSTS> - x", "<HOSTS - x"),
                                 RemovesHostsPlaceholder("<HOSTS> - x", "a <HOSTS>"),
                                 RemovesHostsPlaceholder("name", "other")}),
              (std::vector<bool>{true, false, false}));
}

TEST(HostList, IPRangeExpansion) {
    EXPECT_EQ(Range("10.0.0.250", "10.0.1.2"),
              (std::vector<std::string>{"10.0.0.250", "10.0.0.251", "10.0.0.252", "10.0.0.253", "10.0.0.254",
                                        "10.0.1.1", "10.0.1.2"}));
    // The start may end in 0 and the end in 255; in between .0 and .255 are skipped.
    EXPECT_EQ(Range("10.0.0.0", "10.0.0.2"), (std::vector<std::string>{"10.0.0.0", "10.0.0.1", "10.0.0.2"}));
    const auto wide = Range("10.0.0.254", "10.0.1.255");
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[1], "10.0.1.1");
    EXPECT_EQ(wide.back(), "10.0.1.255");
    EXPECT_EQ(Range("10.0.0.7", "10.0.0.7"), (std::vector<std::string>{"10.0.0.7"}));
    // A start above the end yields nothing.
    EXPECT_TRUE(Range("10.0.0.5", "10.0.0.1").empty());
    EXPECT_TRUE(Range("10.0.2.1", "10.0.1.9").empty());
    // The whole /16 is allowed.
    EXPECT_EQ(Range("172.16.0.0", "172.16.255.255").size(), 255u + 254u * 254u + 255u);
    // The first two octets are kept as typed.
    EXPECT_EQ(Range("010.001.0.1", "10.1.0.2"), (std::vector<std::string>{"010.001.0.1", "010.001.0.2"}));

    // Refusals.
    EXPECT_TRUE(Range("10.0.0.1", "10.1.0.1", 61554).empty());
    EXPECT_TRUE(Range("10.0.0.1", "11.0.0.1", 61554).empty());
    std::vector<CQvcString> out{"stale"};
    CQvcString bad;
    EXPECT_EQ(ExpandIPRange("10.0.0.1", "10.0.0.256", out, &bad), 61553);
    EXPECT_EQ(bad.Str(), "10.0.0.256");
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ExpandIPRange("host", "10.0.0.2", out, &bad), 61553);
    EXPECT_EQ(bad.Str(), "host");

    EXPECT_TRUE(IsValidIPv4Address("0.0.0.0") && IsValidIPv4Address("255.255.255.255"));
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2..4", "1.2.3.4 ", "1.2.3.0004", "-1.2.3.4", ""})
        EXPECT_FALSE(IsValidIPv4Address(bad)) << bad;
}

TEST(HostList, CreationLimits) {
    // The per-creation limit is checked first.
    EXPECT_EQ((std::vector<long>{CheckTargetLimits(100, 0, 100, 1000), CheckTargetLimits(101, 0, 100, 1000),
                                 CheckTargetLimits(10, 990, 100, 1000), CheckTargetLimits(11, 990, 100, 1000),
                                 CheckTargetLimits(200, 990, 100, 1000)}),
              (std::vector<long>{0, 61692, 0, 61693, 61692}));
}

TEST(ServerList, TargetListFiles) {
    testsupport::TempDir dir;
    CServerList list;
    list.Parse("SERVER1, server2;10.0.0.1");
    const std::string path = dir.File("targets.csv");
    ASSERT_EQ(list.SaveToFile(path), 0);
    EXPECT_EQ(testsupport::ReadFile(path), "SERVER1,server2,10.0.0.1\n");

    CServerList loaded;
    loaded.Append("old");
    ASSERT_EQ(loaded.LoadFromFile(path), 0);
    EXPECT_EQ(Hosts(loaded), Hosts(list));

    // Only the first line counts, a CR LF ending included; the grammar applies.
    testsupport::WriteFile(path, "a; b,,c\r\nsecond,line\n");
    ASSERT_EQ(loaded.LoadFromFile(path), 0);
    EXPECT_EQ(Hosts(loaded), (std::vector<std::string>{"a", "b"}));
    testsupport::WriteFile(path, "");
    ASSERT_EQ(loaded.LoadFromFile(path), 0);
    EXPECT_TRUE(loaded.IsEmpty());

    // A very long line is cut at 32767 characters.
    testsupport::WriteFile(path, std::string(40000, 'h'));
    ASSERT_EQ(loaded.LoadFromFile(path), 0);
    EXPECT_EQ(loaded[0].Host().Length(), 32767u);

    EXPECT_EQ(loaded.LoadFromFile(dir.File("missing.csv")), 61559);
    EXPECT_EQ(list.SaveToFile(dir.File("no/such/dir/t.csv")), 51674);
}
