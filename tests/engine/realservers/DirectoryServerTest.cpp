// The two directory checks against slapd, run by the test on a free port of 127.0.0.1 with
// a throw-away configuration and database: a user, a second user and a group with the first
// as its member.  Skipped when slapd is not installed.
#include "model/checks/CheckSettings.h"

#include "../runners/RunnerTestSupport.h"
#include "Slapd.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using runnertest::Context;

namespace {

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
    if (!testsupport::Slapd::Installed())
        GTEST_SKIP() << "slapd (package slapd) is not installed";
    testsupport::TempDir dir;
    const testsupport::Slapd slapd(dir, "dc=example,dc=test", kEntries);
    ASSERT_TRUE(slapd.Started()) << slapd.LoadLog();
    const int port = slapd.Port();
    const std::string url = slapd.Url();
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const auto run = [&](const char* function, std::vector<std::string> args) {
        return Said(RunCheck(DirectoryCheck(function, std::move(args)), Context(10s)));
    };
    ASSERT_TRUE(slapd.Listening());
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
