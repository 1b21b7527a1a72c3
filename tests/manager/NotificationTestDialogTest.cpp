// The e-mail test dialog against the real engine: a loopback SMTP receiver gets the
// message and the dialog shows success; a closed port comes back as the engine's error.
#include "ManagerFixture.h"

#include "LoopbackSmtpSink.h"
#include "LoopbackSockets.h"
#include "TestSupport.h"
#include "manager/notify/DialogTestBase.h"
#include "manager/notify/PropSheetNotifySettings.h"

#include <QPixmap>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST_F(ManagerTest, EmailTestDialogThroughTheEngine) {
    testsupport::LoopbackSmtpSink sink;
    ASSERT_TRUE(StartEngine());
    ASSERT_NE(Start(), nullptr);
    // The sheet's "Test..." sends with the E-mail page as it stands, not as stored.
    CPropSheetNotifySettings sheet(Ui(), *App()->Store(), nullptr, App());
    sheet.EmailEnabled().setChecked(true);
    sheet.Primary().server.setText("127.0.0.1");
    sheet.Primary().senderAddress.setText("manager@example.test");
    const struct {
        int port;
        std::string result;
    } cases[] = {
        {sink.Port(), "Result: Message sent successfully"},
        {testsupport::UnusedLoopbackPort(), "Message failed.\nError #23715: Mail: unable to connect to the SMTP server"},
    };
    for (const auto& c : cases) {
        sheet.Primary().port.setText(QString::number(c.port));
        QString result;
        Ui().PushDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<CDialogTestEmail&>(d);
            dialog.Recipient().setText("ops@example.test");
            dialog.OnSend();
            EXPECT_TRUE(TickUntil([&] {
                dialog.OnTick();
                return !dialog.Result().text().isEmpty();
            }));
            result = dialog.Result().text();
            return 0;
        });
        sheet.EmailTest().click();
        // The engine's text goes on with the details of the failed connection.
        EXPECT_EQ(result.left(static_cast<int>(c.result.size())).toStdString(), c.result);
    }
    CSnSmtpSettings settings;
    ASSERT_TRUE(sink.WaitForMessages(1, 5s));
    EXPECT_EQ(sink.Messages().front().Recipients, std::vector<std::string>{"ops@example.test"});

    // What each dialog looks like, for the record.
    const char* grabs = std::getenv("SENTRELLE_GRAB_DIR");
    if (grabs != nullptr) {
        CDialogTestEmail email(*App(), settings);
        email.Result().setText("Result: Message sent successfully");
        email.grab().save(QString(grabs) + "/test-email.png");
        CDialogTestSnmpTrap(*App(), CSnSnmpTrapsSettings{}).grab().save(QString(grabs) + "/test-snmptrap.png");
        CDialogTestSms(*App(), CSnSmsSettings{}).grab().save(QString(grabs) + "/test-sms.png");
        CDialogTestPagerSnpp(*App(), CSnPagerSettings{}).grab().save(QString(grabs) + "/test-pagersnpp.png");
        CDialogTestPagerDtmf1(*App(), CSnPagerSettings{}).grab().save(QString(grabs) + "/test-pagerdtmf.png");
        CDialogTestMsn(*App(), CSnMsnSettings{}).grab().save(QString(grabs) + "/test-msn.png");
        CDialogTestNetSend(*App(), CSnNoSettings{}).grab().save(QString(grabs) + "/test-netsend.png");
    }
}
