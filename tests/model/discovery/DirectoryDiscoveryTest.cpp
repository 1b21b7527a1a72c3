// Directory discovery: how a directory name is read, and whole discoveries against a
// slapd that the test starts on a loopback port with a few computer entries, and against
// a stand-in for avahi-browse.
#include "model/discovery/DirectoryDiscovery.h"
#include "model/discovery/Discovery.h"

#include "library/QvcMessageQueue.h"
#include "platform/UniqueFd.h"

#include "LoopbackSockets.h"
#include "Slapd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include <sys/stat.h>

namespace {

const char* const kEntries = R"(dn: dc=example,dc=test
objectClass: dcObject
objectClass: organization
o: Example
dc: example

dn: cn=web1,dc=example,dc=test
objectClass: device
objectClass: ipHost
cn: web1
ipHostNumber: 127.0.0.2

dn: cn=web2,dc=example,dc=test
objectClass: device
objectClass: ipHost
cn: web2
ipHostNumber: 127.0.0.3

dn: cn=db1,dc=example,dc=test
objectClass: device
objectClass: ipHost
cn: db1
ipHostNumber: 127.0.0.4

dn: uid=alice,dc=example,dc=test
objectClass: inetOrgPerson
uid: alice
cn: Alice
sn: Liddell
)";

struct Discovery {
    std::vector<unsigned> Messages; // in the order posted
    std::vector<CDiscoveredHost> Hosts;
    std::string Error;
};

// Runs one discovery to its end (1037) and collects what it posted.
Discovery Discover(const std::string& directory, const CWinRoleDef& role) {
    CQvcMessageQueue queue;
    CThreadDiscoverWin thread;
    thread.Start(&queue, CQvcString(directory), role, 0);
    Discovery seen;
    QvcMessage message;
    while (queue.WaitForMessage(message, std::chrono::seconds(15))) {
        seen.Messages.push_back(message.message);
        for (CDiscoveredHost& host : thread.TakeHosts())
            seen.Hosts.push_back(std::move(host));
        if (message.message == kMsgDirectoryEnded)
            break;
    }
    seen.Error = thread.ErrorText().Str();
    std::sort(seen.Hosts.begin(), seen.Hosts.end(),
              [](const CDiscoveredHost& a, const CDiscoveredHost& b) { return a.Name < b.Name; });
    return seen;
}

CDiscoveredHost Computer(const char* name) {
    return {name, CQvcString("cn=") + name + ",dc=example,dc=test", 0, -1};
}

// A listener on one loopback address and port (0: any free port, given back in `port`).
platform::UniqueFd ListenOn(const char* address, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<in_port_t>(port));
    ::inet_pton(AF_INET, address, &where.sin_addr);
    socklen_t length = sizeof where;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        ::close(fd);
        return platform::UniqueFd(-1);
    }
    port = ntohs(where.sin_port);
    return platform::UniqueFd(fd);
}

} // namespace

void PrintTo(const CDirectoryTarget& target, std::ostream* out) {
    *out << (target.Workgroup ? "workgroup " : "") << target.Url.Str() << " base " << target.Base.Str();
}

TEST(DirectoryDiscovery, NamesAreReadAsDomainsLdapUrlsOrWorkgroups) {
    const struct {
        const char* Name;
        CDirectoryTarget Expected;
    } cases[] = {
        {"", {false, "ldap://localhost", ""}},
        {" LocalHost ", {false, "ldap://localhost", ""}},
        {"example.com", {false, "ldap://example.com", "dc=example,dc=com"}},
        {"corp.example.com.", {false, "ldap://corp.example.com", "dc=corp,dc=example,dc=com"}},
        {"ldap://127.0.0.1:3890/dc=example,dc=com", {false, "ldap://127.0.0.1:3890", "dc=example,dc=com"}},
        {"LDAPS://dir.example.com", {false, "ldaps://dir.example.com:636", ""}},
        {"ldap:///ou=hosts,dc=x", {false, "ldap://localhost:389", "ou=hosts,dc=x"}},
        {"ldap://[::1]:389/dc=x", {false, "ldap://[::1]:389", "dc=x"}},
        {"WORKGROUP", {true, "", ""}},
        {"ldap://host:99999999/", {false, "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDirectoryName(c.Name), c.Expected) << c.Name;
}

TEST(DirectoryDiscovery, FindsTheDirectorysComputersAllOrByRole) {
    if (!testsupport::Slapd::Installed())
        GTEST_SKIP() << "slapd (package slapd) is not installed";
    testsupport::TempDir dir;
    const testsupport::Slapd slapd(dir, "dc=example,dc=test", kEntries,
                                   {"core", "cosine", "inetorgperson", "nis"});
    ASSERT_TRUE(slapd.Started()) << slapd.LoadLog();
    ASSERT_TRUE(slapd.Listening());
    const std::string server = "ldap://127.0.0.1:" + std::to_string(slapd.Port());

    // Without a base, the server's naming context is searched; people are no computers.
    const Discovery all = Discover(server, {});
    EXPECT_EQ(all.Messages, (std::vector<unsigned>{kMsgDirectoryStarted, kMsgDirectoryHost, kMsgDirectoryHost,
                                                   kMsgDirectoryHost, kMsgDirectoryEnded}))
        << all.Error;
    EXPECT_EQ(all.Hosts, (std::vector<CDiscoveredHost>{Computer("db1"), Computer("web1"), Computer("web2")}));

    // The role's service answers on the addresses of web1 and web2 only.
    int port = 0;
    const platform::UniqueFd first = ListenOn("127.0.0.2", port);
    const platform::UniqueFd second = ListenOn("127.0.0.3", port);
    ASSERT_TRUE(first.Get() >= 0 && second.Get() >= 0);
    const CWinRoleDef web{
        "Web",
        {CQvcString(std::to_string(testsupport::UnusedLoopbackPort())), CQvcString(std::to_string(port))},
        {"nginx"},
        {}};
    const Discovery byRole = Discover(server + "/dc=example,dc=test", web);
    EXPECT_EQ(byRole.Messages, (std::vector<unsigned>{kMsgDirectoryStarted, kMsgDirectoryHost,
                                                      kMsgDirectoryHost, kMsgDirectoryEnded}))
        << byRole.Error;
    EXPECT_EQ(byRole.Hosts, (std::vector<CDiscoveredHost>{Computer("web1"), Computer("web2")}));

    // A role that names no TCP service cannot be tested from here.
    const Discovery untestable = Discover(server + "/dc=example,dc=test", {"Odd", {}, {"nginx"}, {}});
    EXPECT_EQ(untestable.Messages,
              (std::vector<unsigned>{kMsgDirectoryStarted, kMsgDirectoryFailed, kMsgDirectoryEnded}));
    EXPECT_NE(untestable.Error.find("names no TCP service"), std::string::npos) << untestable.Error;
}

TEST(DirectoryDiscovery, AFailedQueryPostsItsErrorAndEnds) {
    if (!testsupport::Slapd::Installed())
        GTEST_SKIP() << "slapd (package slapd) is not installed";
    testsupport::TempDir dir;
    const testsupport::Slapd slapd(dir, "dc=example,dc=test", kEntries,
                                   {"core", "cosine", "inetorgperson", "nis"});
    ASSERT_TRUE(slapd.Started() && slapd.Listening()) << slapd.LoadLog();
    const std::string server = "ldap://127.0.0.1:" + std::to_string(slapd.Port());
    const struct {
        std::string Directory;
        const char* Error;
    } cases[] = {
        {"ldap://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()) + "/dc=example,dc=test",
         "Can't contact LDAP server"},
        {server + "/dc=nowhere,dc=test", "No such object"},
    };
    for (const auto& c : cases) {
        const Discovery failed = Discover(c.Directory, {});
        EXPECT_EQ(failed.Messages,
                  (std::vector<unsigned>{kMsgDirectoryStarted, kMsgDirectoryFailed, kMsgDirectoryEnded}))
            << c.Directory;
        EXPECT_NE(failed.Error.find(c.Error), std::string::npos) << failed.Error;
        EXPECT_TRUE(failed.Hosts.empty());
    }
}

TEST(DirectoryDiscovery, StopEndsADiscoveryThatWaitsForItsServerPromptly) {
    const testsupport::SilentLoopbackListener silent;
    if (!silent.Silent())
        GTEST_SKIP() << "the loopback listener's backlog could not be filled";
    CQvcMessageQueue queue;
    CThreadDiscoverWin thread;
    thread.Start(&queue,
                 CQvcString("ldap://127.0.0.1:" + std::to_string(silent.Port()) + "/dc=example,dc=test"), {},
                 0);
    QvcMessage message;
    ASSERT_TRUE(queue.WaitForMessage(message, std::chrono::seconds(5)));
    ASSERT_EQ(message.message, kMsgDirectoryStarted);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(thread.Stop(5000), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(800));
    ASSERT_TRUE(queue.TryTake(message));
    EXPECT_EQ(message.message, kMsgDirectoryEnded);
    EXPECT_FALSE(queue.TryTake(message));
}

TEST(DirectoryDiscovery, AWorkgroupIsTheNeighbourhoodThatAvahiLists) {
    testsupport::TempDir bin;
    const testsupport::ScopedEnv path("PATH", bin.Path());
    const std::vector<unsigned> failed{kMsgDirectoryStarted, kMsgDirectoryFailed, kMsgDirectoryEnded};
    const Discovery missing = Discover("WORKGROUP", {});
    EXPECT_EQ(missing.Messages, failed);
    EXPECT_NE(missing.Error.find("needs Avahi (avahi-browse), which is not installed"), std::string::npos);

    const std::string browser = bin.File("avahi-browse");
    const auto install = [&](const std::string& body) {
        testsupport::WriteFile(browser, "#!/bin/sh\n" + body);
        ASSERT_EQ(::chmod(browser.c_str(), 0755), 0);
    };
    // A host is listed once per service and address family; its IPv4 address is probed.
    install("echo '+;lo;IPv4;web;_http._tcp;local'\n"
            "echo '=;lo;IPv6;web;_http._tcp;local;web.local;::1;80;'\n"
            "echo '=;lo;IPv4;web;_http._tcp;local;web.local;127.0.0.2;80;'\n"
            "echo '=;lo;IPv4;files;_smb._tcp;local;files.local;127.0.0.3;445;'\n");
    const CDiscoveredHost web{"web", "web.local", 0, -1}, files{"files", "files.local", 0, -1};
    EXPECT_EQ(Discover("WORKGROUP", {}).Hosts, (std::vector<CDiscoveredHost>{files, web}));
    int port = 0;
    const platform::UniqueFd listener = ListenOn("127.0.0.2", port);
    EXPECT_EQ(Discover("WORKGROUP", {"Web", {CQvcString(std::to_string(port))}, {}, {}}).Hosts,
              std::vector<CDiscoveredHost>{web});

    install("echo 'Failed to create client object: Daemon not running' >&2\nexit 1\n");
    const Discovery down = Discover("WORKGROUP", {});
    EXPECT_EQ(down.Messages, failed);
    EXPECT_NE(down.Error.find("Daemon not running"), std::string::npos) << down.Error;
}
