// The type dialogs' wiring, scripted through the UI seam: what the ICMP dialog shows and
// writes, Cancel, the sample question, every type's dialog, and the credentials question
// with its editor.  The rules themselves (ranges, order, host lists) are tested in
// tests/model/checks/TypeDialogRulesTest.cpp.
#include "ManagerFixture.h"
#include "manager/checks/types/DialogServerCredentials.h"
#include "manager/checks/types/internet/DialogTypeICMP.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The smallest member: a host and the credentials row.
class CDialogHostOnly final : public CDialogCheck {
public:
    CDialogHostOnly(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx)
        : CDialogCheck(parent, w, type, ctx, "Host Only") {
        AddHostRow("&Computer:");
        AddCredentialsRow();
        Finish();
    }

protected:
    bool Collect(CSnNodeCfgFunction& out) override {
        out.ParamServer = HostField()->text().toStdString();
        WriteCredentials(out);
        return true;
    }
};

int AcceptAsIs(QDialog& dialog) {
    dialog.accept();
    return dialog.result();
}

CSnNode IcmpCheck(const char* host) {
    CSnNode w;
    w.Cfg.Function.Type = kTypeIcmpPing;
    IcmpSettings{host, 2000, 2, 64, 16}.Write(w.Cfg.Function);
    w.Cfg.Function.Param5 = "kept";
    return w;
}

} // namespace

class DialogCheckTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        ASSERT_NE(Start(), nullptr);
    }
    int Open(CSnNode& w, std::int32_t type, bool creating) {
        const CCheckDialogRegistry& registry = App()->CheckDialogs();
        const CCheckDialogRegistry::TypeDialog* dialog = registry.FindType(type);
        const CheckDialogContext ctx{Ui(), App()->Store(), creating, false};
        EXPECT_NE(dialog, nullptr);
        return dialog != nullptr ? (*dialog)(&Frame(), w, type, ctx) : CUiSeam::kCancel;
    }
};

TEST_F(DialogCheckTest, IcmpOnNewCheckShowsDefaultsAndWritesW) {
    CSnNode w; // a new check: no type yet
    Ui().PushDialog([this](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeICMP&>(base);
        EXPECT_EQ(d.windowTitle(), "ICMP/Ping Check");
        EXPECT_EQ(d.pos(), Frame().frameGeometry().topLeft() + QPoint(50, 50));
        EXPECT_TRUE(d.HostBrowseButton()->isEnabled());
        EXPECT_EQ(
            (std::vector<QString>{d.HostField()->text(), d.TimeoutField().text(), d.RetriesField().text(),
                                  d.TtlField().text(), d.BufferField().text()}),
            (std::vector<QString>{"", "1000", "1", "255", "32"}));
        d.HostField()->setText("127.0.0.1, ::1");
        d.TimeoutField().setText("");
        d.accept(); // refused: the dialog stays open
        EXPECT_EQ(d.result(), QDialog::Rejected);
        d.TimeoutField().setText("750");
        d.accept();
        return d.result();
    });
    ASSERT_EQ(Open(w, kTypeIcmpPing, true), CUiSeam::kAccepted);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Bad TimeOut value for TimeOut. Valid range is from 1 to 10000."}));
    EXPECT_EQ(w.Cfg.Function.Type, kTypeIcmpPing);
    EXPECT_EQ(IcmpSettings::Read(w.Cfg.Function), (IcmpSettings{"127.0.0.1, ::1", 750, 1, 255, 32}));
}

TEST_F(DialogCheckTest, IcmpCancelAndSampleData) {
    CSnNode w = IcmpCheck("srv");
    const CSnNode before = w;
    Ui().PushDialog([this](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeICMP&>(base);
        EXPECT_EQ(d.TimeoutField().text(), "2000");
        Ui().PushAnswer(CUiSeam::kNo);
        d.LoadSample();
        EXPECT_EQ(d.HostField()->text(), "srv");
        Ui().PushAnswer(CUiSeam::kYes);
        d.LoadSample();
        EXPECT_EQ(d.HostField()->text(), "127.0.0.1");
        EXPECT_EQ(d.TimeoutField().text(), "500");
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_EQ(Open(w, kTypeIcmpPing, false), CUiSeam::kRejected);
    EXPECT_TRUE(w.Cfg.IsEqual(before.Cfg));
    EXPECT_EQ(Messages().size(), 2u);

    // Editing refuses a host list; OK keeps the fields the dialog does not edit.
    Ui().PushDialog([](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeICMP&>(base);
        d.HostField()->setText("srv1,srv2");
        d.accept();
        d.HostField()->setText("srv1");
        d.accept();
        return d.result();
    });
    ASSERT_EQ(Open(w, kTypeIcmpPing, false), CUiSeam::kAccepted);
    EXPECT_EQ(Messages().back().substr(0, 40), "Multiple hosts (computernames, IP addres");
    EXPECT_EQ(IcmpSettings::Read(w.Cfg.Function), (IcmpSettings{"srv1", 2000, 2, 64, 16}));
    EXPECT_EQ(w.Cfg.Function.Param5.Str(), "kept");
}

TEST_F(DialogCheckTest, EveryTypeOfTheChooserHasItsDialog) {
    for (const std::int32_t type : AllCheckTypes())
        EXPECT_NE(App()->CheckDialogs().FindType(type), nullptr) << CheckTypeName(type);
}

TEST_F(DialogCheckTest, CredentialsQuestionOpensTheEditor) {
    CSnNode w;
    auto run = [&] {
        CDialogHostOnly dialog(&Frame(), w, kTypeService, {Ui(), App()->Store(), false, false});
        return dialog.Run();
    };
    Ui().PushDialog([this](QDialog& base) {
        auto& d = dynamic_cast<CDialogCheck&>(base);
        EXPECT_FALSE(d.CredentialsButton()->isEnabled());
        d.HostField()->setText("srv9");
        d.CredentialsBox()->setChecked(true);
        Ui().PushAnswer(CUiSeam::kYes);
        Ui().PushDialog([](QDialog& inner) {
            auto& editor = dynamic_cast<CDialogServerCredentials&>(inner);
            EXPECT_EQ(editor.ServerField().text(), "srv9");
            editor.LoginField().setText("admin");
            editor.PasswordField().setText("secret");
            editor.ConfirmField().setText("secret");
            editor.accept();
            return editor.result();
        });
        d.accept();
        return d.result();
    });
    ASSERT_EQ(run(), CUiSeam::kAccepted);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "There's are no credentials defined for server 'srv9'.\nDo you add credentials "
                              "for this server now?"}));
    EXPECT_EQ(w.Cfg.Function.UseCredentials, 1);
    EXPECT_EQ(w.Cfg.Function.CredentialsServer.Str(), "srv9");
    CSnCfgServerCredentials stored;
    ASSERT_EQ(stored.Read(*App()->Store()), 0);
    ASSERT_EQ(stored.Entries.size(), 1u);
    EXPECT_EQ(stored.Entries[0].Login.Str(), "admin");
    EXPECT_EQ(CQvcString::Unscramble(stored.Entries[0].Password.Str()).Str(), "secret");

    // Stored now: no question the second time.
    Ui().PushDialog(AcceptAsIs);
    ASSERT_EQ(run(), CUiSeam::kAccepted);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Ui().Unscripted(), 0);
}
