// The two directory checks against slapd, run by the test on a free port of 127.0.0.1 with
// a throw-away configuration and database: a user, a second user and a group with the first
// as its member.  Skipped when slapd is not installed.
#include "model/checks/CheckSettings.h"

#include "../runners/RunnerTestSupport.h"
#include "ForkedChild.h"
#include "LoopbackSockets.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>

using namespace std::chrono_literals;
using runnertest::Context;

namespace {

constexpr const char* kSchemas = "/etc/ldap/schema/";
constexpr const char* kModules = "/usr/lib/ldap/";

const char* const kEntries = R"(dn: dc=example,dc=test
objectClass: dcObject
objectClass: organization
o: Example
dc: example

dn: uid=alice,dc=example,dc=test
objectClass: inetOrgPerson
uid: alice
cn: Alice
sn: Liddell
userPassword: wonderland

dn: uid=bob,dc=example,dc=test
objectClass: inetOrgPerson
uid: bob
cn: Bob
sn: Builder

dn: cn=staff,dc=example,dc=test
objectClass: groupOfNames
cn: staff
member: uid=alice,dc=example,dc=test
)";

std::string Said(const CheckOutcome& outcome) {
    const std::string text = runnertest::Describe(outcome);
    return text.substr(0, text.find(" {"));
}

CSnNodeCfg DirectoryCheck(const char* function, std::vector<std::string> args) {
    CSnNodeCfg check = runnertest::MakeCheck(kTypeVBScript);
    ScriptCheckSettings{kDirectoryScriptFile, function, std::move(args), 900, true}.Write(check.Function);
    return check;
}

} // namespace

TEST(RealServers, DirectorySearchAndGroupMembershipAgainstSlapd) {
    if (::access("/usr/sbin/slapd", X_OK) != 0 || ::access("/usr/sbin/slapadd", X_OK) != 0)
        GTEST_SKIP() << "slapd (package slapd) is not installed";
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.File("db"));
    std::ofstream(dir.File("slapd.conf")) << "include " << kSchemas << "core.schema\ninclude " << kSchemas
                                          << "cosine.schema\ninclude " << kSchemas << "inetorgperson.schema\n"
                                          << (std::filesystem::exists(std::string(kModules) + "back_mdb.so")
                                                  ? std::string("modulepath ") + kModules + "\nmoduleload back_mdb\n"
                                                  : "")
                                          << "pidfile " << dir.File("slapd.pid") << "\ndatabase mdb\n"
                                          << "suffix dc=example,dc=test\nrootdn cn=admin,dc=example,dc=test\n"
                                          << "rootpw adminpw\ndirectory " << dir.File("db") << "\n";
    std::ofstream(dir.File("entries.ldif")) << kEntries;
    const std::string conf = dir.File("slapd.conf");
    ASSERT_EQ(std::system(("/usr/sbin/slapadd -f " + conf + " -l " + dir.File("entries.ldif") + " 2>" +
                           dir.File("slapadd.log")).c_str()),
              0)
        << testsupport::ReadFile(dir.File("slapadd.log"));
    const int port = testsupport::UnusedLoopbackPort();
    const std::string url = "ldap://127.0.0.1:" + std::to_string(port) + "/";
    const pid_t slapd = testsupport::Spawn([&] {
        ::execl("/usr/sbin/slapd", "slapd", "-f", conf.c_str(), "-h", url.c_str(), "-d", "0", nullptr);
        return 127;
    });
    const struct Stop {
        pid_t pid;
        ~Stop() {
            ::kill(pid, SIGTERM);
            testsupport::ExitStatus(pid);
        }
    } stop{slapd};
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const auto run = [&](const char* function, std::vector<std::string> args) {
        return Said(RunCheck(DirectoryCheck(function, std::move(args)), Context(10s)));
    };
    // slapd takes a moment to listen: until then the connection is refused.
    testsupport::Eventually([&] { return run(kLdapFunction, {host, "dc=example,dc=test", "", "", "", ""})
                                             .rfind("Success", 0) == 0; }, 10s, 50ms);
    const std::string base = "dc=example,dc=test";
    const std::string alice = "uid=alice," + base;
    EXPECT_EQ(run(kLdapFunction, {url, base, "(objectClass=inetOrgPerson)", alice, "wonderland", "2"}),
              "Success: Found 2 entries for (objectClass=inetOrgPerson) below '" + base + "' on " + host + " [2]");
    EXPECT_EQ(run(kLdapFunction, {host, base, "(uid=carol)", "", "", ""}),
              "Error: Found 0 entries for (uid=carol) below '" + base + "' on " + host + ", at least 1 wanted [0]");
    EXPECT_EQ(run(kLdapFunction, {host, base, "(objectClass=inetOrgPerson)", "", "", "3"}),
              "Error: Found 2 entries for (objectClass=inetOrgPerson) below '" + base + "' on " + host +
                  ", at least 3 wanted [2]");
    EXPECT_EQ(run(kLdapFunction, {host, base, "", alice, "rabbit", ""}),
              "Error: LDAP server " + host + " refused the bind as '" + alice + "': Invalid credentials []");
    EXPECT_EQ(run(kMembershipFunction, {host, base, "alice", "staff", "", ""}),
              "Success: User 'alice' is a member of group 'staff' [1]");
    EXPECT_EQ(run(kMembershipFunction, {host, base, "uid=bob," + base, "cn=staff," + base, "", ""}),
              "Error: User 'uid=bob," + base + "' is not a member of group 'cn=staff," + base + "' [0]");
    EXPECT_EQ(run(kMembershipFunction, {host, base, "carol", "staff", "", ""}),
              "Error: User 'carol' not found below '" + base + "' []");
}
