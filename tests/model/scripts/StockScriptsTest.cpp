// The scripts an installation ships and the listing of the script directories: the
// directory functions declare their arguments in the order the engine reads them and
// their samples fill all six parameters; init writes the scripts once and never over a
// user's copy; a path leads into the stored form only from inside the kind's directory.
#include "model/scripts/StockScripts.h"

#include "model/checks/CheckSettings.h"
#include "model/scripts/ParserVBScript.h"
#include "model/store/SnInstallation.h"

#include "ScriptTestFiles.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const std::vector<CQvcString>& list) {
    std::vector<std::string> texts;
    for (const CQvcString& text : list)
        texts.push_back(text.Str());
    return texts;
}

class StockScriptsTest : public script_test::ScriptDir {
protected:
    void SetUp() override {
        root = dir.File("root");
        CQvcString message;
        const mode_t old = ::umask(0); // the scripts must not inherit an open umask
        const long code = CSnInstallation::Initialize(CQvcString(root), message);
        ::umask(old);
        ASSERT_EQ(code, 0) << message.Str();
        root += "/";
    }
    std::string root;
};

} // namespace

TEST_F(StockScriptsTest, InitShipsTheScriptsInTheFormTheDialogsRead) {
    EXPECT_EQ(Texts(ScriptFilesOf(ScriptKind::VBScript, CQvcString(root))),
              (std::vector<std::string>{"<SNROOT>scripts\\monitor (vbs)\\DirectoryService.vbs",
                                        "<SNROOT>scripts\\monitor (vbs)\\Samples.vbs"}));
    EXPECT_EQ(Texts(ScriptFilesOf(ScriptKind::PowerShell, CQvcString(root))),
              (std::vector<std::string>{"<SNROOT>scripts\\monitor (ps1)\\Example.ps1"}));

    // Declared parameters, host position and the sample's arguments, per function.
    const auto read = [this](const char* file, const char* function) {
        CParserVBScript parser;
        EXPECT_EQ(parser.Open(CQvcString(root + "scripts/monitor (vbs)/" + file)), 0);
        EXPECT_EQ(parser.FindFunction(function), 0) << function;
        return script_test::Joined(parser.Params()) + " host " + std::to_string(parser.HostParameter()) +
               " sample " + script_test::Joined(parser.SampleArgs());
    };
    EXPECT_EQ(read("DirectoryService.vbs", kLdapFunction),
              "strHost|strBaseDN|strFilter|strBindDN|strPassword|nMinEntries host 1 sample "
              "\"localhost\"|\"dc=demo\"|\"(objectClass=*)\"|\"\"|\"\"|1");
    EXPECT_EQ(read("DirectoryService.vbs", kMembershipFunction),
              "strHost|strBaseDN|strUser|strGroup|strBindDN|strPassword host 1 sample "
              "\"localhost\"|\"dc=demo\"|\"alice\"|\"operators\"|\"\"|\"\"");
    EXPECT_EQ(read("Samples.vbs", "CheckFolderFileCount"), "strFolder|nMaxFiles host 0 sample \"/tmp\"|500");

    // Writable by the owner only; a second init keeps what a user made of a stock script.
    const std::string ldap = root + "scripts/monitor (vbs)/DirectoryService.vbs";
    struct stat st {};
    EXPECT_EQ(::stat(ldap.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0644u);
    testsupport::WriteFile(ldap, "' mine\n");
    CQvcString message;
    ASSERT_EQ(CSnInstallation::Initialize(CQvcString(root), message), 0) << message.Str();
    EXPECT_EQ(testsupport::ReadFile(ldap), "' mine\n");
}

TEST_F(StockScriptsTest, OnlyPathsInsideTheDirectoryHaveAStoredForm) {
    const std::string vbs = root + "scripts/monitor (vbs)/";
    std::filesystem::create_directories(vbs + "Sub");
    testsupport::WriteFile(vbs + "Sub/x.vbs", "");
    testsupport::WriteFile(root + "outside.vbs", "");
    std::filesystem::create_symlink(root + "outside.vbs", vbs + "link.vbs");
    const std::pair<std::string, std::string> rows[] = {
        {vbs + "Sub/x.vbs", "<SNROOT>scripts\\monitor (vbs)\\Sub\\x.vbs"},
        {vbs + "Sub/../Samples.vbs", "<SNROOT>scripts\\monitor (vbs)\\Samples.vbs"},
        {vbs + "../monitor (ps1)/Example.ps1", ""},
        {vbs + "link.vbs", ""},
        {root + "outside.vbs", ""},
        {vbs, ""},
    };
    for (const auto& [path, stored] : rows)
        EXPECT_EQ(StoredScriptPath(ScriptKind::VBScript, CQvcString(path), CQvcString(root)).Str(), stored) << path;
    // The listing leaves out what has no stored form.
    EXPECT_EQ(ScriptFilesOf(ScriptKind::VBScript, CQvcString(root)).size(), 3u);
}
