// The test dialogs' exchange with the Engine, driven by a fake clock and an "Engine" that
// is this test writing the ".PRC" and ".RSP" files at given seconds.
#include "model/notify/NotificationTestExchange.h"

#include "TestSupport.h"
#include "model/notify/NotificationRequests.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;
using Kind = TestDialogKind;

CSnNotificationResponse Answer(long code, const char* description = "", const char* extra = "") {
    CSnNotificationResponse response;
    response.CreatorIsManager = 1;
    response.ErrorCode = static_cast<std::int32_t>(code);
    response.ErrorDescription = description;
    response.ErrorDescriptionEx = extra;
    return response;
}

// A query's answer: the value, the fields and the rows.
CSnNotificationResponse Rows(const char* value, const char* fields, const char* rows) {
    CSnNotificationResponse response = Answer(0);
    response.Param[0] = value;
    response.Param[1] = fields;
    response.Param[2] = rows;
    return response;
}

} // namespace

TEST(NotificationTestExchange, ExchangesWithTheEngine) {
    const std::string status[] = {"", "Sending request to the Sentrelle Service...",
                                  "Sentrelle Service is processing the message...",
                                  "Timeout: No response received from Sentrelle Service. Please make sure that the "
                                  "Quorvane Sentrelle Service is running."};
    const struct {
        Kind kind;
        int prcAt, rspAt, lastTick; // seconds after sending; -1: the Engine never writes it
        CSnNotificationResponse response;
        // Each tick's status (index into `status`) or "R" for a result, and the result.
        std::string trace;
        std::string result;
    } cases[] = {
        // Never picked up: withdrawn after ten seconds, then idle.
        {Kind::Email, -1, -1, 12, {}, "1111111111130", ""},
        // Picked up but never answered: the SMS dialog gives up after 25 seconds...
        {Kind::Sms, 3, -1, 27, {}, "1112222222222222222222222230", ""},
        // ... the SNPP pager dialog waits without limit.
        {Kind::PagerSnpp, 3, -1, 27, {}, "1112222222222222222222222222", ""},
        {Kind::Email, 1, 2, 3, Answer(0, "", "250 Ok"), "12R0", "Result: Message sent successfully"},
        {Kind::Email, 1, 2, 2, Answer(23715, "Mail: unable to connect", "421 busy"), "12R",
         "Message failed.\rError #23715: Mail: unable to connect\rLast SMTP Response:\r421 busy"},
        {Kind::Sms, -1, 1, 2, Answer(0, "", "SMS sent to 555"), "12R",
         "Result: Message successfully submitted\r\nSMS sent to 555"},
        {Kind::Msn, -1, 1, 2, Answer(1002, "Not here"), "12R",
         "Result: Message failed\r\nError code: 1002\r\nError description: Not here"},
        {Kind::NetSend, -1, 1, 2, Answer(26005, "No pop-ups"), "12R",
         "Result: Message failed\rError code: 26005\rError description: No pop-ups"},
        {Kind::SnmpTrap, -1, 1, 2, Answer(0), "12R", "Result: SNMP Trap sent successfully"},
        {Kind::SnmpTrap, -1, 1, 2, Answer(22233, "refused"), "12R",
         "Result: SNMP Trap failed\rError code: 22233\rError description: refused"},
        {Kind::PagerSnpp, -1, 1, 2, Answer(33401, "SNPP: invalid pager ID", "550 Invalid"), "12R",
         "Message failed.\rError #33401: SNPP: invalid pager ID\rLast SNPP Response: 550 Invalid"},
        {Kind::PagerDtmf, -1, 1, 2, Answer(1002, "No modem", "ignored"), "12R", "Message failed.\rError #1002: No modem"},
        {Kind::Query, 1, 2, 2, Rows("7", "n, name", "2"), "12R",
         "Result: Query executed successfully\rRows returned: 2\rFields: n, name\rValue: 7"},
        {Kind::Query, -1, 1, 2, Rows("", "n", "0"), "12R", "Result: Query executed successfully\rRows returned: 0\rFields: n"},
        {Kind::Query, -1, 1, 2, Answer(1002, "No driver"), "12R",
         "Result: Query failed\rError code: 1002\rError description: No driver"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        testsupport::TempDir root;
        const std::string directory = root.File("Sys/Not");
        std::filesystem::create_directories(directory);
        Clock::time_point now{};
        CNotificationTestExchange exchange(c.kind, root.Path(), directory, [&] { return now; });
        auto request = CreateNotificationRequest(TraitsOf(c.kind).Type);
        ASSERT_EQ(exchange.Send(std::move(request), "555", ""), CNotificationTestExchange::SendResult::Sent);
        const CSnNotificationRequest& sent = *exchange.Request();
        std::string trace, result;
        for (int second = 0; second <= c.lastTick; ++second, now += std::chrono::seconds(1)) {
            if (second == c.prcAt)
                testsupport::WriteFile(sent.InProcessFile().Str(), "");
            if (second == c.rspAt)
                c.response.WriteResponse(sent);
            const auto view = exchange.Tick();
            int shown = 0;
            while (shown < 4 && status[shown] != view.Status.Str())
                ++shown;
            trace += view.Result.IsEmpty() ? std::to_string(shown) : std::string("R");
            result += view.Result.Str();
        }
        EXPECT_EQ(trace, c.trace);
        EXPECT_EQ(result, c.result);
        // A withdrawn request leaves no ".REQ"; an answer is written back as read.
        EXPECT_EQ(platform::FileExists(sent.RequestFile().Str()), c.trace.find('3') == std::string::npos);
        if (c.rspAt >= 0) {
            CSnNotificationResponse back;
            back.ReadResponse(sent);
            CSnNotificationResponse expected = c.response;
            expected.CreatorIsManager = 0;
            EXPECT_EQ(TestResultText(c.kind, back).Str() + std::to_string(back.CreatorIsManager),
                      TestResultText(c.kind, expected).Str() + "0");
        }
    }
}

TEST(NotificationTestExchange, OpeningSendingAndClosing) {
    testsupport::TempDir root;
    const std::string directory = root.File("Sys/Not");
    std::filesystem::create_directories(directory);
    testsupport::WriteFile(directory + "/SMTP00000001.REQ", "");
    testsupport::WriteFile(directory + "/SMTP00000001.PRC", "");
    testsupport::WriteFile(directory + "/SNMP00000001.REQ", "");
    Clock::time_point now{};
    std::string requestFile;
    {
        CNotificationTestExchange exchange(Kind::Email, root.Path(), directory, [&] { return now; });
        using Opening = CNotificationTestExchange::Opening;
        EXPECT_EQ(exchange.Open(false), Opening::ServiceStopped);
        EXPECT_EQ(exchange.Open(true), Opening::AskToClearQueue);
        EXPECT_EQ(exchange.PendingQuestion().Str(),
                  "There are still 2 pending E-mail requests in the notification queue.\nYou need to clear this "
                  "queue first in order to test notifications. Do you want to clear this queue now?");
        exchange.ClearQueue();
        EXPECT_EQ(exchange.Open(std::nullopt), Opening::Proceed); // the SNMP request stays
        EXPECT_TRUE(platform::FileExists(directory + "/SNMP00000001.REQ"));

        using Result = CNotificationTestExchange::SendResult;
        const auto send = [&](const char* recipient, const std::string& log) {
            return exchange.Send(CreateNotificationRequest(kRequestSmtp), recipient, CQvcString(log));
        };
        EXPECT_EQ(send("ops@example.test", "/var/log/smtplog.txt"), Result::LogFileOutsideRoot);
        EXPECT_EQ(exchange.RefusalText(Result::LogFileOutsideRoot).Str(),
                  "The Log File must be located in " + root.Path() + "/ or in one of its subdirectories.");
        EXPECT_EQ(exchange.PendingRequests(), 0); // refused before anything is written
        EXPECT_EQ(send(" ", ""), Result::NoRecipient);
        EXPECT_EQ(exchange.RefusalText(Result::NoRecipient).Str(), "Recipient is required.");
        EXPECT_EQ(send("ops@example.test", exchange.DefaultLogFile().Str()), Result::Sent);
        EXPECT_EQ(exchange.Tick().OkEnabled, false);
        EXPECT_EQ(send("ops@example.test", ""), Result::Reset); // OK while sending only resets
        EXPECT_EQ(exchange.CurrentState(), CNotificationTestExchange::State::Idle);
        requestFile = exchange.Request()->RequestFile().Str();
        EXPECT_TRUE(platform::FileExists(requestFile));
    }
    EXPECT_FALSE(platform::FileExists(requestFile)); // closing deletes the request's files
}

TEST(NotificationTestExchange, TestValuesRoundTripThroughTheUserRegistry) {
    testsupport::ScopedHives hives;
    EXPECT_EQ(LoadTestValues(Kind::Email, "/r/Logs/smtplog.txt"),
              (TestDialogValues{"Quorvane Test Message", "This is a test message", "", "/r/Logs/smtplog.txt"}));
    EXPECT_EQ(LoadTestValues(Kind::PagerDtmf, "d"), (TestDialogValues{"", "", "<pager number>", "d"}));
    const TestDialogValues typed{"", "first\r\nsecond", "+1 555", "/r/Logs/other.txt"};
    StoreTestValues(Kind::Sms, typed);
    EXPECT_EQ(LoadTestValues(Kind::Sms, "d"), typed);
    EXPECT_NE(testsupport::ReadFile(hives.UserHive()).find("Message=sz:first||second"), std::string::npos);
}
