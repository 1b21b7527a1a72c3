// The target-selection dialog wired into a type dialog's "..." button: an IP range listed
// and copied, a saved and reloaded target list, a refused start, the creation limit on
// OK, and the one-entry rule of an existing check.  The rules themselves are tested in
// tests/model/checks/TargetSelectionTest.cpp.
#include "LoopbackTcpPeer.h"
#include "ManagerFixture.h"
#include "manager/checks/DialogSelectMultHosts.h"
#include "manager/checks/types/DialogCheck.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/TargetSelection.h"
#include "model/tree/SnNode.h"
#include "platform/Registry.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

std::vector<std::string> Rows(const QListWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.count(); ++i)
        rows.push_back(list.item(i)->text().toStdString());
    return rows;
}

} // namespace

class SelectHostsDialogTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        ASSERT_NE(Start(), nullptr);
    }
    // Answers the next file dialog with `path`.
    void PushFile(const std::string& path) {
        Ui().PushDialog([path](QDialog& d) {
            dynamic_cast<QFileDialog&>(d).selectFile(QString::fromStdString(path));
            return static_cast<int>(QDialog::Accepted);
        });
    }
};

TEST_F(SelectHostsDialogTest, HostButtonListsCopiesSavesAndKeepsTheLimit) {
    const std::string key = std::string(kProductKey) + "\\Manager";
    platform::RegEnsureKey(platform::Hive::LocalMachine, key.c_str());
    platform::RegSetDword(platform::Hive::LocalMachine, key.c_str(), "MaxCreateChecks", 3);
    testsupport::TempDir dir;
    const std::string file = dir.File("targets.csv");

    Ui().PushDialog([&](QDialog& base) {
        auto& icmp = dynamic_cast<CDialogCheck&>(base);
        icmp.HostField()->setText("srv0");
        Ui().PushDialog([&](QDialog& dialog) {
            auto& d = dynamic_cast<CDialogSelectMultHosts&>(dialog);
            EXPECT_EQ(d.windowTitle(), "Select Computer / IP Address");
            EXPECT_EQ(d.Note().text().toStdString(), TargetListNote(false));
            EXPECT_EQ(std::make_pair(d.IPFrom().text(), d.IPTo().text()),
                      std::make_pair(QString("192.168.31.1"), QString("192.168.31.254")));
            EXPECT_EQ(Rows(d.TargetList()), (std::vector<std::string>{"srv0"}));

            // A refused start keeps the fields; a listed range goes straight into the results.
            d.IPFrom().setText("127.0.0.1");
            d.IPTo().setText("127.0.0.x");
            d.ScanMode().setCurrentText(kScanListNow);
            d.StartStopIPRange();
            EXPECT_EQ(d.IPTo().text(), "127.0.0.x");
            d.IPTo().setText("127.0.0.3");
            d.StartStopIPRange();
            EXPECT_EQ(d.IPResults().topLevelItemCount(), 3);
            EXPECT_EQ(TargetSelectionSettings::Read().IPTo.Str(), "127.0.0.3");
            d.CopyIPResults();
            d.CopyIPResults(); // copied twice, listed once
            EXPECT_EQ(Rows(d.TargetList()), (std::vector<std::string>{"srv0", "127.0.0.1", "127.0.0.2", "127.0.0.3"}));

            // Saved, thinned out, loaded back.
            PushFile(file);
            d.SaveToFile();
            EXPECT_EQ(testsupport::ReadFile(file), "srv0,127.0.0.1,127.0.0.2,127.0.0.3\n");
            EXPECT_EQ(TargetListFolder().Str(), dir.Path());
            d.TargetList().item(1)->setSelected(true);
            d.TargetList().item(2)->setSelected(true);
            d.RemoveSelectedTargets();
            EXPECT_EQ(Rows(d.TargetList()), (std::vector<std::string>{"srv0", "127.0.0.3"}));
            PushFile(file);
            d.LoadFromFile();
            EXPECT_EQ(d.Targets().Count(), 4);

            // Four targets are one more than the limit: OK keeps the dialog open.
            d.accept();
            EXPECT_EQ(d.result(), QDialog::Rejected);
            d.TargetList().item(0)->setSelected(true);
            d.RemoveSelectedTargets();
            d.accept();
            return d.result();
        });
        icmp.BrowseHosts();
        EXPECT_EQ(icmp.HostField()->text(), "127.0.0.1,127.0.0.2,127.0.0.3");
        return static_cast<int>(QDialog::Rejected);
    });
    CSnNode w;
    const CheckDialogContext ctx{Ui(), App()->Store(), true, false};
    (*App()->CheckDialogs().FindType(kTypeIcmpPing))(&Frame(), w, kTypeIcmpPing, ctx);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid IP address: '127.0.0.x'.",
                                                    "You cannot create more than 3 checks at a time."}));
    std::vector<CUiSeam::Icon> icons;
    for (const CUiSeam::Shown& shown : Ui().History())
        if (shown.kind == CUiSeam::Shown::Kind::Message)
            icons.push_back(shown.icon);
    EXPECT_EQ(icons, (std::vector<CUiSeam::Icon>{CUiSeam::Icon::Warning, CUiSeam::Icon::Warning}));
}

TEST_F(SelectHostsDialogTest, AnExistingCheckTakesOneEntry) {
    HostCheckLimits editing;
    CDialogSelectMultHosts d(&Frame(), Ui(), App()->Store(), "srv1", editing);
    EXPECT_EQ(d.Note().text().toStdString(), TargetListNote(true));
    d.ManualHost().setText("a, b");
    d.CopyManualHost();
    EXPECT_EQ(Messages().size(), 1u);
    d.ManualHost().setText("b");
    d.CopyManualHost();
    EXPECT_EQ(d.TargetText(), "b");
}

TEST_F(SelectHostsDialogTest, APortScanFillsTheResultsAndEnds) {
    testsupport::LoopbackTcpPeer listener(testsupport::LoopbackTcpPeer::Greeting(""));
    ASSERT_TRUE(listener.Listening());
    CDialogSelectMultHosts d(&Frame(), Ui(), App()->Store(), "", HostCheckLimits{true});
    d.IPFrom().setText("127.0.0.1");
    d.IPTo().setText("127.0.0.3");
    d.Port().setText(QString::number(listener.Port()));
    d.ScanMode().setCurrentText(kScanPort);
    d.StartStopIPRange();
    ASSERT_TRUE(d.IPScanRunning());
    for (int i = 0; i < 200 && d.IPScanRunning(); ++i)
        QTest::qWait(50);
    ASSERT_FALSE(d.IPScanRunning());
    ASSERT_EQ(d.IPResults().topLevelItemCount(), 1);
    EXPECT_EQ(d.IPResults().topLevelItem(0)->text(0), "127.0.0.1");
    d.CopyIPResults();
    EXPECT_EQ(d.TargetText(), "127.0.0.1");
}
