// The system-family dialogs through the real widgets: one row per dialog fills the
// controls (found by name), presses OK and reads W back through the settings struct the
// engine reads, so a control bound to the wrong field or option position fails here.  The
// checks on OK are tested as tables in tests/model/checks/SystemDialogRulesTest.cpp.
#include "TypeDialogFixture.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include <functional>

namespace {

// Sets the controls named in `fields`: a line edit or an editable combo takes the text, a
// check box "1"/"0", a choice the button of the code given.
void Fill(QDialog& d, const std::vector<std::pair<const char*, const char*>>& fields) {
    for (const auto& [name, value] : fields) {
        if (auto* edit = d.findChild<QLineEdit*>(name))
            edit->setText(value);
        else if (auto* box = d.findChild<QCheckBox*>(name))
            box->setChecked(value[0] == '1');
        else if (auto* choice = d.findChild<QButtonGroup*>(name))
            choice->button(value[0])->setChecked(true);
        else if (auto* combo = d.findChild<QComboBox*>(name))
            combo->setCurrentIndex(combo->findText(value));
        else
            ADD_FAILURE() << "no control " << name;
    }
}

struct RoundTrip {
    std::int32_t type;
    std::vector<std::pair<const char*, const char*>> fields;
    std::function<void(const CSnNodeCfgFunction&)> expect;
};

} // namespace

using ComputerDialogsTest = TypeDialogTest;

// The tables keep one row per line.
// clang-format off
TEST_F(ComputerDialogsTest, ControlsReachTheEngineSettings) {
    using Cond = DirectorySettings::Condition;
    const RoundTrip trips[] = {
        {kTypeDiskSpace,
         {{"host", "127.0.0.1"}, {"drive", "/var"}, {"limit", "12.5"}, {"unit", "GB"}, {"measure", "F"},
          {"comparison", "1"}, {"useCredentials", "1"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(DiskSpaceSettings::Read(f),
                       (DiskSpaceSettings{"127.0.0.1", "/var", 12.5, true, true, DiskSpaceSettings::Unit::GB}));
             EXPECT_EQ((std::pair{f.UseCredentials, f.CredentialsServer.Str()}),
                       (std::pair{1, std::string("127.0.0.1")}));
         }},
        {kTypeFile,
         {{"path", "\\\\srv\\share\\app.log"}, {"condition", "0"}, {"size", "3"}, {"unit", "KB"}, {"truth", "1"},
          {"useCredentials", "1"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(FileSettings::Read(f), (FileSettings{"\\\\srv\\share\\app.log", "", 3, 1024, 60,
                                                            FileSettings::Condition::MaxSize, true}));
             EXPECT_EQ(f.CredentialsServer.Str(), "srv");
         }},
        {kTypeDirectory,
         {{"path", "/tmp"}, {"condition", "2"}, {"files", "40"}, {"unit", "GB"}, {"countDirectories", "1"},
          {"recursive", "1"}, {"truth", "0"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(DirectorySettings::Read(f),
                       (DirectorySettings{"/tmp", 1024, 1024LL * 1024 * 1024, 40, Cond::MaxFiles, true, true, false}));
         }},
        {kTypeCpuUsage,
         {{"host", "localhost"}, {"max", "90"}, {"which", "1"}, {"cpu", "3"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(CpuSettings::Read(f), (CpuSettings{"localhost", 90, true, 3}));
         }},
        {kTypeMemoryUsage,
         {{"host", "."}, {"measure", "1"}, {"limit", "500"}},
         [](const CSnNodeCfgFunction& f) { EXPECT_EQ(MemorySettings::Read(f), (MemorySettings{".", 500, true})); }},
        {kTypeDiskDrives,
         {{"host", "srv"}},
         [](const CSnNodeCfgFunction& f) { EXPECT_EQ(DiskDrivesSettings::Read(f), (DiskDrivesSettings{"srv"})); }},
        {kTypeService,
         {{"host", "srv"}, {"service", "spooler"}, {"state", "1"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(ServiceSettings::Read(f), (ServiceSettings{"srv", "spooler", true}));
         }},
        {kTypeRemoteCommand,
         {{"host", "127.0.0.1"}, {"command", "uptime"}, {"timeout", "4000"}, {"errorOnStderr", "0"},
          {"useCredentials", "1"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(RemoteCommandSettings::Read(f),
                       (RemoteCommandSettings{"127.0.0.1", "uptime", 4000, false, true}));
             EXPECT_EQ(f.ParamByteCodes.Str(), "x00");
         }},
        {kTypeTerminalServer,
         {{"host", "ts"}, {"checkActive", "0"}, {"active", ""}, {"checkTotal", "1"}, {"total", "30"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(TerminalServerSettings::Read(f), (TerminalServerSettings{"ts", 0, 0, 30, false, false, true}));
             EXPECT_EQ(f.Param4.Str(), "7000");
         }},
        {kTypeRegistry,
         {{"host", "srv"}, {"rootKey", "HKEY_USERS"}, {"subKey", "S-1\\Env"}, {"value", "Path"},
          {"firstOperator", "Not Equal To"}, {"firstData", "x"}, {"useSecond", "1"}, {"join", "1"},
          {"secondOperator", "Greater Than"}, {"secondData", "7"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(RegistrySettings::Read(f), (RegistrySettings{"srv", "HKEY_USERS", "S-1\\Env", "Path", 2, "x",
                                                                    5, "7", false, true, true}));
         }},
        {kTypeEventLog,
         {{"host", "srv"}, {"log", "System"}, {"eventType0", "0"}, {"eventType4", "0"}, {"source", "disk"},
          {"id", "7"}, {"description", "bad block"}, {"caseSensitive", "1"}, {"minutes", "15"}, {"presence", "1"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(EventLogSettings::Read(f),
                       (EventLogSettings{"srv", "System", "disk", "*", "7", "*", "bad block", 15, true, true,
                                         {false, true, true, true, false}}));
             EXPECT_EQ(f.ParamByteCodes.Str(), "110111000");
         }},
        // "Check What" sets the type: opened as Anti-Virus, written as MS SQL Server.
        {kTypeAntiVirus,
         {{"host", "db"}, {"role", "MS SQL Server"}, {"services", "sqlsvc, agent"}, {"counters", "\\Db\\Locks"}},
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(f.Type, 77);
             EXPECT_EQ(ServerRoleSettings::Read(f),
                       (ServerRoleSettings{"db", "MS SQL Server", {"sqlsvc", "agent"}, {}, {"\\Db\\Locks"}}));
         }},
    };
    for (const RoundTrip& trip : trips) {
        CSnNode w;
        // The computers have no stored credentials: OK asks whether to add them (No).
        for (const auto& [name, value] : trip.fields)
            if (std::string(name) == "useCredentials" && value[0] == '1')
                Ui().PushAnswer(CUiSeam::kNo);
        Ui().PushDialog([&trip](QDialog& d) {
            Fill(d, trip.fields);
            d.accept();
            return d.result();
        });
        const CCheckDialogRegistry::TypeDialog* dialog = App()->CheckDialogs().FindType(trip.type);
        ASSERT_NE(dialog, nullptr) << trip.type;
        ASSERT_EQ((*dialog)(&Frame(), w, trip.type, {Ui(), App()->Store(), true, false}), CUiSeam::kAccepted)
            << trip.type << " " << (Messages().empty() ? "" : Messages().back());
        if (trip.type != kTypeAntiVirus) {
            EXPECT_EQ(w.Cfg.Function.Type, trip.type);
        }
        trip.expect(w.Cfg.Function);
    }
}
// clang-format on
