// SMS, pager, syslog, program, restart and reboot deliveries against loopback peers and
// scripts in a temporary directory; nothing here leaves this machine or restarts anything.
#include "engine/alerting/PlatformChannels.h"
#include "engine/CheckRunner.h"
#include "engine/NotificationSender.h"
#include "model/notify/SnPagerNotificationRequest.h"
#include "model/notify/SnSmsNotificationRequest.h"
#include "platform/Process.h"

#include "LoopbackHttpServer.h"
#include "LoopbackTcpPeer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <ostream>

static bool operator==(const DeliveryOutcome& a, const DeliveryOutcome& b) {
    return a.Ok == b.Ok && a.Retry == b.Retry && a.Text == b.Text;
}
static void PrintTo(const DeliveryOutcome& o, std::ostream* out) {
    *out << o.Ok << "/" << o.Retry << " '" << o.Text << "'";
}

namespace {

using testsupport::ReadFile;

const RunContext kContext{{}, std::chrono::seconds(10), nullptr};

AlertDeliveryRequest Request(int kind, std::string recipient, std::string body = "",
                             std::string computer = "") {
    AlertDeliveryRequest request{{}, kind, std::move(recipient), std::move(computer), "", std::move(body)};
    request.Event.CheckId = 42;
    request.Event.Name = "Web \"front\"";
    request.Event.StatusName = "Failure";
    request.Event.Response = "refused";
    return request;
}

void WriteScript(const std::string& path, const std::string& body) {
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

// A loopback SNPP server: greets, answers PAGE with `pageReply` (nothing when empty),
// QUIT with 221 and everything else with 250, and records the commands, each followed by
// "|".  The client waits for each reply, so every read holds one command.
struct SnppServer {
    explicit SnppServer(std::string pageReply)
        : peer([this, reply = std::move(pageReply)](int fd, const std::atomic<bool>&) {
              const auto say = [fd](const std::string& t) {
                  (void)::send(fd, t.data(), t.size(), MSG_NOSIGNAL);
              };
              say("220 SNPP Gateway Ready\r\n");
              char chunk[256];
              for (ssize_t got; (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0;) {
                  const std::string command =
                      std::string(chunk, static_cast<std::size_t>(got)).substr(0, got - 2);
                  commands += command + "|";
                  if (command.rfind("PAGE", 0) != 0)
                      say(command == "QUIT" ? "221 Bye\r\n" : "250 OK\r\n");
                  else if (!reply.empty())
                      say(reply + "\r\n");
              }
          }) {}
    std::string commands;
    testsupport::LoopbackTcpPeer peer;
};

} // namespace

TEST(AlertCommandLine, SplitsLikeACommandLine) {
    using Args = std::vector<std::string>;
    const std::vector<std::pair<std::string, std::optional<Args>>> cases = {
        {"", Args{}},
        {"  prog   a\tb  ", Args{"prog", "a", "b"}},
        {R"("/opt/my tools/run" "two words" x)", Args{"/opt/my tools/run", "two words", "x"}},
        {R"(a"b c"d "" e)", Args{"ab cd", "", "e"}},
        {R"(say \"hi\" "in \"quotes\"")", Args{"say", "\"hi\"", "in \"quotes\""}},
        {R"(C:\dir\file \\server)", Args{"C:\\dir\\file", "\\server"}},
        {R"(open "unclosed)", std::nullopt},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

TEST(AlertSyslog, RecordFormat) {
    testsupport::ScopedTimeZone utc;
    // 1700000000 is 2023-11-14 22:13:20 UTC; 1699000000 is 2023-11-03 08:26:40 UTC.
    EXPECT_EQ(SyslogRecord(16, 3, 1700000000, "box", "Web: Failure"),
              "<131>Nov 14 22:13:20 box sentrelle: Web: Failure");
    EXPECT_EQ(SyslogRecord(99, -1, 1699000000, "", "a\r\nb"), "<184>Nov  3 08:26:40 - sentrelle: a  b");
    EXPECT_EQ(SyslogRecord(1, 9, 1699000000, "h", std::string(2000, 'x')).size(), 1024u);
}

TEST(AlertSms, SentThroughTheLoopbackProvider) {
    testsupport::LoopbackHttpServer provider;
    const auto path = [](const std::string& to) {
        return "/send?to=" + to + "&m=Web%3A%20down&f=Ops%20Desk&p=p%26s";
    };
    provider.SetPage(path("%2B1%202"), "<result>ACCEPTED</result>");
    provider.SetPage(path("999"), "<result>REJECTED</result>");
    provider.SetPage(path("500"), "busy", 503);
    AlertSettings settings;
    settings.Sms.Protocol = 1;
    settings.Sms.HttpProviderUrl = CQvcString(provider.BaseUrl() + "send?to=<% Number %>&m=<%message%>&f=<% "
                                                                   "Sender %>&p=<% Password %>");
    settings.Sms.HttpSender = "Ops Desk";
    settings.Sms.HttpWebPassword = CQvcString::Scramble("p&s");
    // clang-format off
    const std::vector<std::tuple<std::string, const char*, DeliveryOutcome>> cases = {
        {"+1 2", "ACCEPTED", {true, false, "SMS sent to +1 2"}},
        {"+1 2", "", {true, false, "SMS sent to +1 2"}},
        {"999", "ACCEPTED", {false, false, "The SMS provider did not accept the message to 999 (HTTP 200: <result>REJECTED</result>)"}},
        {"500", "", {false, true, "The SMS provider did not accept the message to 500 (HTTP 503: busy)"}},
    };
    // clang-format on
    for (const auto& [number, success, expected] : cases) {
        settings.Sms.HttpSuccessResponse = success;
        EXPECT_EQ(SendSms(Request(3, number, "Web:\r\ndown"), settings, kContext), expected);
    }
}

TEST(AlertPager, SnppDialogue) {
    // clang-format off
    const std::vector<std::tuple<std::string, bool, bool, std::string, std::string>> cases = {
        {"250 Pager ID Accepted", true, false, "Page sent to 555", "PAGE 555 pin|MESS Web down|SEND|QUIT|"},
        {"550 Invalid Pager ID", false, false, "failed at PAGE: '550 Invalid Pager ID'", "PAGE 555 pin|"},
        {"421 Too busy", false, true, "failed at PAGE: '421 Too busy'", "PAGE 555 pin|"},
        {"", false, true, "failed at PAGE: the pager server did not answer in time", "PAGE 555 pin|"},
    };
    // clang-format on
    for (const auto& [reply, ok, retry, text, commands] : cases) {
        SnppServer server(reply);
        AlertSettings settings;
        settings.Pager.SnppServer = CQvcString("127.0.0.1:" + std::to_string(server.peer.Port()));
        settings.Pager.SnppPassword = CQvcString::Scramble("pin");
        settings.Pager.SnppTimeOut = 1;
        const auto start = std::chrono::steady_clock::now();
        const DeliveryOutcome outcome = SendPage(Request(4, "555", "Web\r\ndown"), settings, kContext);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        server.peer.Close();
        EXPECT_EQ(std::make_pair(outcome.Ok, outcome.Retry), std::make_pair(ok, retry)) << outcome.Text;
        EXPECT_NE(outcome.Text.find(text), std::string::npos) << outcome.Text;
        EXPECT_EQ(server.commands, commands) << reply;
    }
}

// Test requests from the Manager reach the same SMS and pager deliveries; the response
// carries the code, the description and the words (or refusing reply) the dialog shows.
TEST(NotificationTestRequests, SmsAndPagerAnswers) {
    testsupport::LoopbackHttpServer provider;
    provider.SetPage("/sms?to=555&m=Hello%20there", "OK queued");
    SnppServer accepting("250 Pager ID Accepted");
    SnppServer refusing("550 Invalid Pager ID");
    const auto sms = [&](std::string recipients, int protocol) {
        auto request = std::make_unique<CSnSmsNotificationRequest>();
        request->RecipientAddressList = CQvcString(recipients);
        request->Message = "Hello||there";
        request->SmsProtocol = protocol;
        request->HttpProviderUrl = CQvcString(provider.BaseUrl() + "sms?to=<% Number %>&m=<% Message %>");
        request->HttpProviderSuccessResponse = "OK";
        return std::unique_ptr<CSnNotificationRequest>(std::move(request));
    };
    const auto page = [](const SnppServer& server, int protocol) {
        auto request = std::make_unique<CSnPagerNotificationRequest>();
        request->RecipientAddressList = "555";
        request->Message = "Hello";
        request->PagerProtocol = protocol;
        request->SnppServer = "127.0.0.1";
        request->SnppPort = server.peer.Port();
        request->SnppTimeOut = 2;
        return std::unique_ptr<CSnNotificationRequest>(std::move(request));
    };
    const std::string where = "127.0.0.1:" + std::to_string(accepting.peer.Port());
    const std::vector<std::pair<std::unique_ptr<CSnNotificationRequest>, std::string>> cases = [&] {
        std::vector<std::pair<std::unique_ptr<CSnNotificationRequest>, std::string>> v;
        v.emplace_back(sms("555", 1), "0  | SMS sent to 555");
        v.emplace_back(sms("555; 777", 1),
                       "33202 SMS over HTTP: the provider rejected the request: The SMS provider did not accept the "
                       "message to 777 (HTTP 404: <html><body>Not Found</body></html>) | ");
        v.emplace_back(sms("555", 0),
                       "1002 Function not supported: SMS through a GSM device is not available on this platform | ");
        v.emplace_back(page(accepting, 0), "0  | Page sent to 555 through " + where + " (250 OK)");
        v.emplace_back(page(refusing, 0), "33401 SNPP: invalid pager ID: Page to 555 through 127.0.0.1:" +
                                              std::to_string(refusing.peer.Port()) +
                                              " failed at PAGE: '550 Invalid Pager ID' | 550 Invalid Pager ID");
        v.emplace_back(page(accepting, 1), "1002 Function not supported: Pages through a modem (DTMF) are not "
                                           "available on this platform | ");
        return v;
    }();
    for (const auto& [request, expected] : cases) {
        const CSnNotificationResponse response = SendNotificationTest(*request, kContext);
        const std::string said = std::to_string(response.ErrorCode) + " " + response.ErrorDescription.Str() + " | " +
                           response.ErrorDescriptionEx.Str();
        EXPECT_EQ(said, expected);
    }
}

TEST(AlertSyslog, TcpRecordsAreFramedByTheirLength) {
    std::string stream;
    testsupport::LoopbackTcpPeer tcp([&](int fd, const std::atomic<bool>&) {
        char chunk[2048];
        for (ssize_t got; (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0;)
            stream.append(chunk, static_cast<std::size_t>(got));
    });
    CSnLogSettings log;
    log.SyslogServer = CQvcString("127.0.0.1:" + std::to_string(tcp.Port()));
    log.SyslogTcp = true;
    AlertEvent event = Request(0, "").Event;
    EXPECT_EQ(SendSyslog(log, event, kContext), (DeliveryOutcome{true, false, ""})); // off: nothing sent
    log.SyslogEnabled = true;
    event.Direction = AlertDirection::Recovery;
    EXPECT_TRUE(SendSyslog(log, event, kContext).Ok);
    EXPECT_TRUE(testsupport::Eventually([&] { return tcp.Accepted() == 1; }));
    tcp.Close();
    // The record's length, then the record: local0 at the recovery priority (notice), not
    // the failure sent while syslog was off.
    EXPECT_TRUE(stream.starts_with(std::to_string(stream.size() - stream.find(' ') - 1) + " <133>"))
        << stream;
}

TEST(AlertRunAction, RunsWithoutAShellWithinItsTimeLimit) {
    testsupport::TempDir dir;
    const std::string program = dir.File("my tool.sh");
    WriteScript(program,
                "printf '%s\\n' \"$@\" \"$SENTRELLE_CHECK_NAME/$SENTRELLE_CHECK_ID/$SENTRELLE_CHECK_STATUS\" "
                "> \"$0.out\"\n"
                "echo \"first line\"; echo second; exit ${EXIT_WITH:-0}\n");
    const std::string line = "\"" + program + "\" \"a b\" 'c' \"<% Name %>\" $HOME;x";
    EXPECT_EQ(RunProgramAction(Request(7, line), {}, kContext),
              (DeliveryOutcome{true, false, "'" + program + "' exited with code 0: first line"}));
    EXPECT_EQ(ReadFile(program + ".out"), "a b\n'c'\nWeb \"front\"\n$HOME;x\nWeb \"front\"/42/Failure\n");

    testsupport::ScopedEnv exitWith("EXIT_WITH", "3");
    EXPECT_EQ(RunProgramAction(Request(7, "\"" + program + "\""), {}, kContext),
              (DeliveryOutcome{false, false, "'" + program + "' exited with code 3: first line"}));
    EXPECT_EQ(
        RunProgramAction(Request(7, "no-such-program-here x"), {}, kContext).Text,
        "Cannot run no-such-program-here: 'no-such-program-here' is not an executable program on the PATH");
    EXPECT_EQ(RunProgramAction(Request(7, "\"open"), {}, kContext).Text,
              "The command line has an unclosed quote: \"open");

    // At the time limit the whole process group goes, the program's own children too.
    WriteScript(dir.File("hang"), "sleep 30 & echo $! > \"$0.pid\"; wait\n");
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run =
        RunProgram({dir.File("hang")}, {}, RunContext{{}, std::chrono::milliseconds(500), nullptr});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(run.TimedOut && !run.Exited);
    const std::string child = ReadFile(dir.File("hang.pid"));
    ASSERT_FALSE(child.empty());
    // The background sleep went with its group (it may linger a moment as a zombie).
    EXPECT_TRUE(testsupport::Eventually([&] {
        const std::string state = ReadFile("/proc/" + child.substr(0, child.find('\n')) + "/stat");
        return state.empty() || state.find(") Z") != std::string::npos;
    }));
}

TEST(AlertServiceActions, RestartAndRebootThroughSystemctl) {
    testsupport::TempDir dir;
    WriteScript(dir.File("systemctl"),
                "echo \"$*\" >> \"$(dirname \"$0\")/calls\"\n"
                "[ \"$3\" = missing.service ] && { echo 'Unit missing.service not found.'; exit 5; }\n"
                "exit 0\n");
    testsupport::ScopedEnv path("PATH", dir.Path() + ":" + std::getenv("PATH"));
    ASSERT_EQ(platform::FindExecutable("systemctl"), dir.File("systemctl")); // never the real one
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string here = std::string("\\\\") + host;
    // clang-format off
    const std::vector<std::tuple<int, std::string, std::string, bool, DeliveryOutcome, std::string>> cases = {
        {8, "nginx.service, cron;ssh", "", false, {true, false, "Restarted nginx.service; Restarted cron; Restarted ssh"},
            "restart -- nginx.service\nrestart -- cron\nrestart -- ssh\n"},
        {8, "missing.service db", here, false, {false, false, "Could not restart missing.service: systemctl exited "
            "with code 5: Unit missing.service not found.; Restarted db"}, "restart -- missing.service\nrestart -- db\n"},
        {8, "db", "\\\\other-box", false, {false, false, "Restarting services on another computer (other-box) is not supported"}, ""},
        {9, "", "localhost", false, {false, false, "Reboot refused: the engine's configuration does not allow it (start the "
            "engine with --allow-reboot)"}, ""},
        {9, "", "127.0.0.1", true, {true, false, "Reboot of this computer requested"}, "reboot\n"},
        {9, "", "other-box", true, {false, false, "Rebooting another computer (other-box) is not supported"}, ""},
    };
    // clang-format on
    AlertChannelTable table;
    AddPlatformChannels(table);
    for (const auto& [kind, services, computer, allowReboot, expected, calls] : cases) {
        std::filesystem::remove(dir.File("calls"));
        AlertSettings settings;
        settings.AllowReboot = allowReboot;
        EXPECT_EQ(table.at(kind)(Request(kind, services, "", computer), settings, kContext), expected);
        EXPECT_EQ(ReadFile(dir.File("calls")), calls) << services << " " << computer;
    }
}
