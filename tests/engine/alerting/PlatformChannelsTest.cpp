// SMS, pager, syslog, program, restart and reboot deliveries against loopback peers and
// scripts in a temporary directory; nothing here leaves this machine or restarts anything.
#include "engine/alerting/PlatformChannels.h"
#include "engine/CheckRunner.h"
#include "platform/Process.h"

#include "LoopbackHttpServer.h"
#include "LoopbackTcpPeer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>
#include <tuple>

using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

AlertEvent Event() {
    AlertEvent event;
    event.CheckId = 42;
    event.Name = "Web \"front\"";
    event.Host = "127.0.0.1";
    event.StatusName = "Failure";
    event.Response = "refused";
    event.Time = 1700000000;
    return event;
}

RunContext Context(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    RunContext context;
    context.Timeout = timeout;
    return context;
}

AlertDeliveryRequest Request(int kind, std::string recipient, std::string body = "", std::string computer = "") {
    AlertDeliveryRequest request;
    request.Event = Event();
    request.ActionKind = kind;
    request.Recipient = std::move(recipient);
    request.Body = std::move(body);
    request.Computer = std::move(computer);
    return request;
}

void WriteScript(const std::string& path, const std::string& body) {
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

std::tuple<bool, bool, std::string> Whole(const DeliveryOutcome& o) { return {o.Ok, o.Retry, o.Text}; }

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
    EXPECT_EQ(SyslogRecord(16, 3, 1700000000, "box", "Web: Failure"), "<131>Nov 14 22:13:20 box sentrelle: Web: Failure");
    EXPECT_EQ(SyslogRecord(99, -1, 1699000000, "", "a\r\nb"), "<184>Nov  3 08:26:40 - sentrelle: a  b");
    EXPECT_EQ(SyslogRecord(1, 9, 1699000000, "h", std::string(2000, 'x')).size(), 1024u);
}

TEST(AlertSms, ProviderUrlIsFilledAndEncoded) {
    CSnSmsSettings sms;
    sms.HttpProviderUrl = "http://h/send?to=<% number %>&text=<%Message%>&from=<% Sender %>&u=<% Account %>&p=<% Password %>&x=<% Other %>";
    sms.HttpSender = "Ops Desk";
    sms.HttpWebAccount = "me@x";
    sms.HttpWebPassword = CQvcString::Scramble("p&ss");
    EXPECT_EQ(SmsProviderUrl(sms, "+49 151", "Web: Failure ~ 100%"),
              "http://h/send?to=%2B49%20151&text=Web%3A%20Failure%20~%20100%25&from=Ops%20Desk&u=me%40x&p=p%26ss&x=<% Other %>");
}

TEST(AlertSms, SentThroughTheLoopbackProvider) {
    testsupport::LoopbackHttpServer provider;
    provider.SetPage("/send?to=123&m=down", "<result>ACCEPTED</result>");
    provider.SetPage("/send?to=999&m=down", "<result>REJECTED</result>");
    provider.SetPage("/send?to=500&m=down", "busy", 503);
    AlertSettings settings;
    settings.Sms.Protocol = 1;
    settings.Sms.HttpProviderUrl = CQvcString(provider.BaseUrl() + "send?to=<% Number %>&m=<% Message %>");
    const auto send = [&](const std::string& number, const char* success) {
        settings.Sms.HttpSuccessResponse = success;
        return Whole(SendSms(Request(3, number, "down"), settings, Context()));
    };
    EXPECT_EQ(send("123", "ACCEPTED"), std::make_tuple(true, false, std::string("SMS sent to 123")));
    EXPECT_EQ(send("123", ""), std::make_tuple(true, false, std::string("SMS sent to 123")));
    EXPECT_EQ(send("999", "ACCEPTED"),
              std::make_tuple(false, false, std::string("The SMS provider did not accept the message to 999 "
                                                        "(HTTP 200: <result>REJECTED</result>)")));
    EXPECT_EQ(send("500", ""), std::make_tuple(false, true, std::string("The SMS provider did not accept the "
                                                                        "message to 500 (HTTP 503: busy)")));
    EXPECT_EQ(provider.Requests().size(), 4u);

    settings.Sms.Protocol = 0;
    EXPECT_EQ(send("123", ""), std::make_tuple(false, false, std::string("SMS through a GSM device is not "
                                                                         "available on this platform")));
}

TEST(AlertPager, SnppDialogue) {
    struct Case {
        std::string pageReply;
        bool ok, retry;
        std::vector<std::string> commands;
    };
    const std::vector<Case> cases = {
        {"250 Pager ID Accepted", true, false, {"PAGE 555 pin", "MESS Web down", "SEND", "QUIT"}},
        {"550 Error, Invalid Pager ID", false, false, {"PAGE 555 pin"}},
        {"421 Too busy", false, true, {"PAGE 555 pin"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> commands;
        testsupport::LoopbackTcpPeer server([&](int fd, const std::atomic<bool>&) {
            const auto say = [fd](const std::string& text) { (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL); };
            say("220 SNPP Gateway Ready\r\n");
            std::string buffer;
            char chunk[256];
            for (ssize_t got; (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0;) {
                buffer.append(chunk, static_cast<std::size_t>(got));
                for (std::size_t end; (end = buffer.find("\r\n")) != std::string::npos; buffer.erase(0, end + 2)) {
                    const std::string command = buffer.substr(0, end);
                    commands.push_back(command);
                    say(command.rfind("PAGE", 0) == 0 ? c.pageReply + "\r\n"
                        : command == "QUIT"           ? "221 OOP\r\n"
                                                      : "250 OK\r\n");
                }
            }
        });
        AlertSettings settings;
        settings.Pager.SnppServer = "127.0.0.1";
        settings.Pager.SnppPort = server.Port();
        settings.Pager.SnppPassword = CQvcString::Scramble("pin");
        const DeliveryOutcome outcome = SendPage(Request(4, "555", "Web\r\ndown"), settings, Context());
        server.Close();
        EXPECT_EQ(std::make_pair(outcome.Ok, outcome.Retry), std::make_pair(c.ok, c.retry)) << outcome.Text;
        EXPECT_EQ(commands, c.commands) << c.pageReply;
        if (!c.ok) {
            EXPECT_NE(outcome.Text.find("failed at PAGE: '" + c.pageReply + "'"), std::string::npos) << outcome.Text;
        }
    }
}

TEST(AlertPager, SilentServerTimesOutAndModemIsUnavailable) {
    testsupport::LoopbackTcpPeer silent([](int, const std::atomic<bool>& stop) {
        while (!stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    AlertSettings settings;
    settings.Pager.SnppServer = CQvcString("127.0.0.1:" + std::to_string(silent.Port()));
    settings.Pager.SnppTimeOut = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Whole(SendPage(Request(4, "555", "x"), settings, Context())),
              std::make_tuple(false, true, "Page to 555 through " + settings.Pager.SnppServer.Str() +
                                               " failed at the greeting: the pager server did not answer in time"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    silent.Close();
    settings.Pager.Protocol = 1;
    EXPECT_EQ(SendPage(Request(4, "555", "x"), settings, Context()).Text,
              "Pages through a modem (DTMF) are not available on this platform");
}

TEST(AlertSyslog, SentOverUdpAndTcp) {
    int udpPort = 0;
    const int udp = testsupport::OpenLoopbackSocket(SOCK_DGRAM, udpPort);
    ASSERT_GE(udp, 0);
    std::string stream;
    testsupport::LoopbackTcpPeer tcp([&](int fd, const std::atomic<bool>&) {
        char chunk[2048];
        for (ssize_t got; (got = ::recv(fd, chunk, sizeof chunk, 0)) > 0;)
            stream.append(chunk, static_cast<std::size_t>(got));
    });
    CSnLogSettings log;
    log.SyslogServer = "127.0.0.1";
    log.SyslogPort = udpPort;
    AlertEvent event = Event();
    EXPECT_EQ(Whole(SendSyslog(log, event, Context())), std::make_tuple(true, false, std::string()));  // off

    log.SyslogEnabled = true;
    event.Direction = AlertDirection::Recovery;
    EXPECT_TRUE(SendSyslog(log, event, Context()).Ok);
    char datagram[2048] = {};
    const ssize_t got = ::recv(udp, datagram, sizeof datagram, MSG_DONTWAIT);
    ::close(udp);
    const std::string record(datagram, got > 0 ? static_cast<std::size_t>(got) : 0);
    EXPECT_EQ(record.substr(0, 5), "<133>") << record;  // local0, notice
    EXPECT_TRUE(record.ends_with(" sentrelle: Web \"front\": Failure - refused")) << record;

    log.SyslogTcp = true;
    log.SyslogPort = tcp.Port();
    EXPECT_TRUE(SendSyslog(log, Event(), Context()).Ok);
    tcp.Close();
    const std::size_t blank = stream.find(' ');
    ASSERT_NE(blank, std::string::npos) << stream;
    EXPECT_EQ(std::stoul(stream.substr(0, blank)), stream.size() - blank - 1) << stream;
    EXPECT_EQ(stream.substr(blank + 1, 5), "<131>") << stream;
}

TEST(AlertRunAction, RunsWithoutAShellAndReportsHowItEnded) {
    TempDir dir;
    const std::string program = dir.File("my tool.sh");
    WriteScript(program, "printf '%s\\n' \"$@\" \"$SENTRELLE_CHECK_NAME/$SENTRELLE_CHECK_ID/$SENTRELLE_CHECK_STATUS\" > \"$0.out\"\n"
                         "echo \"first line\"; echo second; exit ${EXIT_WITH:-0}\n");
    const std::string line = "\"" + program + "\" \"a b\" 'c' \"<% Name %>\" $HOME;x";
    EXPECT_EQ(Whole(RunProgramAction(Request(7, line), {}, Context())),
              std::make_tuple(true, false, "'" + program + "' exited with code 0: first line"));
    EXPECT_EQ(ReadFile(program + ".out"), "a b\n'c'\nWeb \"front\"\n$HOME;x\nWeb \"front\"/42/Failure\n");

    testsupport::ScopedEnv exitWith("EXIT_WITH", "3");
    EXPECT_EQ(Whole(RunProgramAction(Request(7, "\"" + program + "\""), {}, Context())),
              std::make_tuple(false, false, "'" + program + "' exited with code 3: first line"));
    EXPECT_EQ(RunProgramAction(Request(7, "no-such-program-here x"), {}, Context()).Text,
              "Cannot run no-such-program-here: 'no-such-program-here' is not an executable program on the PATH");
    EXPECT_EQ(RunProgramAction(Request(7, "\"open"), {}, Context()).Text,
              "The command line has an unclosed quote: \"open");
    EXPECT_EQ(ScriptActionOutcome().Text, "Scripts of this kind are not available on this platform");
}

TEST(AlertRunAction, TimeLimitKillsTheWholeProcessGroup) {
    TempDir dir;
    WriteScript(dir.File("hang"), "sleep 30 & echo $! > \"$0.pid\"; wait\n");
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = RunProgram({dir.File("hang")}, {}, Context(std::chrono::milliseconds(500)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(run.TimedOut);
    EXPECT_FALSE(run.Exited);
    const pid_t child = std::stoi("0" + ReadFile(dir.File("hang.pid")));
    ASSERT_GT(child, 0);
    // The background sleep went with its group (it may linger a moment as its reaper's zombie).
    EXPECT_TRUE(testsupport::Eventually([&] {
        const std::string state = ReadFile("/proc/" + std::to_string(child) + "/stat");
        return state.empty() || state.find(") Z") != std::string::npos;
    }));
}

TEST(AlertServiceActions, RestartAndRebootThroughSystemctl) {
    TempDir dir;
    WriteScript(dir.File("systemctl"), "echo \"$*\" >> \"$(dirname \"$0\")/calls\"\n"
                                       "[ \"$3\" = missing.service ] && { echo 'Unit missing.service not found.'; exit 5; }\n"
                                       "exit 0\n");
    testsupport::ScopedEnv path("PATH", dir.Path() + ":" + std::getenv("PATH"));
    ASSERT_EQ(platform::FindExecutable("systemctl"), dir.File("systemctl"));  // never the real one
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);

    struct Case {
        int kind;
        std::string services, computer;
        bool allowReboot;
        DeliveryOutcome expected;
        std::string calls;
    };
    const std::vector<Case> cases = {
        {8, "nginx.service, cron;ssh", "", false, {true, false, "Restarted nginx.service; Restarted cron; Restarted ssh"},
         "restart -- nginx.service\nrestart -- cron\nrestart -- ssh\n"},
        {8, "missing.service db", std::string("\\\\") + host, false,
         {false, false, "Could not restart missing.service: systemctl exited with code 5: Unit missing.service not "
                        "found.; Restarted db"},
         "restart -- missing.service\nrestart -- db\n"},
        {8, "db", "\\\\other-box", false, {false, false, "Restarting services on another computer (other-box) is not supported"}, ""},
        {9, "", "localhost", false,
         {false, false, "Reboot refused: the engine's configuration does not allow it (start the engine with --allow-reboot)"},
         ""},
        {9, "", "127.0.0.1", true, {true, false, "Reboot of this computer requested"}, "reboot\n"},
        {9, "", "other-box", true, {false, false, "Rebooting another computer (other-box) is not supported"}, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("calls"));
        AlertSettings settings;
        settings.AllowReboot = c.allowReboot;
        AlertChannelTable table;
        AddPlatformChannels(table);
        const DeliveryOutcome outcome = table.at(c.kind)(Request(c.kind, c.services, "", c.computer), settings, Context());
        EXPECT_EQ(Whole(outcome), Whole(c.expected)) << c.services << " " << c.computer;
        EXPECT_EQ(ReadFile(dir.File("calls")), c.calls) << c.services << " " << c.computer;
    }
}
