// Alerting end to end: the engine with a scripted runner and the real e-mail channel to a
// loopback SMTP server; the SNMP channel to a loopback UDP port; the delivery queue's
// batching, retries and bound with channels of the test's own.
#include "engine/Engine.h"
#include "engine/alerting/AlertQueue.h"
#include "engine/alerting/DefaultChannels.h"
#include "model/checks/CheckTypes.h"
#include "model/notify/SnDistributionGroups.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/notify/SnSmtpSettings.h"

#include "../EngineTestSupport.h"
#include "../runners/BerReader.h"
#include "LoopbackSmtpSink.h"
#include "LoopbackSockets.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

using namespace std::chrono_literals;
using enginetest::Outcome;
using Kind = CheckOutcome::Kind;

namespace {

// "<recipients> | <subject> | <body>" of a delivered mail.
std::string Mail(const testsupport::LoopbackSmtpSink::Message& message) {
    std::string recipients;
    for (const std::string& r : message.Recipients)
        recipients += (recipients.empty() ? "" : ",") + r;
    const std::size_t subject = message.Data.find("\r\nSubject: ") + 11;
    const std::size_t body = message.Data.find("\r\n\r\n") + 4;
    return recipients + " | " + message.Data.substr(subject, message.Data.find("\r\n", subject) - subject) + " | " +
           message.Data.substr(body, message.Data.size() - 2 - body);
}

class AlertingEngineTest : public ::testing::Test {
protected:
    void StartEngine() {
        EngineOptions options;
        options.Root = CQvcString(inst.Root());
        options.Clock = &clock;
        options.Workers = 2;
        options.FlushPeriod = 0ms;
        options.Alerts.BatchWindow = 300ms;
        EngineServices services;
        services.RunCheck = enginetest::FakeRunner::Function(runner);
        services.AlertChannels = DefaultAlertChannels();
        engine = std::make_unique<CEngine>(options, services);
        CQvcString message;
        ASSERT_EQ(engine->Start(message), 0) << message.Str();
    }
    void Advance(std::int64_t seconds) {
        clock.AdvanceSeconds(seconds);
        engine->Tick();
        ASSERT_TRUE(engine->WaitIdle(10000));
        engine->Tick();
    }

    testsupport::ScopedTimeZone utc{"UTC"};
    enginetest::Installation inst;
    enginetest::FakeClock clock;
    std::shared_ptr<enginetest::FakeRunner> runner = std::make_shared<enginetest::FakeRunner>();
    std::unique_ptr<CEngine> engine;
};

TEST_F(AlertingEngineTest, MailPerFailureAndRecoveryThroughTheLoopbackServer) {
    testsupport::LoopbackSmtpSink sink;
    CSnSmtpSettings smtp;
    smtp.Server1 = "127.0.0.1";
    smtp.Port1 = sink.Port();
    smtp.SenderAddress1 = "sentrelle@example.test";
    ASSERT_EQ(smtp.Write(inst.store), 0);
    CSnMessageTemplate mail;
    ASSERT_EQ(mail.Read(inst.store, 1), 0);
    mail.Body = "<% Name %> on <% Host %> (<% Type %>) in <% Folder %>: <% Status %> at <% Time %>||<% Response %>";
    ASSERT_EQ(mail.Write(inst.store), 0);
    CSnDistributionGroups groups(1);
    CSnDistributionGroup* ops = nullptr;
    ASSERT_EQ(groups.Create(inst.store, "Ops", ops), 0);
    ops->SetMembers("ops@example.test;oncall@example.test");
    ASSERT_EQ(groups.Save(inst.store, *ops), 0);

    const CQvcString recipients = "~" + std::to_string(ops->Id()) + ";OPS@example.test";
    const auto alerting = [&](const char* host) {
        return [&recipients, host](CSnNodeCfg& c) {
            c.Function.ParamServer = host;
            for (int entry : {0, 1}) {
                c.Action.Notify[entry].Enabled = 1;
                c.Action.Notify[entry].Recipients = recipients;
            }
        };
    };
    CSnNode* servers = inst.AddFolder("Servers");
    const std::int32_t web = inst.AddCheck("Web", 30, alerting("web1"), inst.AddFolder("Front", servers))->Id();
    const std::int32_t db = inst.AddCheck("Db", 30, alerting("db1"), servers)->Id();
    inst.WriteTree();
    StartEngine();
    Advance(0);

    // Both fail in the same pass: one mail for the recipient set carries both.
    runner->Set(web, Outcome(Kind::Error, "Connection refused"));
    runner->Set(db, Outcome(Kind::Error, "Timed out"));
    Advance(60);
    ASSERT_TRUE(sink.WaitForMessages(1, 10s));
    const std::string type = CheckTypeName(30);
    EXPECT_EQ(Mail(sink.Messages().at(0)),
              "ops@example.test,oncall@example.test | Sentrelle: Web - Failure (and 1 more) | "
              "Web on web1 (" + type + ") in Servers\\Front: Failure at 2024-03-05 10:01:00\r\nConnection refused\r\n\r\n"
              "Db on db1 (" + type + ") in Servers: Failure at 2024-03-05 10:01:00\r\nTimed out");

    // Web recovers; Db stays failed and is not announced again.
    runner->Set(web, Outcome(Kind::Success, "Connected"));
    Advance(60);
    ASSERT_TRUE(sink.WaitForMessages(2, 10s));
    EXPECT_EQ(Mail(sink.Messages().at(1)),
              "ops@example.test,oncall@example.test | Sentrelle: Web - Success | "
              "Web on web1 (" + type + ") in Servers\\Front: Success at 2024-03-05 10:02:00\r\nConnected");
    engine->Tick();
    const std::string said = "E-mail: failure of 'Web' (ID " + std::to_string(web) +
                             ") and 1 more: sent to ops@example.test,oncall@example.test through 127.0.0.1:" +
                             std::to_string(sink.Port());
    const auto& lines = engine->Activity().Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.ends_with(said); }));

    // A restart finds Db failed: no second announcement.
    engine->Stop();
    StartEngine();
    Advance(60);
    engine->Stop();
    EXPECT_EQ(sink.Messages().size(), 2u);
}

TEST(AlertChannels, TrapCarriesTheEventUnderTheConfiguredOid) {
    int port = 0;
    const int fd = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port);
    AlertSettings settings;
    settings.Traps.Agent = "127.0.0.1";
    settings.Traps.Port = port;
    settings.Traps.Community = "monitoring";
    settings.Traps.Oid = "1.3.6.1.4.1.99";
    settings.Traps.ProtocolVersion = 2;
    settings.Traps.LogFile = "";
    AlertDeliveryRequest request;
    request.ActionKind = 6;
    request.Body = "Web: Failure";
    request.Event = {7, 30, "Web", "web1", "TCP", "Servers", 3, "Failure", "12 ms", "refused", 0,
                     AlertDirection::Failure};
    RunContext context;
    context.Timeout = 5s;
    const DeliveryOutcome outcome = DefaultAlertChannels().at(6)(request, settings, context);
    EXPECT_TRUE(outcome.Ok) << outcome.Text;

    pollfd readable{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&readable, 1, 5000), 1);
    char buffer[2048];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    ::close(fd);
    ASSERT_GT(got, 0);
    const bertest::Tlv message = bertest::DecodeAll(std::string(buffer, static_cast<std::size_t>(got)));
    // Version 2c, the community, then the bindings after sysUpTime: the trap OID, the
    // message, and the event's fields.
    ASSERT_EQ(message.Parts.size(), 3u);
    EXPECT_EQ(bertest::Render(message.Parts[0]) + " " + bertest::Render(message.Parts[1]), "02:1 'monitoring'");
    std::string bindings;
    const auto& all = message.Parts[2].Parts.at(3).Parts;
    for (std::size_t i = 1; i < all.size(); ++i)
        bindings += bertest::Render(all[i]) + "\n";
    EXPECT_EQ(bindings, "30{1.3.6.1.6.3.1.1.4.1.0 1.3.6.1.4.1.99}\n"
                        "30{1.3.6.1.4.1.99 'Web: Failure'}\n"
                        "30{1.3.6.1.4.1.99.1 'Web'}\n30{1.3.6.1.4.1.99.2 'web1'}\n30{1.3.6.1.4.1.99.3 'TCP'}\n"
                        "30{1.3.6.1.4.1.99.4 'Failure'}\n30{1.3.6.1.4.1.99.5 '12 ms'}\n"
                        "30{1.3.6.1.4.1.99.6 'refused'}\n30{1.3.6.1.4.1.99.7 '" +
                            AlertFields(request.Event).at("Time") +
                            "'}\n30{1.3.6.1.4.1.99.8 'Servers'}\n30{1.3.6.1.4.1.99.9 '7'}\n"
                            "30{1.3.6.1.4.1.99.10 'Failure'}\n");
}

TEST(AlertQueue, BatchesRetriesAndRefusesBeyondItsBound) {
    std::atomic<int> flaky{0};
    AlertChannelTable channels;
    channels[1] = [](const AlertDeliveryRequest& r, const AlertSettings&, const RunContext&) {
        return DeliveryOutcome{true, false, "mailed '" + r.Subject + "'"};
    };
    channels[6] = [&flaky](const AlertDeliveryRequest&, const AlertSettings&, const RunContext&) {
        return ++flaky < 3 ? DeliveryOutcome{false, true, "timed out"} : DeliveryOutcome{true, false, "sent"};
    };
    channels[8] = [](const AlertDeliveryRequest&, const AlertSettings&, const RunContext&) {
        return DeliveryOutcome{false, true, "still down"};
    };
    AlertQueueOptions options;
    options.Workers = 2;
    options.BatchWindow = 200ms;
    options.RetryDelay = 10ms;
    options.Capacity = 6;
    CAlertQueue queue(channels, options);
    const auto request = [](int kind, const char* recipient, const char* subject) {
        AlertDeliveryRequest r;
        r.ActionKind = kind;
        r.Recipient = recipient;
        r.Subject = subject;
        return r;
    };
    const std::vector<AlertDeliveryRequest> burst = {
        request(1, "a", "one"), request(1, "a", "two"), request(1, "b", "three"), request(6, "", "trap"),
        request(8, "svc", "restart"), request(3, "+1555", "sms"), request(1, "a", "over the bound")};
    std::vector<bool> taken;
    for (const AlertDeliveryRequest& r : burst)
        taken.push_back(queue.Submit(r));
    EXPECT_EQ(taken, (std::vector<bool>{true, true, true, true, true, true, false}));
    ASSERT_TRUE(queue.WaitIdle(5s));
    std::vector<std::string> reports;
    for (const AlertReport& report : queue.TakeReports())
        reports.push_back(std::to_string(report.Request.ActionKind) + " " + report.Request.Recipient + " x" +
                          std::to_string(report.Alerts) + " after " + std::to_string(report.Attempts) + ": " +
                          report.Outcome.Text);
    std::sort(reports.begin(), reports.end());
    EXPECT_EQ(reports, (std::vector<std::string>{"1 a x2 after 1: mailed 'one (and 1 more)'",
                                                 "1 b x1 after 1: mailed 'three'",
                                                 "3 +1555 x1 after 1: not available on this platform",
                                                 "6  x1 after 3: sent", "8 svc x1 after 3: still down"}));
}

} // namespace
