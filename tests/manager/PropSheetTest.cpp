// The check property sheet through the UI seam: creating checks from the menu, editing
// and cancelling, a type change, and one refusal per page.
#include "ManagerFixture.h"

#include "manager/checks/DialogSchedules.h"
#include "manager/checks/FolderComboBox.h"
#include "manager/checks/DialogRecipients.h"
#include "manager/checks/PropPageServerActions.h"
#include "manager/checks/PropPageServerAdvanced.h"
#include "manager/checks/PropPageServerNotifications.h"
#include "manager/checks/PropPageServerProps.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/checks/types/DialogServerCredentials.h"
#include "model/checks/CheckTypes.h"
#include "model/console/CommandIds.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/tree/SnNode.h"
#include "platform/Profile.h"


#include <algorithm>
#include <fstream>

namespace {

// SQLite's file change counter: it moves with every committed write.
std::uint32_t ChangeCounter(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char bytes[4] = {};
    file.seekg(24);
    file.read(reinterpret_cast<char*>(bytes), 4);
    return (std::uint32_t{bytes[0]} << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
}

// Picks a chooser entry as the user does.
void Choose(CPropSheetServer& sheet, const char* text) {
    CFolderComboBox& chooser = sheet.General().Chooser();
    const int index = chooser.findData(QString(text), Qt::UserRole);
    ASSERT_GE(index, 0) << text;
    chooser.setCurrentIndex(index);
    emit chooser.activated(index);
}

int PressOk(QDialog& dialog) {
    dialog.accept();
    return dialog.result();
}

} // namespace

class PropSheetTest : public ManagerTest {
protected:
    // An ICMP check that passes the General page as it is.
    long AddPing(const char* name, int interval = 60) {
        const long id = AddCheck(1, name, kTypeIcmpPing, "127.0.0.1", interval);
        SeedNode(id)->Cfg.ScanFrequency.ErrorThreshold = 1;
        SaveNode(id);
        return id;
    }
    CSnNodeCfg Stored(long id) {
        CSnNode node;
        node.Cfg.ID = static_cast<std::int32_t>(id);
        EXPECT_EQ(Seeder().ReadNode(&node), 0);
        return node.Cfg;
    }
    // Opens Properties on the selected check with `script` running the sheet.
    void Edit(std::function<int(CPropSheetServer&)> script) {
        Ui().PushDialog([script](QDialog& d) { return script(dynamic_cast<CPropSheetServer&>(d)); });
        App()->OnCommand(cmd::kProperties);
    }
};

TEST_F(PropSheetTest, NewCheckWithAHostListCreatesOneNamedCheckPerHost) {
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    // A scripted ICMP dialog: it sets the host list and the type, as the real one does.
    App()->CheckDialogs().AddType(kTypeIcmpPing, [](QWidget*, CSnNode& w, std::int32_t type,
                                                    const CheckDialogContext& ctx) {
        EXPECT_TRUE(ctx.newCheck);
        w.Cfg.Function.Type = type;
        w.Cfg.Function.ParamServer = "127.0.0.1, ::1, localhost";
        w.Cfg.Function.Param1 = "1000";
        return CUiSeam::kAccepted;
    });
    Ui().PushDialog([](QDialog& d) {
        auto& sheet = dynamic_cast<CPropSheetServer&>(d);
        EXPECT_EQ(sheet.windowTitle(), "Properties - New Check");
        EXPECT_FALSE(sheet.General().SetupButton().isEnabled());
        Choose(sheet, "ICMP Ping");
        EXPECT_TRUE(sheet.General().SetupButton().isEnabled());
        EXPECT_EQ(sheet.General().DisplayName().text(), "<HOSTS> - ICMP Ping");
        // Several hosts need the placeholder: removing it is undone.
        sheet.General().DisplayName().setText("ICMP Ping");
        EXPECT_EQ(sheet.General().DisplayName().text(), "<HOSTS> - ICMP Ping");
        return PressOk(sheet);
    });
    App()->OnCommand(cmd::kNewCheck);
    // Interval checks are run at once: each is asked for in the Engine's control file.
    const std::vector<std::string> runNow =
        platform::ProfileListKeys(App()->Store()->Link()->ControlFile().c_str(), "MonitorNow");
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Placeholder '<HOSTS>' is required in the Display Name field when creating multiple checks."}));

    std::vector<std::string> listed;
    for (const char* name : {"127.0.0.1 - ICMP Ping", "::1 - ICMP Ping", "Localhost - ICMP Ping"})
        if (RowOf(name) >= 0)
            listed.push_back(name);
    EXPECT_EQ(listed.size(), 3u);
    // Saved: a store of its own finds the three checks with the host and the settings.
    CSnNode* root = nullptr;
    ASSERT_EQ(Seeder().ReloadAllNodes(root), 0);
    std::vector<std::string> stored;
    for (const CSnNode* check : CSnCfg::CollectChecks(root, true)) {
        EXPECT_NE(std::find(runNow.begin(), runNow.end(), std::to_string(check->Id())), runNow.end());
        stored.push_back(check->Cfg.Name.Str() + "|" + check->Cfg.Function.ParamServer.Str() + "|" +
                         check->Cfg.Function.Param1.Str());
        EXPECT_EQ(check->Cfg.ScanFrequency.Mode, 0);
        EXPECT_GT(check->Cfg.ScanFrequency.Interval, 0);
    }
    EXPECT_EQ(stored, (std::vector<std::string>{"127.0.0.1 - ICMP Ping|127.0.0.1|1000", "::1 - ICMP Ping|::1|1000",
                                                "Localhost - ICMP Ping|localhost|1000"}));
    Seeder().FreeTree(root);
}

TEST_F(PropSheetTest, EditingWritesOnlyAConfirmedChangeAndTheTypeChangeTakesNewDefaults) {
    const long id = AddPing("Ping", 7200);
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    SelectRow("Ping");
    const CSnNodeCfg before = Stored(id);
    const std::uint32_t counter = ChangeCounter(ConfigPath());

    Edit([](CPropSheetServer& sheet) {
        EXPECT_EQ(sheet.General().Interval().text(), "2");
        EXPECT_EQ(sheet.General().Unit().currentText(), "hours");
        sheet.General().DisplayName().setText("Changed");
        sheet.Advanced().Graph().setChecked(true);
        return QDialog::Rejected; // Cancel
    });
    Edit([](CPropSheetServer& sheet) { return PressOk(sheet); }); // OK, nothing changed
    EXPECT_EQ(ChangeCounter(ConfigPath()), counter);
    EXPECT_TRUE(Stored(id).IsEqual(before));

    // ICMP to Disk Space: interval and threshold become the new type's defaults.
    long interval = 0, threshold = 0;
    Seeder().DefaultScanFrequency(kTypeDiskSpace, interval, threshold);
    ASSERT_NE(interval, 7200);
    const sheetrules::IntervalShown shown = sheetrules::ShowInterval(static_cast<std::int32_t>(interval));
    Edit([&](CPropSheetServer& sheet) {
        Ui().PushDialog(PressOk); // the Disk Space page as it opens
        Choose(sheet, "Disk Space");
        EXPECT_EQ(sheet.General().Interval().text().toStdString(), shown.Number.Str());
        EXPECT_EQ(sheet.General().Unit().currentText().toStdString(), shown.Unit.Str());
        EXPECT_EQ(sheet.General().Threshold().text().toLongLong(), threshold);
        return PressOk(sheet);
    });
    const CSnNodeCfg after = Stored(id);
    EXPECT_NE(ChangeCounter(ConfigPath()), counter);
    EXPECT_EQ(std::make_tuple(after.Function.Type, after.Function.ParamServer.Str(), after.Function.Param2.Str(),
                              after.ScanFrequency.Interval, after.ScanFrequency.ErrorThreshold, after.Name.Str()),
              std::make_tuple(kTypeDiskSpace, "127.0.0.1", "C:", interval, threshold, "Ping"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PropSheetTest, EachPageKeepsTheSheetOpenOnItsFirstRefusal) {
    AddPing("Ping");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    SelectRow("Ping");
    Edit([this](CPropSheetServer& sheet) {
        // General: a header puts the chooser back on "<select>".
        Choose(sheet, "[Windows]");
        EXPECT_EQ(sheet.General().Chooser().Text().Str(), "<select>");
        EXPECT_EQ(PressOk(sheet), QDialog::Rejected);
        Ui().PushDialog(PressOk); // the ICMP dialog as it stands
        Choose(sheet, "ICMP Ping");
        // Actions: leaving the page with an enabled program and no path is refused.
        sheet.Tabs().setCurrentIndex(2);
        sheet.Actions().ProgramBox(1).setChecked(true);
        sheet.Tabs().setCurrentIndex(3);
        EXPECT_EQ(sheet.Tabs().currentIndex(), 2);
        sheet.Actions().ProgramBox(1).setChecked(false);
        // The restart computer's account opens in the credentials editor.
        EXPECT_FALSE(sheet.Actions().CredentialsButton().isEnabled());
        sheet.Actions().Reboot().click();
        sheet.Actions().Computer().setText("fileserver");
        Ui().PushDialog([](QDialog& d) {
            EXPECT_EQ(dynamic_cast<CDialogServerCredentials&>(d).ServerField().text(), "fileserver");
            return QDialog::Rejected;
        });
        sheet.Actions().CredentialsButton().click();
        sheet.Actions().NoRestart().click();
        // Advanced: OK from the General page shows the refusing Advanced page.
        sheet.Tabs().setCurrentIndex(0);
        sheet.Advanced().NotifyEvery().setChecked(true);
        EXPECT_EQ(PressOk(sheet), QDialog::Rejected);
        EXPECT_EQ(sheet.Tabs().currentIndex(), 3);
        return QDialog::Rejected;
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"'Check What' field is required.",
                                                    sheetrules::kProgramPathMessage,
                                                    "Value must must be greater than 0."}));
}

TEST_F(PropSheetTest, NotificationChannelsFollowTheGlobalSettingsAndTakeChosenRecipients) {
    const long id = AddPing("Ping");
    SaveTree();
    CSnSmtpSettings smtp;
    smtp.Server1 = "127.0.0.1";
    ASSERT_EQ(smtp.Write(Seeder()), 0);
    ASSERT_TRUE(StartLoaded());
    SelectRow("Ping");
    Edit([this](CPropSheetServer& sheet) {
        Ui().PushDialog([](QDialog& d) {
            auto& chooser = dynamic_cast<CDialogRecipients&>(d);
            chooser.NewAddress().setText("not an address");
            chooser.AddTyped();
            chooser.NewAddress().setText("ops@localhost");
            chooser.AddTyped();
            return QDialog::Accepted;
        });
        CPropPageServerNotifications& page = sheet.Notifications();
        EXPECT_TRUE(page.Box(0).isEnabled());
        EXPECT_FALSE(page.Box(2).isEnabled()); // network pop-ups are switched off
        page.Box(0).setChecked(true);
        page.Choose(0);
        return PressOk(sheet);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid e-mail address: 'not an address'."}));
    const CSnNodeCfg stored = Stored(id);
    EXPECT_EQ(stored.Action.Notify[0].Enabled, 1);
    EXPECT_EQ(stored.Action.Notify[0].Recipients.Str(), "ops@localhost");
}

TEST_F(PropSheetTest, PropertiesRefusesSeveralChecksAndAVanishedRecord) {
    const long a = AddPing("A");
    AddPing("B");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    SelectRow("A");
    SelectRow("B");
    App()->OnCommand(cmd::kProperties);
    List().clearSelection();
    SelectRow("A");
    ASSERT_EQ(Seeder().DeleteNodeRecord(a), 0);
    App()->OnCommand(cmd::kProperties);
    const std::vector<std::string> shown = Messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].rfind("To edit multiple checks in one go", 0), 0u);
    EXPECT_EQ(shown[1], "Node [" + std::to_string(a) + "] does not exist in the configuration database.");
}

// The General page's wiring: a preset type opens its dialog at once, a cancelled dialog
// puts the chooser back, the Event Log notice comes first, a trap type switches the scan
// mode, and "Schedule this Check:" opens the schedules dialog while there is no schedule.
TEST_F(PropSheetTest, GeneralPageOpensDialogsAsTheTypeAndTheModeRequire) {
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(1);
    std::vector<std::int32_t> opened;
    auto dialog = [&opened](int answer) {
        return [&opened, answer](QWidget*, CSnNode& w, std::int32_t type, const CheckDialogContext&) {
            opened.push_back(type);
            if (answer == CUiSeam::kAccepted)
                w.Cfg.Function.Type = type;
            return answer;
        };
    };
    App()->CheckDialogs().AddType(kTypeSsh, dialog(CUiSeam::kRejected));
    int scriptMode = -1;
    App()->CheckDialogs().AddType(kTypeVBScript, [&](QWidget*, CSnNode&, std::int32_t, const CheckDialogContext& ctx) {
        scriptMode = ctx.scriptMode;
        return CUiSeam::kRejected;
    });
    App()->CheckDialogs().AddType(kTypeEventLog, dialog(CUiSeam::kAccepted));
    App()->CheckDialogs().AddType(kTypeSnmpTrapReceive, dialog(CUiSeam::kAccepted));
    // A dialog that picks another type itself, as "Check What" of the server roles does.
    App()->CheckDialogs().AddType(kTypeAntiVirus, [](QWidget*, CSnNode& w, std::int32_t,
                                                     const CheckDialogContext&) {
        w.Cfg.Function.Type = kTypeAntiVirus + 7; // MS SQL Server
        return CUiSeam::kAccepted;
    });
    Ui().PushDialog([&](QDialog& d) {
        auto& sheet = dynamic_cast<CPropSheetServer&>(d);
        CPropPageServerProps& page = sheet.General();
        EXPECT_EQ(opened, std::vector<std::int32_t>{kTypeSsh}); // before the sheet showed
        EXPECT_EQ(page.Chooser().Text().Str(), "<select>");
        Choose(sheet, "LDAP");
        EXPECT_EQ(scriptMode, 2);
        Choose(sheet, "Event Log");
        EXPECT_EQ(Ui().History().back().text, "Event Log"); // the notice, then the dialog
        EXPECT_EQ(page.DisplayName().text(), " - Event Log"); // no host yet
        Choose(sheet, "Anti-Virus/Internet Security");
        EXPECT_EQ(page.Chooser().Text().Str(), "MS SQL Server");
        Choose(sheet, "SNMP Trap Receive");
        EXPECT_EQ(sheet.Mode(), 2);
        EXPECT_FALSE(page.TrapButton().isHidden());
        EXPECT_FALSE(page.EveryButton().isEnabled());
        Choose(sheet, "Event Log");
        EXPECT_EQ(sheet.Mode(), 0);
        page.Interval().setText("0");
        Ui().PushDialog([](QDialog& schedules) {
            auto& d = dynamic_cast<CDialogServerSchedules&>(schedules);
            d.Day(CSnCfgSchedule::kFriday).setChecked(true);
            d.AddButton().click();
            return PressOk(d);
        });
        page.ScheduleButton().click();
        EXPECT_EQ(sheet.Mode(), 1);
        EXPECT_EQ(page.Threshold().text(), "");
        EXPECT_TRUE(page.ScheduleDialogButton().isEnabled());
        page.ScheduleButton().click(); // a schedule exists now: no second dialog
        EXPECT_EQ(sheet.Work().Cfg.ScanFrequency.Schedule.Entries().size(), 1u);
        EXPECT_EQ(PressOk(sheet), QDialog::Accepted);
        return QDialog::Rejected; // leaves nothing behind
    });
    App()->OnCommand(cmd::kNewSshCheck);
    EXPECT_EQ(opened, (std::vector<std::int32_t>{kTypeSsh, kTypeEventLog, kTypeSnmpTrapReceive, kTypeEventLog}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(std::count_if(Ui().History().begin(), Ui().History().end(),
                            [](const CUiSeam::Shown& s) { return s.text == "Configure Schedule(s)"; }), 1);
}
