// The roles file: its reader on a real file, the default file that init installs, and
// the ports by which a computer is tested for a role.
#include "model/discovery/Discovery.h"
#include "model/discovery/Roles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<CQvcString> Texts(std::initializer_list<const char*> texts) {
    return {texts.begin(), texts.end()};
}

std::vector<CQvcString> Names(const CWinRoleDefList& list) {
    std::vector<CQvcString> names;
    for (const CWinRoleDef& role : list.Roles())
        names.push_back(role.Name);
    return names;
}

} // namespace

TEST(RolesFile, ReadsEveryBracketedLineAsARoleWithItsLists) {
    testsupport::TempDir dir;
    const std::string path = dir.File("roles.ini");
    // A line of 1022 characters is read whole; a longer one arrives in pieces, none of
    // which is bracketed at both ends.
    const std::string fits(1020, 'f'), tooLong(1100, 'x');
    testsupport::WriteFile(path, "; comment\n[]\nServices=ignored\n  [Web]  \nServices = http, https;8080\n"
                                 "Processes=nginx;\n[" +
                                     tooLong +
                                     "]\n[db]\nServices=postgresql\n"
                                     "PerfCounters=a;b , c\n[" +
                                     fits + "]\n[alpha]\n");
    CWinRoleDefList list;
    ASSERT_EQ(list.Load(CQvcString(path), false), 0);
    const std::vector<CWinRoleDef> expected = {
        {"Web", Texts({"http", "https", "8080"}), Texts({"nginx"}), {}},
        {"db", Texts({"postgresql"}), {}, Texts({"a", "b", "c"})},
        {CQvcString(fits), {}, {}, {}},
        {"alpha", {}, {}, {}},
    };
    EXPECT_EQ(list.Roles(), expected);
    ASSERT_NE(list.Find("WEB"), nullptr);
    EXPECT_EQ(*list.Find("WEB"), expected[0]);
    EXPECT_EQ(list.Find("mail"), nullptr);

    ASSERT_EQ(list.Load(CQvcString(path), true), 0);
    EXPECT_EQ(Names(list), (std::vector<CQvcString>{"alpha", "db", CQvcString(fits), "Web"}));

    EXPECT_EQ(list.Load(CQvcString(dir.File("missing.ini")), true), -1);
    EXPECT_TRUE(list.Roles().empty());
}

TEST(RolesFile, DefaultFileOffersServerRolesThatTcpCanTestAndKeepsAnEditedFile) {
    testsupport::TempDir root;
    std::filesystem::create_directories(root.File("Sys/Roles"));
    CQvcString message;
    ASSERT_EQ(InstallDefaultRoles(CQvcString(root.Path()), message), 0) << message.Str();
    const CQvcString path = RolesFilePath(CQvcString(root.Path()));
    EXPECT_EQ(path, CQvcString(root.File("Sys/Roles/roles.ini")));
    CWinRoleDefList list;
    ASSERT_EQ(list.Load(path, true), 0);
    EXPECT_EQ(Names(list), Texts({"Database Server", "Directory Server", "DNS Server", "File Server",
                                  "Mail Server", "SSH Server", "Web Server"}));
    for (const CWinRoleDef& role : list.Roles())
        EXPECT_FALSE(RoleServicePorts(role).empty()) << role.Name.Str();

    testsupport::WriteFile(path.Str(), "[Mine]\n");
    ASSERT_EQ(InstallDefaultRoles(CQvcString(root.Path()), message), 0);
    EXPECT_EQ(testsupport::ReadFile(path.Str()), "[Mine]\n");
}

TEST(RolesFile, ServicesGiveTcpPortsByNameOrNumberWithoutRepeats) {
    const CWinRoleDef role{
        "r", Texts({"http", "8080", "HTTP", "0", "65536", "65535", "no-such-service", "domain"}), {}, {}};
    EXPECT_EQ(RoleServicePorts(role), (std::vector<int>{80, 8080, 65535, 53}));
}
