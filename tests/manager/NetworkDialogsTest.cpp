// The network dialogs through the real widgets: one row per dialog fills the controls,
// presses OK and reads W back through the settings struct the engine's runner reads, so a
// control bound to the wrong field or option position fails here.  The checks on OK are
// tested as tables in tests/model/checks/NetworkDialogRulesTest.cpp.
#include "TypeDialogFixture.h"
#include "manager/checks/types/internet/DialogTypePOP3.h"
#include "manager/checks/types/internet/DialogTypeSMTP.h"
#include "manager/checks/types/internet/DialogTypeSftp.h"
#include "manager/checks/types/internet/DialogTypeSmtp2Pop3.h"
#include "manager/checks/types/internet/DialogTypeTCP.h"
#include "manager/checks/types/internet/DialogTypeTcpFtp.h"
#include "manager/checks/types/internet/DialogTypeTcpHttp.h"
#include "manager/checks/types/internet/DialogTypeTftp.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace {

struct RoundTrip {
    std::int32_t type;
    std::function<void(QDialog&)> fill;
    std::function<void(const CSnNodeCfgFunction&)> expect;
};

void Type(QLineEdit& field, const char* text) {
    field.setText(text);
}

void Pick(QButtonGroup& choice, char code) {
    choice.button(code)->setChecked(true);
}

} // namespace

using NetworkDialogsTest = TypeDialogTest;

TEST_F(NetworkDialogsTest, ControlsReachTheEngineSettings) {
    const RoundTrip trips[] = {
        {kTypeNntp,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeTCP&>(base);
             Type(*d.HostField(), "127.0.0.1");
             Type(d.PortField(), "8119");
             d.SendBox().setChecked(true);
             Type(d.SendField(), "GROUP a||");
             d.ExpectBox().setChecked(false);
             Type(d.ExpectField(), "211");
             Type(d.TimeoutField(), "1500");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(TcpSettings::Read(f),
                       (TcpSettings{"127.0.0.1", 8119, true, "GROUP a\r\n", false, "211", 1500}));
         }},
        {kTypeHttp,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeTcpHttp&>(base);
             Type(d.UrlField(), "HTTPS://127.0.0.1:8443/status?full=1");
             d.ContentChoice().button('1')->setChecked(true);
             Type(d.ContentField(), "up");
             Type(d.StatusField(), "200,204");
             Type(d.TimeoutField(), "9");
             d.WebLoginBox().setChecked(true);
             d.WebLogin().Show("web", "w-secret");
             d.ProxyBox().setChecked(true);
             Type(d.ProxyField(), "127.0.0.1:3128");
             d.ProxyLoginBox().setChecked(true);
             d.ProxyLogin().Show("px", "p-secret");
             d.RedirectsBox().setChecked(false);
             d.AnyCertificateBox().setChecked(true);
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(HttpSettings::Read(f),
                       (HttpSettings{true, "127.0.0.1:8443", "/status?full=1", true, "up", "200,204", true,
                                     "127.0.0.1:3128", 9, true, "web", "w-secret", true, "px", "p-secret",
                                     false, true}));
             EXPECT_EQ((std::vector<std::string>{f.ParamServer.Str(), f.ParamPassword.Str()}),
                       (std::vector<std::string>{"127.0.0.1:8443", CQvcString::Scramble("w-secret").Str()}));
         }},
        {kTypeSmtp,
         [this](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSMTP&>(base);
             Type(*d.HostField(), "127.0.0.1");
             Type(d.PortField(), "2525");
             Type(d.PatternField(), "220");
             d.SecureBox().setChecked(true);
             d.AuthenticationBox().setChecked(true);
             Ui().PushDialog([](QDialog& inner) {
                 auto& auth = dynamic_cast<CDialogSmtpAuthentication&>(inner);
                 Type(auth.AccountField(), "mailer");
                 Type(auth.PasswordField(), "m-secret");
                 auth.accept();
                 return auth.result();
             });
             d.AuthenticationButton().click();
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(SmtpSettings::Read(f),
                       (SmtpSettings{"127.0.0.1", 2525, "220", true, true, "mailer", "m-secret"}));
             EXPECT_EQ(f.ParamByteCodes.Str(), "xx11");
         }},
        {kTypePop3,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypePOP3&>(base);
             Type(*d.HostField(), "127.0.0.1");
             Type(d.PortField(), "995");
             d.SecureBox().setChecked(true);
             d.Login().Show("box", "b-secret");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(Pop3Settings::Read(f), (Pop3Settings{"127.0.0.1", 995, true, "box", "b-secret"}));
             EXPECT_EQ((std::vector<std::string>{f.ParamByteCodes.Str(), std::to_string(f.ParamOption)}),
                       (std::vector<std::string>{"xx1", "1"}));
         }},
        {kTypeFtp,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeTcpFtp&>(base);
             Type(*d.HostField(), "FtP://127.0.0.1");
             d.Login().Show("ftpuser", "f-secret");
             d.PassiveBox().setChecked(false);
             d.BinaryBox().setChecked(false);
             Pick(d.FileChoice(), '1');
             Type(d.DirectoryField(), "/pub");
             Type(d.FileField(), "status.txt");
             Pick(d.PatternChoice(), '1');
             Type(d.PatternField(), "ok");
             Pick(d.MatchChoice(), '1');
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(FtpSettings::Read(f),
                       (FtpSettings{"127.0.0.1", "ftpuser", "f-secret", "/pub", "status.txt", "ok", false,
                                    false, false, true, true, true}));
             EXPECT_EQ((std::vector<std::string>{f.ParamServer.Str(), f.ParamByteCodes.Str()}),
                       (std::vector<std::string>{"127.0.0.1", "000111"}));
         }},
        {kTypeTftp,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeTftp&>(base);
             Type(*d.HostField(), "127.0.0.1");
             Type(d.FileField(), "boot.cfg");
             d.BinaryBox().setChecked(false);
             Pick(d.PatternChoice(), '1');
             Type(d.PatternField(), "server");
             Pick(d.MatchChoice(), '1');
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(TftpSettings::Read(f),
                       (TftpSettings{"127.0.0.1", "boot.cfg", "server", false, true, true}));
             EXPECT_EQ(f.ParamByteCodes.Str(), "xx0x11");
         }},
        {kTypeSftp,
         [](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSftp&>(base);
             Type(*d.HostField(), "127.0.0.1");
             Type(d.PortField(), "2222");
             Type(d.TimeoutField(), "4000");
             d.Login().Show("deploy", "s-secret");
             Pick(d.LogonChoice(), '0');
             Type(d.KeyFileField(), "/home/deploy/.ssh/id_ed25519");
             d.AnyHostKeyBox().setChecked(true);
             Pick(d.FileChoice(), '1');
             Type(d.FileField(), "/srv/up");
             d.PatternBox().setChecked(true);
             Type(d.PatternField(), "yes");
             Pick(d.MatchChoice(), '0');
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(SftpSettings::Read(f),
                       (SftpSettings{"127.0.0.1", 2222, "deploy", "s-secret", "/home/deploy/.ssh/id_ed25519",
                                     4000, "/srv/up", "yes", true, false, true, true, false}));
         }},
        {kTypeSmtpToPop3,
         [this](QDialog& base) {
             auto& d = dynamic_cast<CDialogTypeSmtp2Pop3&>(base);
             Type(d.RecipientField(), "probe@mail.test");
             Type(d.SubjectField(), "loop");
             Ui().PushDialog([](QDialog& inner) {
                 auto& smtp = dynamic_cast<CDialogSmtpServer&>(inner);
                 Type(smtp.ServerField(), "127.0.0.1:2525");
                 smtp.SecureBox().setChecked(true);
                 smtp.AuthenticationBox().setChecked(true);
                 Type(smtp.AccountField(), "sender");
                 Type(smtp.PasswordField(), "x-secret");
                 smtp.accept();
                 return smtp.result();
             });
             d.SmtpButton().click();
             Type(d.Pop3ServerField(), "127.0.0.1");
             Type(d.Pop3PortField(), "1110");
             d.Pop3SecureBox().setChecked(true);
             d.Pop3Login().Show("probe", "y-secret");
             d.DeleteBox().setChecked(false);
             Type(d.CheckMinutesField(), "2");
             Type(d.MailCountField(), "7");
             Type(d.ErrorMinutesField(), "15");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(
                 Smtp2Pop3Settings::Read(f),
                 (Smtp2Pop3Settings{"probe@mail.test", "loop", "127.0.0.1:2525", 2, 7, 15, "127.0.0.1", 1110,
                                    "probe", "y-secret", "sender", "x-secret", true, false, true, true}));
         }},
    };
    for (const RoundTrip& trip : trips) {
        CSnNode w;
        const int result = Open(w, trip.type, [&trip](QDialog& d) {
            trip.fill(d);
            d.accept();
            return d.result();
        });
        ASSERT_EQ(result, CUiSeam::kAccepted)
            << trip.type << " " << (Messages().empty() ? "" : Messages().back());
        EXPECT_EQ(w.Cfg.Function.Type, trip.type);
        trip.expect(w.Cfg.Function);
    }
}

TEST_F(NetworkDialogsTest, TcpOpensWithTheTypeDefaultsAndCitrixHasNoSample) {
    CSnNode w;
    Open(w, kTypeImap, [](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeTCP&>(base);
        EXPECT_EQ(d.windowTitle(), "TCP/IP Connection Check");
        EXPECT_EQ(
            (std::vector<QString>{d.PortField().text(), d.ExpectField().text(), d.TimeoutField().text()}),
            (std::vector<QString>{"143", "IMAP", "7000"}));
        EXPECT_EQ((std::vector<bool>{d.SendBox().isChecked(), d.SendField().isEnabled(),
                                     d.ExpectBox().isChecked()}),
                  (std::vector<bool>{false, false, true}));
        // IMAP only: the mailbox account the engine logs on with.
        d.HostField()->setText("mail.test");
        d.findChild<QLineEdit*>("account")->setText("alice");
        d.findChild<QLineEdit*>("password")->setText("s3cret");
        d.accept();
        return d.result();
    });
    const ImapSettings imap = ImapSettings::Read(w.Cfg.Function);
    EXPECT_EQ((std::vector<std::string>{imap.Connection.Host, imap.Login, imap.Password}),
              (std::vector<std::string>{"mail.test", "alice", "s3cret"}));
    EXPECT_NE(w.Cfg.Function.ParamPassword.Str(), "s3cret"); // stored scrambled
    Open(w, kTypeCitrixIca, [](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeTCP&>(base);
        d.LoadSample();
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"No public Citrix server available for demo at this moment."}));
}

// After the authentication editor closes the focus sits on its button; Return there must
// still mean OK (here refused for the empty host) rather than reopen the editor.
TEST_F(NetworkDialogsTest, ReturnOnARowButtonPressesOk) {
    CSnNode w;
    Open(w, kTypeSmtp, [](QDialog& d) {
        d.show();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&dynamic_cast<CDialogTypeSMTP&>(d).AuthenticationButton(), &enter);
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Host is required."}));
}
