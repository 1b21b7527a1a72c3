// Start-up of the Manager: a fresh installation, an incompatible configuration recovered
// from the template (or not), an unreadable or read-only configuration, and the
// preferences as the application sees them.
#include "ManagerFixture.h"

#include "library/ErrorTexts.h"
#include "library/QvcBase.h"
#include "model/console/CommandIds.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfgSqlite.h"
#include "model/settings/SnMetaSettings.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <QAction>
#include <QCoreApplication>

#include <filesystem>

namespace {

using platform::Hive;

// Sets the version that the configuration file claims.
void SetVersion(const std::string& path, const char* version) {
    CSnCfg file("Test");
    ASSERT_EQ(file.OpenFile(path.c_str()), 0);
    CSnMetaSettings meta;
    ASSERT_EQ(meta.Read(file), 0);
    meta.Version = version;
    ASSERT_EQ(meta.WriteQuietly(file), 0);
}

std::string VersionOf(const std::string& path) {
    CSnCfg file("Test");
    if (file.OpenFile(path.c_str()) != 0)
        return "<cannot open>";
    CSnMetaSettings meta;
    if (meta.Read(file) != 0)
        return "<cannot read>";
    return meta.Version.Str();
}

// A configuration that opens and validates, and then can no longer be read (or written).
class FailingMetaComponent : public CSnCfgSqlite {
public:
    FailingMetaComponent(const CQvcString& connection, bool failReads, bool failWrites)
        : CSnCfgSqlite(connection), m_failReads(failReads), m_failWrites(failWrites) {}
    void GetMetaSettings(CQvcVariant& out) override {
        // The first read is the version check of Open; the access probe comes later.
        if (m_failReads && ++s_reads > 1) {
            if (Ready())
                SetError(25110);
            return;
        }
        CSnCfgSqlite::GetMetaSettings(out);
    }
    void PutMetaSettings(const CQvcVariant& record) override {
        if (m_failWrites) {
            if (Ready())
                SetError(25112);
            return;
        }
        CSnCfgSqlite::PutMetaSettings(record);
    }
    static inline int s_reads = 0;

private:
    bool m_failReads;
    bool m_failWrites;
};

} // namespace

TEST_F(ManagerTest, FreshInstallationStartsWritableAndLoadsOnFirstTick) {
    const long folder = AddFolder(1, "Branch office");
    AddCheck(folder, "Router", 10);
    SaveTree();
    CSnIPC* link = Seeder().Link();
    const long ns = link->ReadChangeCounter(1), nm = link->ReadChangeCounter(0);

    ASSERT_NE(Start(true), nullptr);
    EXPECT_TRUE(Ui().History().empty());
    EXPECT_EQ(Frame().windowTitle().toStdString(), "Quorvane Sentrelle Manager");
    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_TRUE(App()->Readable());
    EXPECT_TRUE(App()->Writable());
    EXPECT_TRUE(App()->ActivityCapture());
    EXPECT_TRUE(App()->Loaded());
    // A read-only Manager later proves it can read the control file by this value.
    EXPECT_EQ(platform::ProfileReadInt(link->ControlFile().c_str(), "SharedAcess", "ReadOnly", 0), 1);
    // The access probe stamps the meta settings without announcing a change.
    EXPECT_EQ(link->ReadChangeCounter(1), ns);
    EXPECT_EQ(link->ReadChangeCounter(0), nm);
    // WritePermission is created with its default.
    std::string permission;
    EXPECT_EQ(platform::RegQueryString(Hive::CurrentUser, (std::string(kProductKey) + "\\WritePermission").c_str(),
                                       "WritePermission", &permission),
              platform::kRegOk);
    EXPECT_EQ(permission, "-1");

    // Before the first tick only the root is there; the tick loads the whole tree.
    EXPECT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 0);
    Tick();
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    ASSERT_EQ(Tree().topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(Tree().topLevelItem(0)->child(0)->text(0).toStdString(), "Branch office");
    EXPECT_EQ(List().RowCount(), 1);
    EXPECT_EQ(Cell("Router", 5), ".\\Branch office");
}

// A configuration of another version: after Yes it is kept beside a fresh copy of the
// template (replacing an earlier kept copy); No, or Yes without a template, ends the Manager
// and leaves the files as they were.
TEST_F(ManagerTest, IncompatibleConfigurationIsReplacedByTheTemplateOnlyAfterYes) {
    const std::string kept = Root() + "/Configuration/Config.incompatible.mdb";
    testsupport::WriteFile(kept, "an earlier copy that is overwritten");
    auto box = [](CUiSeam::Icon icon, const std::string& text) { return std::to_string(int(icon)) + " " + text; };
    const std::string error729 = box(CUiSeam::Icon::Error, ErrorShown(25207));
    const std::string ask = box(CUiSeam::Icon::Question, "Do you want to start with a new configuration file?");
    const struct { const char* version; int answer; bool withTemplate; std::vector<std::string> shown; bool started;
                   const char* after; } cases[] = {
        {"729", CUiSeam::kNo, true, {error729, ask}, false, "729"},
        {"731", CUiSeam::kYes, false, {box(CUiSeam::Icon::Error, ErrorShown(25206)), ask,
              box(CUiSeam::Icon::Error, "File '" + TemplatePath() + "' does not exist.")}, false, "731"},
        {"729", CUiSeam::kYes, true, {error729, ask}, true, "730"},
    };
    for (const auto& c : cases) {
        SetVersion(ConfigPath(), c.version);
        std::error_code absent; // the template is where the case wants it
        std::filesystem::rename(c.withTemplate ? TemplatePath() + ".away" : TemplatePath(),
                                c.withTemplate ? TemplatePath() : TemplatePath() + ".away", absent);
        startAnswers = {CUiSeam::kOk, c.answer, CUiSeam::kOk};
        EXPECT_EQ(Start() != nullptr, c.started) << c.version;
        std::vector<std::string> shown;
        for (const CUiSeam::Shown& s : Ui().History())
            shown.push_back(box(s.icon, s.text));
        EXPECT_EQ(shown, c.shown) << c.version;
        EXPECT_EQ(VersionOf(ConfigPath()) + "/" + VersionOf(kept), std::string(c.after) + "/" +
                                                                      (c.started ? c.version : "<cannot read>"));
    }
}

TEST_F(ManagerTest, ConfigurationThatCannotBeOpenedIsNamedAndEndsWithoutQuestion) {
    testsupport::WriteFile(ConfigPath(), "this is no database at all");
    EXPECT_EQ(Start(), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Error #", 0), 0u);
    EXPECT_EQ(Messages()[0].back(), '.');
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Error);
}

TEST_F(ManagerTest, UnreadableConfigurationEndsAfterTheAccessProbe) {
    FailingMetaComponent::s_reads = 0;
    options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        return std::make_unique<FailingMetaComponent>(connection, true, false);
    };
    EXPECT_EQ(Start(true), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              "Unable to read the configuration database (permission denied). The program will now quit.");
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Error);
    EXPECT_EQ(App()->Frame(), nullptr);
    EXPECT_EQ(App()->Store(), nullptr);
}

// A configuration that refuses the access probe's write, or WritePermission 0 on a writable
// one: the Manager runs read-only.
TEST_F(ManagerTest, ConfigurationThatCannotBeWrittenOrWritePermissionZeroRunsReadOnly) {
    for (const bool refused : {true, false}) {
        if (refused)
            options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
                return std::make_unique<FailingMetaComponent>(connection, false, true);
            };
        else
            (options.componentFactory = nullptr, prefs::WriteString("WritePermission", "WritePermission", " 0 "));
        ASSERT_NE(Start(), nullptr);
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(std::make_pair(App()->Readable(), App()->Writable()), std::make_pair(true, false));
        Tick();
        const std::string label = Tree().topLevelItem(0)->text(0).toStdString();
        const std::string user = platform::UserName();
        EXPECT_EQ(label, user.empty() ? "Sentrelle (Logged on user has Read-Only permissions to the configuration)"
                                      : "Sentrelle (User '" + user + "' has Read-Only permissions to the configuration)");
        EXPECT_TRUE(Frame().Action(cmd::kReadOnly)->isChecked());
        EXPECT_FALSE(Frame().Action(cmd::kNewFolder)->isEnabled());
    }
}
