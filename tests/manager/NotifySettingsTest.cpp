// The notification settings' wiring: the address book and the settings sheet read and
// write the configuration through the UI seam.  Their rules are tested in tests/model/notify.
#include "ManagerFixture.h"

#include "manager/notify/DialogGlobalRecipients.h"
#include "manager/notify/PropSheetNotifySettings.h"
#include "model/console/CommandIds.h"
#include "model/link/SnIPC.h"
#include "model/notify/AddressRules.h"

#include <algorithm>

namespace {

// The stored groups of a channel as "name=members", the default one marked.
std::vector<std::string> StoredGroups(CSnCfg& store, std::int32_t channel) {
    CSnDistributionGroups groups(channel);
    EXPECT_EQ(groups.Load(store), 0);
    std::vector<std::string> out;
    for (int i = 0; i < groups.Count(); ++i) {
        const CSnDistributionGroup& g = *groups.At(static_cast<std::size_t>(i));
        out.push_back(groups.DisplayName(g).Str() + "=" + g.Members().Str());
    }
    return out;
}

void Grab(QWidget& w, const char* name) {
    w.resize(w.sizeHint().expandedTo(w.size()));
    w.grab().save(QString(SENTRELLE_TEST_OUTPUT_DIR) + "/" + name);
}

} // namespace

using NotifySettingsTest = ManagerTest;

TEST_F(NotifySettingsTest, AddressBookCreatesRenamesFillsAndDeletesGroupsInTheStore) {
    ASSERT_NE(Start(), nullptr);
    CDialogGlobalRecipients book(Ui(), *App()->Store(), kNotifyEmail);
    EXPECT_EQ(book.Groups().currentText().toStdString(), "Administrators (default)");
    auto entry = [&](int e) { return book.Groups().findData(e); };
    auto name = [this](const char* text) {
        Ui().PushDialog([text](QDialog& d) {
            auto& named = dynamic_cast<CDialogGlobalRecipientsGroupName&>(d);
            named.NameField().setText(text);
            named.accept();
            return named.result();
        });
    };

    name("Night/Ops"); // refused: the dialog stays, the script's answer is "rejected"
    book.Choose(entry(CDialogGlobalRecipients::kCreate));
    name(" Ops ");
    book.Choose(entry(CDialogGlobalRecipients::kCreate));
    EXPECT_EQ(book.Groups().currentText().toStdString(), "Ops");
    book.MembersField().setPlainText("a@x.com, b@x.com");
    EXPECT_TRUE(book.SaveMembers());
    book.MembersField().setPlainText("a@x.com; @bad");
    EXPECT_FALSE(book.SaveMembers());
    name("Night");
    book.Choose(entry(CDialogGlobalRecipients::kRename));
    Grab(book, "address-book.png");

    book.Choose(entry(1)); // the built-in group
    book.Choose(entry(CDialogGlobalRecipients::kDelete));
    EXPECT_EQ(StoredGroups(Seeder(), kNotifyEmail),
              (std::vector<std::string>{"Administrators (default)=", "Night=a@x.com;b@x.com"}));

    Ui().PushAnswer(CUiSeam::kYes);
    book.Choose(entry(book.List().At(1)->Id()));
    book.Choose(entry(CDialogGlobalRecipients::kDelete));
    EXPECT_EQ(StoredGroups(Seeder(), kNotifyEmail), (std::vector<std::string>{"Administrators (default)="}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid group name.", "Invalid e-mail address: '@bad'.",
                                                    "Cannot delete a built-in group.",
                                                    "Are you sure you want to delete group 'Night' ?"}));
}

TEST_F(NotifySettingsTest, SettingsSheetRefusesThenWritesTheRecordsAndTellsTheEngine) {
    ASSERT_NE(Start(), nullptr);
    CSnIPC* link = App()->Store()->Link();
    ASSERT_NE(link, nullptr);
    const long before = link->ReadGlobalSettingsCounter();
    Ui().PushDialog([this](QDialog& d) {
        auto& sheet = dynamic_cast<CPropSheetNotifySettings&>(d);
        Ui().PushDialog([](QDialog& book) { return book.windowTitle() == "E-mail Address Book" ? 0 : -1; });
        sheet.EmailAddressBook().click();
        sheet.EmailEnabled().setChecked(true);
        sheet.Primary().server.setText("127.0.0.1");
        sheet.Primary().port.setText("70000");
        sheet.Primary().senderAddress.setText("ops@example.com");
        sheet.accept(); // refused: the port
        sheet.Primary().port.setText("2525");
        sheet.Primary().security.setCurrentIndex(1);
        sheet.Primary().auth.setChecked(true);
        sheet.Primary().login.setText("ops");
        sheet.Primary().password.setText("pw");
        sheet.EmailTemplate().body.setPlainText("<% Name %> is <% Status %>\n<% Direction %>");
        Grab(sheet, "notification-settings-email.png");
        sheet.PopupEnabled().setChecked(true);
        sheet.TrapsEnabled().setChecked(true);
        sheet.TrapsAgent().setText("127.0.0.1");
        sheet.TrapsOid().setText("1.3.6.1.4.1.99");
        sheet.TrapsGeneric().setCurrentIndex(0);
        sheet.TrapsVersion().setCurrentIndex(1);
        sheet.SmsEnabled().setChecked(true);
        sheet.SmsProtocol().setCurrentIndex(1);
        sheet.SmsUrl().setText("http://127.0.0.1:8080/?to=<% Number %>&m=<% Message %>");
        Grab(*sheet.SmsUrl().parentWidget()->parentWidget(), "notification-settings-sms.png");
        sheet.PagerEnabled().setChecked(true);
        sheet.PagerProtocol().setCurrentIndex(1);
        sheet.PagerDevice().setText("/dev/ttyS0");
        Grab(*sheet.PagerDevice().parentWidget()->parentWidget(), "notification-settings-pager.png");
        sheet.MessengerEnabled().setChecked(true);
        sheet.MessengerServer().setText("127.0.0.1");
        sheet.MessengerAccount().setText("ops@example.com");
        Grab(*sheet.TrapsAgent().parentWidget(), "notification-settings-traps.png");
        sheet.accept();
        return sheet.result();
    });
    App()->OnCommand(cmd::kNotificationSettings);

    CSnSmtpSettings smtp;
    ASSERT_EQ(smtp.Read(Seeder()), 0);
    notifyrules::SmtpPageFields expected = notifyrules::SmtpPageFrom(CSnSmtpSettings());
    expected.Enabled = true;
    expected.Primary = {"127.0.0.1", "2525", notifyrules::SmtpSecurity::StartTls, true, "ops", "pw", "Sentrelle",
                        "ops@example.com"};
    EXPECT_EQ(notifyrules::SmtpPageFrom(smtp), expected);
    CSnNetPopupSettings popup;
    ASSERT_EQ(popup.Read(Seeder()), 0);
    EXPECT_TRUE(popup.Enabled);
    CSnSnmpTrapsSettings traps;
    ASSERT_EQ(traps.Read(Seeder()), 0);
    EXPECT_EQ(notifyrules::TrapsPageFrom(traps),
              (notifyrules::TrapsPageFields{true, "127.0.0.1", "162", "public", 2, 0, "1.3.6.1.4.1.99"}));
    CSnSmsSettings sms;
    ASSERT_EQ(sms.Read(Seeder()), 0);
    EXPECT_EQ(sms.HttpProviderUrl.Str(), "http://127.0.0.1:8080/?to=<% Number %>&m=<% Message %>");
    CSnPagerSettings pager;
    ASSERT_EQ(pager.Read(Seeder()), 0);
    EXPECT_EQ(std::to_string(pager.Protocol) + " " + pager.DtmfDevice.Str(), "1 /dev/ttyS0");
    CSnMsnSettings msn;
    ASSERT_EQ(msn.Read(Seeder()), 0);
    EXPECT_EQ(msn.Server.Str() + " " + msn.Account.Str(), "127.0.0.1 ops@example.com");
    CSnMessageTemplate email;
    ASSERT_EQ(email.Read(Seeder(), 1), 0);
    EXPECT_EQ(email.Body.Str(), "<% Name %> is <% Status %>||<% Direction %>");
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Primary SMTP server: the port must be a number from 1 to 65535."}));
    EXPECT_TRUE(std::any_of(Ui().History().begin(), Ui().History().end(),
                            [](const CUiSeam::Shown& s) { return s.text == "E-mail Address Book"; }));
    EXPECT_NE(link->ReadGlobalSettingsCounter(), before);
}
