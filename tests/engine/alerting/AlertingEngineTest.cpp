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
#include "engine/BerReader.h"
#include "LoopbackSmtpSink.h"
#include "LoopbackSockets.h"

#include <gtest/gtest.h>

#include <tuple>
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
    return recipients + " | " + message.Data.substr(subject, message.Data.find("\r\n", subject) - subject) +
           " | " + message.Data.substr(body, message.Data.size() - 2 - body);
}

TEST(AlertingEngine, MailPerFailureAndRecoveryThroughTheLoopbackServer) {
    testsupport::ScopedTimeZone utc{"UTC"};
    enginetest::Installation inst;
    enginetest::FakeClock clock;
    auto runner = std::make_shared<enginetest::FakeRunner>();
    testsupport::LoopbackSmtpSink sink;
    CSnSmtpSettings smtp;
    smtp.Server1 = "127.0.0.1";
    smtp.Port1 = sink.Port();
    smtp.SenderAddress1 = "sentrelle@example.test";
    CSnMessageTemplate mail;
    ASSERT_EQ(smtp.Write(inst.store) + mail.Read(inst.store, 1), 0);
    mail.Body = "<% Name %> on <% Host %> in <% Folder %>: <% Status %> at <% Time %>||<% Response %>";
    CSnDistributionGroups groups(1);
    CSnDistributionGroup* ops = nullptr;
    ASSERT_EQ(mail.Write(inst.store) + groups.Create(inst.store, "Ops", ops), 0);
    ops->SetMembers("ops@example.test;oncall@example.test");
    ASSERT_EQ(groups.Save(inst.store, *ops), 0);
    const auto alerting = [group = "~" + std::to_string(ops->Id())](const char* host) {
        return [group, host](CSnNodeCfg& c) {
            c.Function.ParamServer = host;
            c.Action.Notify.Edit(0).Enabled = c.Action.Notify.Edit(1).Enabled = 1;
            c.Action.Notify.Edit(0).Recipients = c.Action.Notify.Edit(1).Recipients = group.c_str();
        };
    };
    CSnNode* servers = inst.AddFolder("Servers");
    const std::int32_t web =
        inst.AddCheck("Web", 30, alerting("web1"), inst.AddFolder("Front", servers))->Id();
    const std::int32_t db = inst.AddCheck("Db", 30, alerting("db1"), servers)->Id();
    inst.WriteTree();
    std::unique_ptr<CEngine> engine;
    const auto start = [&] {
        EngineOptions options;
        options.Root = CQvcString(inst.Root());
        options.Clock = &clock;
        options.FlushPeriod = 0ms;
        options.Alerts.BatchWindow = 300ms;
        EngineServices services{enginetest::FakeRunner::Function(runner), {}, {}, DefaultAlertChannels()};
        engine = std::make_unique<CEngine>(options, services);
        CQvcString message;
        EXPECT_EQ(engine->Start(message), 0) << message.Str();
    };
    const auto advance = [&](std::int64_t seconds) {
        clock.AdvanceSeconds(seconds);
        engine->Tick();
        EXPECT_TRUE(engine->WaitIdle(10000));
        engine->Tick();
    };
    start();
    advance(0);

    // Both fail in the same pass: one mail for the recipient set carries both.
    runner->Set(web, Outcome(Kind::Error, "Connection refused"));
    runner->Set(db, Outcome(Kind::Error, "Timed out"));
    advance(60);
    ASSERT_TRUE(sink.WaitForMessages(1, 10s));
    // The two results reach alerting in the order their runs end: the first names the mail.
    const std::string webPart =
        "Web on web1 in Servers\\Front: Failure at 2024-03-05 10:01:00\r\nConnection refused";
    const std::string dbPart = "Db on db1 in Servers: Failure at 2024-03-05 10:01:00\r\nTimed out";
    const std::string batched = Mail(sink.Messages().at(0));
    const bool webFirst = batched.find("Sentrelle: Web") != std::string::npos;
    EXPECT_EQ(batched, "ops@example.test,oncall@example.test | Sentrelle: " +
                           std::string(webFirst ? "Web" : "Db") + " - Failure (and 1 more) | " +
                           (webFirst ? webPart + "\r\n\r\n" + dbPart : dbPart + "\r\n\r\n" + webPart));
    // Web recovers; Db stays failed and is not announced again.
    runner->Set(web, Outcome(Kind::Success, "Connected"));
    advance(60);
    ASSERT_TRUE(sink.WaitForMessages(2, 10s));
    EXPECT_EQ(Mail(sink.Messages().at(1)),
              "ops@example.test,oncall@example.test | Sentrelle: Web - Success | "
              "Web on web1 in Servers\\Front: Success at 2024-03-05 10:02:00\r\nConnected");
    engine->Tick();
    const std::string said =
        "E-mail: failure of " +
        (webFirst ? "'Web' (ID " + std::to_string(web) : "'Db' (ID " + std::to_string(db)) +
        ") and 1 more: sent to ops@example.test,oncall@example.test through 127.0.0.1:" +
        std::to_string(sink.Port());
    const auto& lines = engine->Activity().Lines();
    EXPECT_TRUE(
        std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.ends_with(said); }));
    // A restart finds Db failed: no second announcement.
    engine->Stop();
    start();
    advance(60);
    engine->Stop();
    EXPECT_EQ(sink.Messages().size(), 2u);
}

TEST(AlertChannels, TrapCarriesTheEventUnderTheConfiguredOid) {
    int port = 0;
    const int fd = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port);
    AlertSettings settings;
    settings.Traps.Agent = "127.0.0.1";
    settings.Traps.Port = port;
    settings.Traps.Oid = "1.9";
    settings.Traps.ProtocolVersion = 2;
    AlertDeliveryRequest request;
    request.Body = "Web: Failure";
    request.Event = {7, 30, "Web", "web1", "TCP", "Servers", 3, "Failure", "12 ms", "refused", 0};
    RunContext context;
    const DeliveryOutcome outcome = DefaultAlertChannels().at(6)(request, settings, context);
    EXPECT_TRUE(outcome.Ok) << outcome.Text;
    const std::string datagram = testsupport::ReceiveDatagram(fd);
    ::close(fd);
    ASSERT_FALSE(datagram.empty());
    // Version 2c and the community; the bindings after sysUpTime: the trap OID, the
    // message, and the event's fields.
    const ber::Tlv message = ber::Decode(datagram).value();
    std::string said = ber::Render(message.Parts.at(0)) + " " + ber::Render(message.Parts.at(1));
    const auto& bindings = message.Parts.at(2).Parts.at(3).Parts;
    for (std::size_t i = 1; i < bindings.size(); ++i)
        said += " " + ber::Render(bindings[i]);
    EXPECT_EQ(said,
              "02:1 'public' 30{1.3.6.1.6.3.1.1.4.1.0 1.9} 30{1.9 'Web: Failure'} 30{1.9.1 'Web'} "
              "30{1.9.2 'web1'} 30{1.9.3 'TCP'} 30{1.9.4 'Failure'} 30{1.9.5 '12 ms'} 30{1.9.6 'refused'} "
              "30{1.9.7 '" +
                  AlertFields(request.Event).at("Time") +
                  "'} 30{1.9.8 'Servers'} 30{1.9.9 '7'} 30{1.9.10 'Failure'}");
}

TEST(AlertQueue, BatchesRetriesAndRefusesBeyondItsBound) {
    std::atomic<int> tries{0};
    const auto answer = [](bool ok, bool retry, std::string text) {
        return [=](const AlertDeliveryRequest& r, const AlertSettings&, const RunContext&) {
            return DeliveryOutcome{ok, retry, text + r.Subject};
        };
    };
    AlertChannelTable channels{{1, answer(true, false, "mailed ")}, {8, answer(false, true, "still down ")}};
    channels[6] = [&tries](const AlertDeliveryRequest&, const AlertSettings&, const RunContext&) {
        return DeliveryOutcome{++tries == 3, tries < 3, "try " + std::to_string(tries.load())};
    };
    AlertQueueOptions options;
    // Mails wait out their batch window in the queue, so they fill it deterministically;
    // other kinds go to a worker at once and are sent first, on their own.
    options.BatchWindow = 500ms;
    options.RetryDelay = 10ms;
    options.Capacity = 4;
    CAlertQueue queue(channels, options);
    const auto submit = [&queue](int kind, const char* to, const char* subject) {
        AlertDeliveryRequest r;
        std::tie(r.ActionKind, r.Recipient, r.Subject) = std::tuple(kind, to, subject);
        return queue.Submit(r);
    };
    EXPECT_TRUE(submit(6, "", "") && submit(8, "svc", "") && submit(3, "+1", ""));
    ASSERT_TRUE(queue.WaitIdle(5s));
    std::vector<bool> taken;
    for (const auto& [to, subject] : std::vector<std::pair<const char*, const char*>>{
             {"a", "one"}, {"a", "two"}, {"b", "three"}, {"c", "four"}, {"a", "beyond the bound"}})
        taken.push_back(submit(1, to, subject));
    EXPECT_EQ(taken, (std::vector<bool>{true, true, true, true, false}));
    ASSERT_TRUE(queue.WaitIdle(5s));
    std::vector<std::string> reports;
    for (const AlertReport& r : queue.TakeReports())
        reports.push_back(std::to_string(r.Request.ActionKind) + " " + r.Request.Recipient + " x" +
                          std::to_string(r.Alerts) + " #" + std::to_string(r.Attempts) + ": " +
                          r.Outcome.Text);
    std::sort(reports.begin(), reports.end());
    EXPECT_EQ(reports, (std::vector<std::string>{"1 a x2 #1: mailed one (and 1 more)",
                                                 "1 b x1 #1: mailed three", "1 c x1 #1: mailed four",
                                                 "3 +1 x1 #1: not available on this platform",
                                                 "6  x1 #3: try 3", "8 svc x1 #3: still down "}));
}

} // namespace
