// The mail server checks against the tests' own SMTP, POP3 and IMAP peers on loopback, the
// round trip from one to the other, and every libcurl-based runner against peers that
// accept and never answer.
#include "engine/CheckRunner.h"
#include "engine/NetworkChecks.h"
#include "model/checks/CheckSettings.h"

#include "LoopbackMailbox.h"
#include "LoopbackSmtpSink.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <future>

using namespace std::chrono_literals;
using namespace runnertest;
using testsupport::LoopbackMailbox;
using testsupport::LoopbackSmtpSink;

namespace {

ImapSettings Imap(int port, const std::string& login, const std::string& password) {
    return {{"127.0.0.1", port, false, "", true, "IMAP", 7000}, login, password};
}

// Through `smtp` to the mailbox of "box" on 127.0.0.1:`port`, kept there.
Smtp2Pop3Settings RoundTrip(const std::string& smtp, int port) {
    Smtp2Pop3Settings settings;
    settings.Recipient = "box@mailbox.test";
    settings.SmtpServer = smtp;
    settings.Pop3Server = "127.0.0.1";
    settings.Pop3Port = port;
    settings.Pop3Login = "box";
    settings.Pop3Password = "pw";
    settings.DeleteMessages = settings.SmtpAuthentication = false;
    return settings;
}

} // namespace

TEST(MailRunners, SmtpPop3AndImapGreetLogOnAndJudgeTheReplies) {
    LoopbackSmtpSink plain, guarded({{}, {}, false, "mon", "pw"});
    LoopbackMailbox pop3(LoopbackMailbox::Protocol::Pop3, "box", "pw");
    LoopbackMailbox imap(LoopbackMailbox::Protocol::Imap, "box", "pw");
    const auto at = [](auto& peer) { return "127.0.0.1:" + std::to_string(peer.Port()); };
    const auto smtp = [](int port, bool secure, const std::string& login, const std::string& password,
                         const std::string& pattern) {
        return CheckOf(kTypeSmtp, SmtpSettings{"127.0.0.1", port, pattern, secure, true, login, password});
    };
    const std::vector<std::pair<CSnNodeCfg, std::string>> cases = {
        {smtp(guarded.Port(), false, "mon", "pw", "250"),
         "Success: 220 sink.test ESMTP ready (logged on as 'mon')"},
        {smtp(guarded.Port(), false, "mon", "no", "250"),
         "Error: Log-on to " + at(guarded) + " refused: '535 5.7.8 Authentication credentials invalid'"},
        {smtp(plain.Port(), false, "", "", "esmtp"), "Success: 220 sink.test ESMTP ready"},
        {smtp(plain.Port(), false, "", "", "250 OK"),
         "Error: The response of " + at(plain) + " does not include '250 OK': '250 sink.test'"},
        {smtp(plain.Port(), false, "mon", "pw", "250"),
         "Error: " + at(plain) + " offers no authentication: the account 'mon' could not log on"},
        {smtp(plain.Port(), true, "", "", "250"), "Error: " + at(plain) + " does not offer TLS"},
        {CheckOf(kTypePop3, Pop3Settings{"127.0.0.1", pop3.Port(), false, "box", "pw"}),
         "Success: +OK mailbox.test POP3 ready (logged on as 'box')"},
        {CheckOf(kTypePop3, Pop3Settings{"127.0.0.1", pop3.Port(), false, "box", "no"}),
         "Error: Log-on to " + at(pop3) + " refused: '-ERR invalid account or password'"},
        {CheckOf(kTypeImap, Imap(imap.Port(), "box", "pw")),
         "Success: * OK [CAPABILITY IMAP4rev1] mailbox.test IMAP ready (logged on as 'box')"},
        {CheckOf(kTypeImap, Imap(imap.Port(), "box", "no")),
         "Error: Log-on to " + at(imap) +
             " refused: 'A002 NO [AUTHENTICATIONFAILED] invalid account or password'"},
        // Without an account IMAP stays the TCP/IP check of the greeting.
        {CheckOf(kTypeImap, Imap(imap.Port(), "", "")),
         "Success: Response from " + at(imap) + ": '* OK [CAPABILITY IMAP4rev1] mailbox.test IMAP ready'"},
    };
    for (const auto& [check, expected] : cases)
        EXPECT_EQ(Judged(RunCheck(check, Context(10s))), expected);
    // The IMAP check with an account leaves the engine's reactor to a worker.
    const auto onReactor = [](const ImapSettings& imap) {
        return StartNetworkCheck(CheckOf(kTypeImap, imap), Context(1s), [](CheckOutcome) {});
    };
    EXPECT_EQ(std::pair(onReactor(Imap(imap.Port(), "box", "pw")), onReactor(Imap(imap.Port(), "", ""))),
              std::pair(false, true));
}

TEST(MailRunners, SmtpToPop3FindsItsOwnMessageAndDeletesItWhenAsked) {
    LoopbackSmtpSink sink;
    LoopbackMailbox mailbox(LoopbackMailbox::Protocol::Pop3, "box", "pw", [&sink] {
        std::vector<std::string> texts;
        for (const auto& message : sink.Messages())
            texts.push_back(message.Data);
        return texts;
    });
    LoopbackMailbox empty(LoopbackMailbox::Protocol::Pop3, "box", "pw");
    Smtp2Pop3Settings settings = RoundTrip("127.0.0.1:" + std::to_string(sink.Port()), mailbox.Port());
    const std::string through = "The test message sent through " + settings.SmtpServer;
    const std::string at = " arrived at 127.0.0.1:" + std::to_string(mailbox.Port());

    // Kept first, then a second one found among the two and deleted: the first stays.
    EXPECT_EQ(Judged(RunCheck(CheckOf(kTypeSmtpToPop3, settings), Context(10s))), "Success: " + through + at);
    settings.DeleteMessages = true;
    EXPECT_EQ(Judged(RunCheck(CheckOf(kTypeSmtpToPop3, settings), Context(10s))),
              "Success: " + through + at + " and was deleted");
    ASSERT_EQ(sink.Messages().size(), 2u);
    EXPECT_EQ(mailbox.Messages(), std::vector<std::string>{sink.Messages()[0].Data});

    settings.Pop3Port = empty.Port();
    EXPECT_EQ(Judged(RunCheck(CheckOf(kTypeSmtpToPop3, settings), Context(1500ms))),
              "Error: " + through + " did not arrive at 127.0.0.1:" + std::to_string(empty.Port()) +
                  " within 1500 ms");
}

TEST(MailRunners, SmtpToPop3RunsAsLongAsItsFailAfterMinutes) {
    CSnNodeCfg check;
    check.Function.Type = kTypeSmtpToPop3;
    Smtp2Pop3Settings settings;
    settings.ErrorMinutes = 10;
    settings.Write(check.Function);
    EXPECT_EQ(RunLimit(check, 60s), 630s);
    EXPECT_EQ(RunLimit(check, 3600s), 3600s); // a longer engine limit stays
    check.Function.Type = kTypeSmtp;
    EXPECT_EQ(RunLimit(check, 60s), 60s);
}

TEST(MailRunners, EveryTransferEndsWithinItsTimeOutOrSoonAfterTheStop) {
    // A TCP listener whose connections the system accepts and nobody answers, and a UDP
    // socket nobody reads.
    int tcpPort = 0, udpPort = 0;
    const int tcp = testsupport::OpenLoopbackSocket(SOCK_STREAM, tcpPort);
    const int udp = testsupport::OpenLoopbackSocket(SOCK_DGRAM, udpPort);
    ASSERT_TRUE(tcp >= 0 && udp >= 0 && ::listen(tcp, 64) == 0);
    const std::string silent = "127.0.0.1:" + std::to_string(tcpPort);
    const std::vector<CSnNodeCfg> checks = {
        CheckOf(kTypeSmtp, SmtpSettings{"127.0.0.1", tcpPort, "250", false, false, "", ""}),
        CheckOf(kTypePop3, Pop3Settings{"127.0.0.1", tcpPort, false, "box", "pw"}),
        CheckOf(kTypeImap, Imap(tcpPort, "box", "pw")),
        CheckOf(kTypeSmtpToPop3, RoundTrip(silent, tcpPort)),
        CheckOf(kTypeFtp, FtpSettings{silent, "", "", "", "", "", true, true, true, false, false, false}),
        CheckOf(kTypeTftp, TftpSettings{"127.0.0.1:" + std::to_string(udpPort), "f", "", true, false, false}),
    };
    std::atomic<bool> stop{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<CheckOutcome>> runs; // of each check: one timed out, one stopped
    for (const CSnNodeCfg& check : checks)
        for (const RunContext& context : {Context(1s), Context(30s, &stop)})
            runs.push_back(
                std::async(std::launch::async, [check, context] { return RunCheck(check, context); }));
    std::this_thread::sleep_for(300ms);
    stop = true;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const CheckOutcome outcome = runs[i].get();
        SCOPED_TRACE(CheckTypeName(checks[i / 2].Function.Type));
        EXPECT_EQ(i % 2 ? Judged(outcome) : Describe(outcome).substr(0, 6),
                  i % 2 ? "Uncertain: Check cancelled: the engine is stopping" : "Error:")
            << Describe(outcome);
    }
    EXPECT_LT(SecondsSince(start), 2.5);
    ::close(tcp);
    ::close(udp);
}

TEST(FileTransferRunners, SettingsMissingBeforeATransferAreNamed) {
    const auto ftp = [](const char* host, const char* file, const char* pattern, bool checkFile, bool checkPattern) {
        return CheckOf(kTypeFtp, FtpSettings{host, "", "", "", file, pattern, true, true, true, checkFile, checkPattern, false});
    };
    const auto tftp = [](const char* host, const char* file, const char* pattern, bool checkPattern) {
        return CheckOf(kTypeTftp, TftpSettings{host, file, pattern, true, checkPattern, false});
    };
    const std::pair<CSnNodeCfg, std::string> rows[] = {
        {ftp("", "f", "", true, false), "Uncertain: No host configured"},
        {ftp("127.0.0.1:99999", "f", "", true, false), "Uncertain: Host '127.0.0.1:99999' is not valid"},
        {ftp("127.0.0.1:1", "", "", true, false), "Uncertain: No file configured"},
        {ftp("127.0.0.1:1", "f", "", true, true), "Uncertain: No pattern to look for configured"},
        // Without a file to fetch neither the file nor the pattern is needed.
        {ftp("127.0.0.1:1", "", "", false, true), "Error:"},
        {tftp("", "f", "", false), "Uncertain: No host configured"},
        {tftp("127.0.0.1:1", "", "", false), "Uncertain: No file configured"},
        {tftp("127.0.0.1:1", "f", "", true), "Uncertain: No pattern to look for configured"},
    };
    for (const auto& [check, expected] : rows) {
        const std::string seen = Describe(RunCheck(check, Context(2s)));
        EXPECT_EQ(seen.substr(0, expected.size()), expected) << seen;
    }
}
