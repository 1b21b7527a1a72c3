// Notification tests carried out for real: e-mail to a loopback SMTP sink, SNMP traps to a
// UDP socket of the test, and the answers of the channels this platform lacks.
#include "LoopbackSmtpSink.h"
#include "LoopbackSockets.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "engine/NotificationSender.h"
#include "model/notify/NotificationRequests.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include "platform/UniqueFd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

CSnSmtpNotificationRequest MailRequest(int port) {
    CSnSmtpNotificationRequest request;
    request.MailServer1 = "127.0.0.1";
    request.MailServerPort1 = port;
    request.SenderName1 = "Sentrelle";
    request.SenderAddress1 = "engine@example.test";
    request.RecipientAddressList = "ops@example.test; oncall@example.test";
    request.Subject = "Quorvane Test Message";
    request.Message = "This is a test message||.hidden dot line";
    request.CharSet = 65001;
    return request;
}

// "<code> <description> | <server's last reply>" of a response.
std::string Said(const CSnNotificationResponse& response) {
    return std::to_string(response.ErrorCode) + " " + response.ErrorDescription.Str() + " | " +
           response.ErrorDescriptionEx.Str();
}

} // namespace

TEST(MailSender, AccountIsUsedAndRefusedLogonsReported) {
    testsupport::LoopbackSmtpSink::Options options;
    options.Login = "alice";
    options.Password = "s3cret";
    testsupport::LoopbackSmtpSink sink(options);
    testsupport::TempDir root;
    std::filesystem::create_directories(root.Path() + "/Logs");
    const RunContext context = Context(20s, nullptr, root.Path() + "/");

    CSnSmtpNotificationRequest request = MailRequest(sink.Port());
    request.MailServerLogin1 = "alice";
    request.MailServerPassword1 = "s3cret";
    request.LogFile = "<SNROOT>Logs\\smtplog.txt";
    const CSnNotificationResponse ok = SendNotificationTest(request, context);
    ASSERT_EQ(ok.ErrorCode, 0) << ok.ErrorDescription.Str();
    EXPECT_EQ(std::to_string(ok.CreatorIsManager) + " " + ok.Param[0].Str(), "1 127.0.0.1:" + std::to_string(sink.Port()));
    ASSERT_TRUE(sink.WaitForMessages(1, 5s));
    const auto message = sink.Messages().front();
    EXPECT_EQ(message.User + " " + message.From + " " + message.Recipients.at(1), "alice engine@example.test oncall@example.test");
    // "||" is a line break again, and a line that starts with a dot arrives whole.
    EXPECT_NE(message.Data.find("\r\n\r\nThis is a test message\r\n.hidden dot line\r\n"), std::string::npos);

    request.MailServerPassword1 = "wrong";
    EXPECT_EQ(Said(SendNotificationTest(request, context)),
              "23716 Mail: SMTP authentication failed | 535 5.7.8 Authentication credentials invalid");

    // The log holds both tests and the dialogue, but never a password.
    const std::string log = testsupport::ReadFile(root.Path() + "/Logs/smtplog.txt");
    EXPECT_NE(log.find("E-mail test to ops@example.test; oncall@example.test through 127.0.0.1:" +
                       std::to_string(sink.Port()) + ": sent"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(": failed, Error #23716: Mail: SMTP authentication failed"), std::string::npos) << log;
    EXPECT_NE(log.find("S: 235 2.7.0 Authentication successful"), std::string::npos) << log;
    for (const std::string& line : sink.Commands()) {
        if (line.rfind("AUTH", 0) == 0 || line.find(' ') == std::string::npos) {
            const std::string secret = line.substr(line.rfind(' ') + 1);
            if (secret.size() > 8) {
                EXPECT_EQ(log.find(secret), std::string::npos) << secret;
            }
        }
    }
    EXPECT_EQ(log.find("s3cret"), std::string::npos);

    // A server that offers no authentication: the login would go unused, so nothing is sent.
    testsupport::LoopbackSmtpSink open;
    request.MailServerPort1 = open.Port();
    const CSnNotificationResponse unused = SendNotificationTest(request, context);
    EXPECT_EQ(std::to_string(unused.ErrorCode) + " " + unused.ErrorDescription.Str(),
              "23716 Mail: SMTP authentication failed: 127.0.0.1:" + std::to_string(open.Port()) +
                  " offers no authentication; the message was not sent because the configured login would go unused");
    EXPECT_FALSE(open.WaitForMessages(1, 500ms));
    request.MailServerPort1 = sink.Port();

    // A log file outside the Engine root is not written.
    testsupport::TempDir elsewhere;
    request.MailServerPassword1 = "s3cret";
    request.LogFile = elsewhere.File("smtplog.txt");
    EXPECT_EQ(SendNotificationTest(request, context).ErrorCode, 0);
    EXPECT_FALSE(std::filesystem::exists(elsewhere.File("smtplog.txt")));
}

TEST(MailSender, RefusalsCarryTheirCodeAndTheLastReply) {
    testsupport::LoopbackSmtpSink::Options options;
    options.RejectRecipients = {"nobody@example.test"};
    options.RejectSenders = {"spoof@example.test"};
    testsupport::LoopbackSmtpSink sink(options);
    const RunContext context = Context(20s);

    CSnSmtpNotificationRequest request = MailRequest(sink.Port());
    request.RecipientAddressList = "ops@example.test, nobody@example.test";
    EXPECT_EQ(Said(SendNotificationTest(request, context)),
              "23718 Mail: the SMTP server rejected a recipient | 550 5.1.1 <nobody@example.test>: Recipient address "
              "rejected: User unknown");

    request = MailRequest(sink.Port());
    request.SenderAddress1 = "spoof@example.test";
    const CSnNotificationResponse sender = SendNotificationTest(request, context);
    EXPECT_EQ(sender.ErrorCode, 23717);
    EXPECT_EQ(sender.ErrorDescriptionEx.Str().rfind("553 5.7.1", 0), 0u);
    EXPECT_TRUE(sink.Messages().empty());

    options = {};
    options.RejectData = true;
    testsupport::LoopbackSmtpSink picky(options);
    const CSnNotificationResponse data = SendNotificationTest(MailRequest(picky.Port()), context);
    EXPECT_EQ(std::to_string(data.ErrorCode) + " " + data.ErrorDescriptionEx.Str(),
              "23719 554 5.6.0 Message rejected: content refused");

    // A server marked secure must offer STARTTLS; this one does not.
    request = MailRequest(sink.Port());
    request.MailSecure1 = 1;
    const CSnNotificationResponse tls = SendNotificationTest(request, context);
    EXPECT_EQ(tls.ErrorCode, 23727);
    EXPECT_EQ(tls.ErrorDescription.Str().rfind("Mail: the secure connection (TLS) to the SMTP server failed (", 0), 0u)
        << tls.ErrorDescription.Str();
}

TEST(MailSender, BothServersFailing) {
    const RunContext context = Context(20s);
    const int closed = testsupport::UnusedLoopbackPort();
    CSnSmtpNotificationRequest request = MailRequest(closed);
    request.MailServer2 = "127.0.0.1";
    request.SenderAddress2 = "backup@example.test";
    // One code, both stories.
    request.MailServerPort2 = testsupport::UnusedLoopbackPort();
    const CSnNotificationResponse both = SendNotificationTest(request, context);
    EXPECT_EQ(both.ErrorCode, 23741);
    EXPECT_EQ(both.ErrorDescription.Str().rfind("Mail: both the primary and the backup SMTP server failed: 127.0.0.1:" +
                                                    std::to_string(closed) +
                                                    ": Mail: unable to connect to the SMTP server (",
                                                0),
              0u)
        << both.ErrorDescription.Str();

    // Only the first server, unreachable: its own code.
    const CSnNotificationResponse single = SendNotificationTest(MailRequest(closed), context);
    EXPECT_EQ(std::to_string(single.ErrorCode) + single.ErrorDescriptionEx.Str(), "23715");
}

TEST(MailSender, RequestsThatCannotBeSent) {
    const struct {
        std::function<void(CSnSmtpNotificationRequest&)> edit;
        long code;
    } cases[] = {
        {[](auto& r) { r.RecipientAddressList = " ; "; }, 23712},
        {[](auto& r) { r.RecipientAddressList = "ops@example.test;@example.test"; }, 23713},
        {[](auto& r) { r.MailServer1 = "  "; }, 23710},
        {[](auto& r) { r.SenderAddress1 = ""; }, 23711},
        {[](auto& r) { r.SenderAddress1 = "engine"; }, 23714},
        {[](auto& r) { r.CharSet = 932; }, 23729},
    };
    for (const auto& c : cases) {
        CSnSmtpNotificationRequest request = MailRequest(25);
        c.edit(request);
        EXPECT_EQ(SendNotificationTest(request, Context(5s)).ErrorCode, c.code) << c.code;
    }
}

TEST(MailSender, ServerThatNeverGreetsLeavesTheSecondItsShare) {
    // A listener that never accepts: the connection is made, the greeting never comes.
    int port = 0;
    const int fd = testsupport::OpenLoopbackSocket(SOCK_STREAM, port);
    ASSERT_GE(fd, 0);
    testsupport::LoopbackSmtpSink sink;
    CSnSmtpNotificationRequest request = MailRequest(port);
    request.MailServer2 = "127.0.0.1";
    request.MailServerPort2 = sink.Port();
    request.SenderAddress2 = "backup@example.test";
    const auto start = std::chrono::steady_clock::now();
    const CSnNotificationResponse response = SendNotificationTest(request, Context(4s));
    const double took = SecondsSince(start);
    EXPECT_EQ(response.ErrorCode, 0) << response.ErrorDescription.Str();
    EXPECT_EQ(response.Param[0].Str(), "127.0.0.1:" + std::to_string(sink.Port()));
    ASSERT_TRUE(sink.WaitForMessages(1, 5s));
    EXPECT_EQ(sink.Messages().front().From, "backup@example.test");
    EXPECT_GE(took, 1.5); // the first server had about half of the time
    EXPECT_LT(took, 10.0);

    // Alone, the silent server times out within the run's limit.
    const CSnNotificationResponse alone = SendNotificationTest(MailRequest(port), Context(1s));
    ::close(fd);
    EXPECT_EQ(alone.ErrorCode, 23720) << alone.ErrorDescription.Str();
}

TEST(TrapSender, RefusedRequests) {
    testsupport::TempDir root;
    std::filesystem::create_directories(root.Path() + "/Logs");
    const RunContext context = Context(5s, nullptr, root.Path() + "/");
    CSnSnmpNotificationRequest request;
    request.Agent = "127.0.0.1";
    request.Community = "public";
    request.OID = "1.3.6.1.4.1.0";
    request.OIDValue = "many";
    request.OIDType = 4;
    request.ProtocolVersion = 1;
    request.GenericTrap = 6;
    request.LogFile = "<SNROOT>Logs\\snmptrap.txt";
    // What the trap itself refuses (see the trap message tests) comes back with its code.
    EXPECT_EQ(Said(SendNotificationTest(request, context)),
              "22232 SNMP: the value does not match the expected data type: Value 'many' is not an integer "
              "(-2147483648 to 2147483647) | ");
    EXPECT_NE(testsupport::ReadFile(root.Path() + "/Logs/snmptrap.txt").find("failed, Error #22232"),
              std::string::npos);
    request.OIDValue = "5";
    request.Agent = "";
    EXPECT_EQ(SendNotificationTest(request, context).ErrorCode, 22202);
    request.Agent = "127.0.0.1:99999";
    EXPECT_EQ(SendNotificationTest(request, context).ErrorCode, 22202);
    // Without a port the trap goes to 162, where nothing listens: the refusal is reported.
    request.Agent = "127.0.0.1";
    const CSnNotificationResponse refused = SendNotificationTest(request, context);
    EXPECT_EQ(refused.ErrorCode, 22233);
    EXPECT_NE(refused.ErrorDescription.Find(": 127.0.0.1:162: Connection refused"), -1)
        << refused.ErrorDescription.Str();
    EXPECT_TRUE(refused.Param[0].IsEmpty());
}

TEST(TrapSender, EveryAddressOfTheAgentIsTriedInOrder) {
    int port4 = 0, port6 = 0;
    const platform::UniqueFd v4(testsupport::OpenLoopbackSocket(SOCK_DGRAM, port4));
    const platform::UniqueFd v6(testsupport::OpenLoopbackSocket(SOCK_DGRAM, port6, AF_INET6));
    ScopedNames names({{"agent.test", {"::1", "127.0.0.1"}}});
    CSnSnmpNotificationRequest request;
    request.Community = "public";
    request.OID = "1.3.6.1.4.1.0";
    request.OIDValue = "up";
    request.OIDType = 8;
    request.ProtocolVersion = 2;
    request.GenericTrap = 6;
    // Nothing on ::1 at the IPv4 receiver's port: refused there, sent to 127.0.0.1.
    request.Agent = "agent.test:" + std::to_string(port4);
    const CSnNotificationResponse second = SendNotificationTest(request, Context(5s));
    ASSERT_EQ(second.ErrorCode, 0) << second.ErrorDescription.Str();
    EXPECT_EQ(second.Param[0].Str(), "127.0.0.1:" + std::to_string(port4));
    EXPECT_FALSE(testsupport::ReceiveDatagram(v4.Get()).empty());
    // The first address answers: it is used, and written as IPv6 addresses are.
    request.Agent = "agent.test:" + std::to_string(port6);
    const CSnNotificationResponse first = SendNotificationTest(request, Context(5s));
    ASSERT_EQ(first.ErrorCode, 0) << first.ErrorDescription.Str();
    EXPECT_EQ(first.Param[0].Str(), "[::1]:" + std::to_string(port6));
    EXPECT_FALSE(testsupport::ReceiveDatagram(v6.Get()).empty());
}

TEST(NotificationSender, ChannelsThisPlatformLacks) {
    const RunContext context = Context();
    const struct {
        std::int32_t type;
        long code;
        const char* text;
    } channels[] = {
        {kRequestNetwork, 26005, "Network Popup notifications are not available on this platform"},
        {kRequestMsn, 1002, "MSN notifications are not available on this platform"},
    };
    for (const auto& channel : channels) {
        const auto request = CreateNotificationRequest(channel.type);
        ASSERT_TRUE(request) << channel.type;
        request->CreatorIsManager = 0;
        const CSnNotificationResponse response = SendNotificationTest(*request, context);
        EXPECT_EQ(Said(response) + std::to_string(response.CreatorIsManager),
                  std::to_string(channel.code) + " " + channel.text + " | 0");
    }
}
