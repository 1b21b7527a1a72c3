// The Windows, serial and environmental dialogs through the real widgets: one row per
// dialog fills the controls, presses OK and reads W back through the settings struct, so a
// control bound to the wrong field or option position fails here.  Their checks on OK are
// tested as tables in tests/model/checks/SystemDialogRulesTest.cpp.
#include "LoopbackHttpServer.h"
#include "TypeDialogFixture.h"
#include "SensatrPages.h"
#include "manager/checks/types/environment/DialogTypeSensatronics.h"
#include "manager/checks/types/misc/DialogTypeSerialDevice.h"
#include "manager/checks/types/windows/DialogTypeMsmq.h"
#include "manager/checks/types/windows/DialogTypePerfCounter.h"
#include "manager/checks/types/windows/DialogTypePrinter.h"
#include "manager/checks/types/windows/DialogTypeProcess.h"
#include "manager/checks/types/windows/DialogTypeRemDrv.h"
#include "manager/checks/types/windows/DialogTypeSchedTask.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

// Presses "Retrieve settings..." and waits for the reading's thread to end.
void RetrieveUnit(CDialogTypeSensatronics& d) {
    d.RetrieveButton().click();
    EXPECT_FALSE(d.RetrieveButton().isEnabled()); // while the unit is read
    for (int i = 0; i < 2000 && d.Retrieving(); ++i)
        QTest::qWait(10);
    EXPECT_TRUE(d.RetrieveButton().isEnabled());
}

struct RoundTrip {
    std::int32_t type;
    std::function<void(QDialog&)> fill;
    std::function<void(const CSnNodeCfgFunction&)> expect;
};

} // namespace

class SystemDialogsTest : public TypeDialogTest {
protected:
    // The counter editor, played: fills it and presses OK.
    void PlayCounterEditor(const char* path, int op, const char* limit) {
        Ui().PushDialog([=](QDialog& inner) {
            auto& e = dynamic_cast<CDialogPerfCounterEntry&>(inner);
            e.PathField().setText(path);
            e.OperatorCombo().setCurrentIndex(e.OperatorCombo().findData(op));
            e.LimitField().setText(limit);
            e.accept();
            return e.result();
        });
    }
};

TEST_F(SystemDialogsTest, ControlsReachTheCheckSettings) {
    testsupport::LoopbackHttpServer unit;
    unit.SetPage("/", testsupport::FrontPage("Model E8"));
    unit.SetPage("/xmlconfig", testsupport::kXmlConfig);
    const std::string unitHost = "127.0.0.1:" + std::to_string(unit.Port());

    const RoundTrip trips[] = {
        {kTypePrinter,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypePrinter&>(base);
             d.HostField()->setText("printsrv");
             d.PrinterField().setText("Laser 2");
         },
         [](const CSnNodeCfgFunction& f) { EXPECT_EQ(PrinterSettings::Read(f), (PrinterSettings{"printsrv", "Laser 2"})); }},
        {kTypeProcess,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeProcess&>(base);
             d.HostField()->setText(".");
             d.ProcessField().setText("sshd");
             d.MustNotRunBox().setChecked(true);
             d.MemoryBox().setChecked(true);
             d.MemoryField().setText("200");
             d.CpuBox().setChecked(true);
             d.CpuField().setText("30");
             d.ExcludeField().setText("init,kthreadd");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(ProcessSettings::Read(f),
                       (ProcessSettings{".", "sshd", 30, 200, "init,kthreadd", true, true, false, true}));
         }},
        {kTypeScheduledTask,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSchedTask&>(base);
             d.LogFileField().setText("\\\\srv\\logs\\SchedLgU.txt");
             d.JobField().setText("Backup");
             d.KeywordField().setText("Done");
             d.DateFormatField().setText("%d.%m.%Y");
             d.PatternField().setText("exit code (0)");
             d.ResultChoice().button('1')->setChecked(true);
             d.CredentialsBox()->setChecked(true);
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(ScheduledTaskSettings::Read(f),
                       (ScheduledTaskSettings{"\\\\srv\\logs\\SchedLgU.txt", "Backup", "Done", "%d.%m.%Y",
                                              "exit code (0)", true}));
             EXPECT_EQ((std::pair{f.UseCredentials, f.CredentialsServer.Str()}), (std::pair{1, std::string("srv")}));
         }},
        {kTypeMsmq,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeMsmq&>(base);
             d.HostField()->setText("mq1");
             d.QueueField().setText("orders");
             d.LengthField().setText("50");
             d.SizeField().setText("8");
             d.PrivateBox().setChecked(true);
         },
         [](const CSnNodeCfgFunction& f) { EXPECT_EQ(MsmqSettings::Read(f), (MsmqSettings{"mq1", "orders", 50, 8, true})); }},
        {kTypeSerialDevice,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSerialDevice&>(base);
             d.DeviceField().setText("/dev/ttyUSB0");
             d.FlowCombo().setCurrentIndex(2);
             d.BaudCombo().setCurrentIndex(d.BaudCombo().findData(115200));
             d.SendBox().setChecked(false);
             d.SendField().setText("ATI");
             d.ExpectField().setText("ready");
             d.TimeoutField().setText("1500");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(SerialDeviceSettings::Read(f),
                       (SerialDeviceSettings{"/dev/ttyUSB0", SerialDeviceSettings::Flow::Software, 115200, "ATI",
                                             "ready", 1500, false, true}));
         }},
        {kTypeRemovableDrives,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeRemDrv&>(base);
             d.TargetChoice().button('0')->setChecked(true);
             d.ComputersField().setText("pc1,pc2");
             d.DomainField().setText("corp");
             d.ExcludeBox().setChecked(true);
             d.DrivesField().setText("A:");
             d.OpticalBox().setChecked(true);
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(RemovableDrivesSettings::Read(f),
                       (RemovableDrivesSettings{false, "corp", "pc1,pc2", true, "A:", true}));
         }},
        {kTypePerformanceCounters,
         [this](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypePerfCounter&>(base);
             d.HostField()->setText("pc9");
             EXPECT_FALSE(d.EditButton().isEnabled());
             for (const char* path : {"\\Memory\\Pages/sec", "\\System\\Threads", "\\Processor(_Total)\\% Processor Time"}) {
                 PlayCounterEditor(path, 4, "100");
                 d.AddButton().click();
             }
             d.CounterList().setCurrentRow(0);
             PlayCounterEditor("\\Memory\\Pages/sec", 3, "2,5");
             d.EditButton().click();
             d.CounterList().setCurrentRow(1);
             d.RemoveButton().click();
             EXPECT_EQ(d.CounterList().count(), 2);
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(f.Param1.Str(), "\\Memory\\Pages/sec|3|2,5||\\Processor(_Total)\\% Processor Time|4|100");
             EXPECT_EQ(PerfCounterSettings::Read(f).Counters.size(), 2U);
         }},
        {kTypeTemperature,
         [&unitHost](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSensatronics&>(base);
             d.HostField()->setText(QString::fromStdString(unitHost));
             RetrieveUnit(d);
             QStringList probes;
             for (int i = 0; i < d.ProbeCombo().count(); ++i)
                 probes << d.ProbeCombo().itemText(i);
             EXPECT_EQ(probes, (QStringList{"1: Outside (K)", "8: Rack top (\u00b0C)"}));
             EXPECT_EQ(d.ProbeField().text(), "1");
             EXPECT_TRUE(d.UnitDetails().text().startsWith("Model E8 \"Server room\"")) << d.UnitDetails().text().toStdString();
             d.ProbeCombo().activated(1);
             d.LowField().setText("10");
             d.HighField().setText("30,5");
             d.LogBox().setChecked(true);
             d.LogFileField().setText("/var/log/rack.txt");
         },
         [](const CSnNodeCfgFunction& f) {
             EnvironmentalSettings expected = EnvironmentalSettings::Read(f);
             EXPECT_EQ((std::vector<std::string>{std::to_string(expected.Probe), std::to_string(expected.TemperatureUnit),
                                                 f.Param3.Str(), f.Param5.Str()}),
                       (std::vector<std::string>{"8", "1", "10|30,5",
                                                 "1||Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\"
                                                 "Environmental.mdb||Temperature||/var/log/rack.txt||"}));
         }},
    };
    for (const RoundTrip& trip : trips) {
        CSnNode w;
        const int result = Open(w, trip.type, [&trip](QDialog& d) {
            trip.fill(d);
            d.accept();
            return d.result();
        });
        ASSERT_EQ(result, CUiSeam::kAccepted) << trip.type << " " << (Messages().empty() ? "" : Messages().back());
        EXPECT_EQ(w.Cfg.Function.Type, trip.type);
        trip.expect(w.Cfg.Function);
    }
}

// A unit that cannot be read says why, and the dialog stays as it was.
TEST_F(SystemDialogsTest, RetrievingAMissingUnitShowsItsError) {
    testsupport::LoopbackHttpServer unit;
    unit.SetPage("/", "gone", 404);
    CSnNode w;
    Open(w, kTypeHumidity, [&unit](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeSensatronics&>(base);
        EXPECT_EQ((std::vector<QString>{d.windowTitle(), d.LowField().text(), d.HighField().text()}),
                  (std::vector<QString>{"Sensatronics Check", "20.0", "85.0"}));
        EXPECT_FALSE(d.UnitCombo().isEnabled());
        d.HostField()->setText(QString::fromStdString(unit.BaseUrl()));
        RetrieveUnit(d);
        EXPECT_FALSE(d.ProbeCombo().isEnabled());
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"URL [" + unit.BaseUrl() + "]: Error 404"}));
}
