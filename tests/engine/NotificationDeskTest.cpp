// Notification test requests as the engine handles them, with a sender the test plays:
// pick-up (".PRC"), answer (".RSP"), and the clean-up of what is left behind.
#include "engine/NotificationDesk.h"
#include "model/notify/SnNotificationResponse.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"

#include "EngineTestSupport.h"
#include "NodeTreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

using enginetest::FakeClock;
using enginetest::Gate;

namespace {

class NotificationDeskTest : public ::testing::Test {
protected:
    NotificationDeskTest() { MakeDesk(); }
    // A desk with `workers` senders that sends through `send`, or through Send below.
    void MakeDesk(std::size_t workers = 8, NotificationSendFunction send = {}) {
        if (!send)
            send = [this](const CSnNotificationRequest& request, const RunContext& context) {
                return Send(request, context);
            };
        desk.reset();
        desk = std::make_unique<CNotificationDesk>(
            CQvcString(Directory()), CQvcString(root.Path() + "/"), send, clock, CNotificationDesk::Timing{},
            [this](const CQvcString& text) { activity.push_back(text.Str()); }, workers);
    }
    ~NotificationDeskTest() override {
        if (gate)
            gate->Release();
        desk.reset();
        // A send abandoned by a stop still runs in this object: wait until it left.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (returned == sent || std::chrono::steady_clock::now() > end)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::string Directory() const { return root.File("Sys/Not"); }
    bool Exists(const CQvcString& path) const { return std::filesystem::exists(path.Str()); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Directory()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    CSnSmtpNotificationRequest Email(int port = 2525, bool account = true) {
        CSnSmtpNotificationRequest request;
        request.MailServer1 = "127.0.0.1";
        request.MailServerPort1 = port;
        request.MailServerLogin1 = account ? "monitor" : "";
        request.MailServerPassword1 = "s3cret";
        request.SenderAddress1 = "engine@example.test";
        request.RecipientAddressList = "admin@example.test";
        request.Subject = "Quorvane Test Message";
        request.Message = "line one\r\nline two";
        EXPECT_TRUE(request.WriteRequest(CQvcString(Directory()), true));
        return request;
    }

    CSnNotificationResponse Send(const CSnNotificationRequest& request, const RunContext& context) {
        {
            std::lock_guard lock(mutex);
            ++sent;
            if (const auto* smtp = dynamic_cast<const CSnSmtpNotificationRequest*>(&request))
                seen = smtp->MailServer1.Str() + ":" + std::to_string(smtp->MailServerPort1) + " " +
                       smtp->MailServerPassword1.Str() + " " + smtp->Message.Str() + " " +
                       std::to_string(context.Timeout.count());
        }
        if (gate)
            gate->Wait(context);
        std::lock_guard lock(mutex);
        ++returned;
        if (request.Type() == kRequestSnmp)
            throw std::runtime_error("no route to agent");
        CSnNotificationResponse response;
        response.ErrorCode = failWith;
        response.ErrorDescription = failWith ? "Mail server refused the login" : "";
        response.Param[0] = "250 OK";
        return response;
    }
    int Sent() {
        std::lock_guard lock(mutex);
        return sent;
    }
    // Polls until the sender is done and the answer written (real time, generous).
    void PollUntilAnswered(const CSnNotificationRequest& request) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Exists(request.ResponseFile()) && std::chrono::steady_clock::now() < end) {
            desk->Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(Exists(request.ResponseFile()));
    }

    testsupport::EngineRootDir root;
    FakeClock clock;
    std::unique_ptr<CNotificationDesk> desk;
    std::vector<std::string> activity;
    std::shared_ptr<Gate> gate;
    int failWith = 0;

    std::mutex mutex;
    int sent = 0;
    int returned = 0;
    std::string seen; // what the last e-mail request gave the sender
};

} // namespace

TEST_F(NotificationDeskTest, ARequestIsPickedUpSentAndAnswered) {
    gate = std::make_shared<Gate>();
    const CSnSmtpNotificationRequest request = Email();
    desk->Poll();
    // In process: the ".PRC" exists while the sender works.
    ASSERT_TRUE(gate->WaitForWaiters(1));
    EXPECT_TRUE(Exists(request.InProcessFile()));
    EXPECT_FALSE(Exists(request.ResponseFile()));
    EXPECT_EQ(desk->InFlight(), 1u);
    desk->Poll(); // not handed over twice
    gate->Release();
    PollUntilAnswered(request);

    EXPECT_FALSE(Exists(request.InProcessFile()));
    EXPECT_TRUE(Exists(request.RequestFile())); // the Manager removes it, not the engine
    EXPECT_EQ(desk->InFlight(), 0u);
    // The sender got the password unscrambled and the message as the request format keeps
    // it, on one line.
    EXPECT_EQ(seen, "127.0.0.1:2525 s3cret line one||line two 60000");
    EXPECT_EQ(Sent(), 1);
    CSnNotificationResponse answer;
    ASSERT_TRUE(answer.ReadResponse(request));
    EXPECT_EQ(std::to_string(answer.CreatorIsManager) + " " + std::to_string(answer.ErrorCode) + " " + answer.Param[0].Str(),
              "1 0 250 OK");
    EXPECT_EQ(activity, std::vector<std::string>{"E-mail test notification " +
                                                 std::filesystem::path(request.RequestFile().Str()).filename().string() +
                                                 ": sent"});

    // Answered requests are not sent again.
    for (int i = 0; i < 3; ++i) {
        clock.AdvanceSeconds(1);
        desk->Poll();
    }
    EXPECT_EQ(Sent(), 1);
}

TEST_F(NotificationDeskTest, FailuresAreAnsweredWithTheirCode) {
    failWith = 535;
    const CSnSmtpNotificationRequest email = Email();
    CSnSnmpNotificationRequest trap;
    trap.Agent = "192.0.2.1";
    ASSERT_TRUE(trap.WriteRequest(CQvcString(Directory()), true));
    CSnSmtpNotificationRequest disabled;
    disabled.Enabled = 0;
    ASSERT_TRUE(disabled.WriteRequest(CQvcString(Directory()), true));
    PollUntilAnswered(email);
    PollUntilAnswered(trap);
    PollUntilAnswered(disabled);

    CSnNotificationResponse answer;
    const auto said = [&](const CSnNotificationRequest& request) {
        return answer.ReadResponse(request) ? std::to_string(answer.ErrorCode) + " " + answer.ErrorDescription.Str()
                                            : "unreadable";
    };
    EXPECT_EQ(said(email), "535 Mail server refused the login");
    EXPECT_EQ(said(trap), "-1 The notification could not be sent: no route to agent");
    EXPECT_EQ(said(disabled).substr(0, 2), "1 ");
    EXPECT_EQ(Sent(), 2); // the disabled request was never handed to the sender
    EXPECT_TRUE(std::any_of(activity.begin(), activity.end(),
                            [](const std::string& text) { return text.find("SNMP test notification") == 0; }));
}

TEST_F(NotificationDeskTest, SeenResponsesUnreadableAndOrphanedFilesAreCleanedUp) {
    CSnSmtpNotificationRequest request = Email();
    PollUntilAnswered(request);

    // The Manager shows the answer and marks it as seen.
    CSnNotificationResponse answer;
    ASSERT_TRUE(answer.ReadResponse(request));
    answer.CreatorIsManager = 0;
    ASSERT_TRUE(answer.WriteResponse(request));
    // A request file that cannot be read, and one that is not a request at all.
    const std::string junk = Directory() + "/SMTP0000BEEF.REQ";
    testsupport::WriteFile(junk, "not a request");
    testsupport::WriteFile(Directory() + "/NOTES.txt", "keep me");
    // An answer whose request the Manager withdrew.
    CSnSmtpNotificationRequest withdrawn = Email();
    PollUntilAnswered(withdrawn);
    std::filesystem::remove(withdrawn.RequestFile().Str());

    desk->Poll();
    clock.AdvanceSeconds(59);
    desk->Poll();
    EXPECT_TRUE(Exists(request.ResponseFile()));
    EXPECT_TRUE(std::filesystem::exists(junk));
    clock.AdvanceSeconds(1);
    desk->Poll();
    // A minute after the mark every file of the request goes, lock files included, and
    // the unreadable request; the orphaned answer waits longer.
    const std::string orphan = std::filesystem::path(withdrawn.ResponseFile().Str()).filename().string();
    EXPECT_EQ(Files(), (std::vector<std::string>{"." + orphan + ".lock", "NOTES.txt", orphan}));
    clock.AdvanceSeconds(600);
    desk->Poll();
    EXPECT_FALSE(Exists(withdrawn.ResponseFile()));
    EXPECT_EQ(Files(), (std::vector<std::string>{"NOTES.txt"}));
    EXPECT_NE(std::find(activity.begin(), activity.end(), "Removed the unreadable notification request SMTP0000BEEF.REQ"),
              activity.end());
}

TEST_F(NotificationDeskTest, StopAbandonsASendThatHangs) {
    gate = std::make_shared<Gate>(true);
    const CSnSmtpNotificationRequest request = Email();
    desk->Poll();
    ASSERT_TRUE(gate->WaitForWaiters(1));
    const auto begin = std::chrono::steady_clock::now();
    desk->Stop(50);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(8));
    EXPECT_TRUE(Exists(request.InProcessFile()));
    EXPECT_FALSE(Exists(request.ResponseFile()));
    desk->Poll(); // stopped: nothing is picked up any more
    EXPECT_EQ(Sent(), 1);
}

TEST_F(NotificationDeskTest, OneServerGetsHalfOfTheSendersAndEveryRequestItsOwnTime) {
    MakeDesk(4);
    gate = std::make_shared<Gate>();
    const CSnSmtpNotificationRequest first = Email(2525), second = Email(2525), third = Email(2525);
    const CSnSmtpNotificationRequest other = Email(2526);
    desk->Poll();
    // Two senders for the busy server, one for the other; the third request waits.
    ASSERT_TRUE(gate->WaitForWaiters(3));
    EXPECT_EQ(Sent(), 3);
    EXPECT_EQ(desk->InFlight(), 4u);
    // Its time runs from its pick-up: past it, the request is answered without a send.
    clock.AdvanceSeconds(61);
    desk->Poll();
    std::vector<const CSnSmtpNotificationRequest*> late;
    for (const auto* request : {&first, &second, &third})
        if (Exists(request->ResponseFile()))
            late.push_back(request);
    ASSERT_EQ(late.size(), 1u);
    CSnNotificationResponse answer;
    ASSERT_TRUE(answer.ReadResponse(*late.front()));
    EXPECT_EQ(answer.ErrorCode, -1);
    EXPECT_EQ(answer.ErrorDescription.Str(), "The notification was not sent: no sender was free within its time-out");
    gate->Release();
    PollUntilAnswered(first);
    PollUntilAnswered(second);
    PollUntilAnswered(third);
    PollUntilAnswered(other);
    EXPECT_EQ(Sent(), 3);
}
