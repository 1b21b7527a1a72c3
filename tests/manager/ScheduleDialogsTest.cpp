// The schedule dialogs' wiring through the UI seam: what each shows, adds and refuses, and
// that only OK writes.  The rules themselves are tested in tests/model/schedule.
#include "ManagerFixture.h"

#include "manager/checks/DialogSchedules.h"
#include "model/console/CommandIds.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "model/tree/SnNode.h"

namespace {

// What the dialogs make of today at 09:30 local time.
std::int32_t NineThirty() {
    return static_cast<std::int32_t>(QDateTime(QDate::currentDate(), QTime(9, 30)).toSecsSinceEpoch());
}

// Maintenance windows as a list shows them.
std::vector<std::string> Shown(const CSnCfgScheduleList& list) {
    std::vector<std::string> texts;
    for (const CSnCfgSchedule& entry : list.Entries())
        texts.push_back(entry.Describe("dd.mm.yyyy", "HH:mm", true).Str());
    return texts;
}

} // namespace

using ScheduleDialogsTest = ManagerTest;

TEST_F(ScheduleDialogsTest, ScanSchedulesStopAtTheLimitAndOkWritesTheRows) {
    ASSERT_NE(Start(), nullptr);
    CSnNode node;
    for (int i = 1; i < CSnCfgScheduleList::kMaxEntries; ++i)
        node.Cfg.ScanFrequency.Schedule.Append(
            CSnCfgScheduleList(CQvcString().Format("e1000000;%d;0", i)).Entry(0));
    const std::string kept = node.Cfg.ScanFrequency.Schedule.Text().Str();
    Ui().PushDialog([](QDialog& base) {
        auto& d = dynamic_cast<CDialogServerSchedules&>(base);
        EXPECT_EQ(d.At().displayFormat().toStdString(), "hh:mm:ss AP"); // "mm" is the minute here
        d.Day(CSnCfgSchedule::kMonday).setChecked(true);
        d.At().setTime(QTime(9, 30));
        d.AddButton().click();                         // the 24th
        EXPECT_EQ(d.Rows().selectedItems().size(), 1); // the new row
        EXPECT_EQ(d.Rows().item(23)->text(), "Every Mo at 09:30:00 AM");
        d.Day(CSnCfgSchedule::kSunday).setChecked(true);
        d.AddButton().click(); // the 25th is refused and keeps the day set
        d.Rows().setCurrentRow(0);
        d.RemoveButton().click();
        d.accept(); // the question about Sunday, answered No
        return d.result();
    });
    EXPECT_TRUE(App()->CheckDialogs().schedules(&Frame(), node, CheckDialogContext{Ui(), App()->Store()}));
    EXPECT_EQ(node.Cfg.ScanFrequency.Schedule.Text().Str(),
              kept.substr(kept.find('|') + 1) + "|e0100000;" + std::to_string(NineThirty()) + ";0");
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "You cannot define more than 24 schedules.",
                              "Do you want to add the new schedule to the Maintenance Schedules list?"}));
}

TEST_F(ScheduleDialogsTest, CheckMaintenanceTakesItsOwnWindowsAndAsksAboutATypedDate) {
    ASSERT_NE(Start(), nullptr);
    CSnNode node;
    Ui().PushAnswer(CUiSeam::kYes);
    Ui().PushDialog([](QDialog& base) {
        auto& d = dynamic_cast<CDialogAdvancedOptionsMaintenance&>(base);
        EXPECT_FALSE(d.AddButton().isEnabled()); // the global windows are chosen
        d.UseOwn().setChecked(true);
        d.Hours().setValue(2);
        d.At().setTime(QTime(9, 30));
        d.Day(CSnCfgSchedule::kMonday).setChecked(true);
        d.AddButton().click();
        d.ThisDate().setChecked(true);
        EXPECT_EQ(d.DateEdit().displayFormat().toStdString(), "MM/dd/yyyy"); // and the month here
        d.DateEdit().setDate(QDate(2030, 3, 5));
        d.accept();
        return d.result();
    });
    EXPECT_TRUE(App()->CheckDialogs().maintenance(&Frame(), node, CheckDialogContext{Ui(), App()->Store()}));
    EXPECT_EQ(node.Cfg.Action.Maintenance->Enabled, 1);
    EXPECT_EQ(
        Shown(node.Cfg.Action.Maintenance->Schedule),
        (std::vector<std::string>{"Every Mo at 09:30 for 2 hours", "On 05.03.2030 at 09:30 for 2 hours"}));
}

TEST_F(ScheduleDialogsTest, GlobalMaintenanceFromTheToolsMenuLeavesOutDuplicatesAndWritesTheStore) {
    ASSERT_NE(Start(), nullptr);
    CSnMaintenanceSettings settings;
    settings.Schedule.SetText(CQvcString().Format("e0100000;%d;2", NineThirty()));
    ASSERT_EQ(settings.Write(Seeder()), 0);
    const CSnCfgScheduleList kept = settings.Schedule;
    auto script = [this](bool ok) {
        return [this, ok](QDialog& base) {
            auto& d = dynamic_cast<CDialogGlobalMaintenance&>(base);
            QRect centred = d.geometry();
            centred.moveCenter(Frame().geometry().center());
            EXPECT_EQ(d.pos(), centred.topLeft() - QPoint(100, 100));
            d.At().setTime(QTime(9, 30));
            d.Day(CSnCfgSchedule::kMonday).setChecked(true);
            d.Hours().setValue(2);
            d.AddButton().click(); // the listed window again: left out
            d.Hours().setValue(4);
            d.Day(CSnCfgSchedule::kMonday).setChecked(true);
            d.AddButton().click();
            EXPECT_EQ(d.Rows().count(), 2);
            return ok ? (d.accept(), d.result()) : QDialog::Rejected;
        };
    };
    Ui().PushDialog(script(false));
    App()->OnCommand(cmd::kMaintenance);
    ASSERT_EQ(settings.Read(Seeder()), 0);
    EXPECT_EQ(settings.Schedule, kept);

    Ui().PushDialog(script(true));
    App()->OnCommand(cmd::kMaintenance);
    ASSERT_EQ(settings.Read(Seeder()), 0);
    EXPECT_EQ(Shown(settings.Schedule),
              (std::vector<std::string>{"Every Mo at 09:30 for 2 hours", "Every Mo at 09:30 for 4 hours"}));
    EXPECT_TRUE(Messages().empty());
}
