// The test dialogs against the real engine: a loopback SMTP receiver gets the e-mail and
// the dialog shows success, a closed port comes back as the engine's error; the SNMP trap
// arrives on a loopback UDP port and is decoded.
#include "ManagerFixture.h"

#include "engine/BerReader.h"
#include "LoopbackSmtpSink.h"
#include "LoopbackSockets.h"
#include "TestSupport.h"
#include "manager/notify/DialogTestBase.h"
#include "manager/notify/PropSheetNotifySettings.h"

#include <unistd.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class NotificationTestDialogTest : public ManagerTest {
protected:
    // Presses a page's "Test...", sends from the dialog it opens (to `recipient` unless
    // empty) and waits for the engine's answer: the result the dialog shows.
    std::string SendFrom(QPushButton& test, const QString& recipient = {}) {
        QString result;
        Ui().PushDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<CDialogTestBase&>(d);
            if (!recipient.isEmpty())
                dialog.Recipient().setText(recipient);
            dialog.OnSend();
            EXPECT_TRUE(TickUntil([&] {
                dialog.OnTick();
                return !dialog.Result().text().isEmpty();
            }));
            result = dialog.Result().text();
            return 0;
        });
        test.click();
        return result.toStdString();
    }
};

} // namespace

TEST_F(NotificationTestDialogTest, EmailThroughTheEngine) {
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
        // The engine's text goes on with the details of the failed connection.
        EXPECT_EQ(SendFrom(sheet.EmailTest(), "ops@example.test").substr(0, c.result.size()), c.result);
    }
    ASSERT_TRUE(sink.WaitForMessages(1, 5s));
    EXPECT_EQ(sink.Messages().front().Recipients, std::vector<std::string>{"ops@example.test"});
}

TEST_F(NotificationTestDialogTest, SnmpTrapThroughTheEngine) {
    int port = 0;
    const int fd = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(StartEngine());
    ASSERT_NE(Start(), nullptr);
    CPropSheetNotifySettings sheet(Ui(), *App()->Store(), nullptr, App());
    sheet.TrapsEnabled().setChecked(true);
    sheet.TrapsAgent().setText("127.0.0.1");
    sheet.TrapsPort().setText(QString::number(port));
    sheet.TrapsCommunity().setText("ops");
    sheet.TrapsOid().setText("1.3.6.1.4.1.99.1");
    // The dialog's own value, sent with the record's default value type.
    EXPECT_EQ(SendFrom(sheet.TrapsTest()), "Result: SNMP Trap sent successfully");

    const std::string datagram = testsupport::ReceiveDatagram(fd);
    ::close(fd);
    ASSERT_FALSE(datagram.empty());
    // A version-1 trap from the page's agent, community and OID, the dialog's value;
    // the uptime is the sender's own and is left out.
    ber::Tlv message = ber::Decode(datagram).value();
    message.Parts.at(2).Parts.at(4).Content.assign(1, '\0'); // shown as 0
    EXPECT_EQ(ber::Render(message), "30{02:0 'ops' A4{1.3.6.1.4.1.99.1 40:7F 00 00 01 02:6 02:0 43:0 "
                                        "30{30{1.3.6.1.4.1.99.1 'Sentrelle test trap'}}}}");
}
