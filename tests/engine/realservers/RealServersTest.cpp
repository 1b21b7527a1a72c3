// The engine against servers of the distribution rather than peers of our own reading of
// each protocol: an SMTP server (python3 -m aiosmtpd), an SNMP trap receiver (snmptrapd),
// a DNS server (dnsmasq), an SNMP agent (snmpd), an FTP server (python3 pyftpdlib) and a
// TFTP server (in.tftpd), each run by the test on a free port of 127.0.0.1 and stopped
// after it.  A test whose program is not installed is skipped.
#include "engine/alerting/DefaultChannels.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include "../runners/RunnerTestSupport.h"
#include "ForkedChild.h"
#include "LoopbackSnmp.h"
#include "LoopbackSockets.h"
#include "ServerProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <tuple>

using namespace std::chrono_literals;
using testsupport::Eventually;
using testsupport::ReadFile;

using testsupport::Accepts;
using testsupport::Program;
using testsupport::ServerProcess;

namespace {

// A python with `module`: the one on PATH may be another than the distribution's.
std::string PythonWith(const std::string& module = "aiosmtpd") {
    for (const std::string& python : {Program("python3"), std::string("/usr/bin/python3")}) {
        if (!python.empty() && std::system((python + " -c 'import " + module + "' 2>/dev/null").c_str()) == 0)
            return python;
    }
    return {};
}

} // namespace

TEST(RealServers, AlertMailArrivesIntactAndAThrowawayCertificateIsRefused) {
    const std::string python = PythonWith();
    if (python.empty())
        GTEST_SKIP() << "python3 with aiosmtpd (package python3-aiosmtpd) is not installed";
    testsupport::TempDir dir;
    // A server storing what it accepts into a mailbox, with more options when given.
    const auto smtpServer = [&](const std::string& name, int port, std::vector<std::string> more) {
        std::vector<std::string> argv = {python, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port),
                                         "-c", "aiosmtpd.handlers.Mailbox"};
        argv.insert(argv.end(), more.begin(), more.end());
        argv.push_back(dir.File(name));
        auto server = std::make_unique<ServerProcess>(argv, dir.File(name + ".log"));
        EXPECT_TRUE(Eventually([&] { return testsupport::Accepts(port); }, 20s, 50ms)) << ReadFile(dir.File(name + ".log"));
        return server;
    };
    AlertSettings settings;
    settings.Smtp.Server1 = "127.0.0.1";
    settings.Smtp.Port1 = testsupport::UnusedLoopbackPort();
    settings.Smtp.SenderAddress1 = "sentrelle@example.test";
    const auto plain = smtpServer("mail", settings.Smtp.Port1, {});
    AlertDeliveryRequest alert;
    alert.Recipient = "ops@example.test";
    alert.Subject = "Sentrelle: Web - Failure";
    // A line that starts with a dot must come through the server's dot-stuffing whole.
    alert.Body = "Web on web1: Failure\r\n.Connection refused\r\n..\r\nend";
    const DeliveryOutcome sent = DefaultAlertChannels().at(1)(alert, settings, runnertest::Context(20s));
    ASSERT_TRUE(sent.Ok) << sent.Text;
    std::string mail;
    for (const auto& file : std::filesystem::directory_iterator(dir.File("mail/new")))
        mail = ReadFile(file.path());
    const std::size_t subject = mail.find("\nSubject: ") + 10;
    const std::size_t body = mail.find("\n\n") + 2;
    ASSERT_NE(body, 1u) << mail;
    EXPECT_EQ(mail.substr(subject, mail.find('\n', subject) - subject) + " | " + mail.substr(body),
              "Sentrelle: Web - Failure | Web on web1: Failure\n.Connection refused\n..\nend\n");

    // The SMTP check greets the same server.
    const auto smtpCheck = [](int port, bool secure) {
        const SmtpSettings smtp{"127.0.0.1", port, "250", secure, false, "", ""};
        return runnertest::Judged(RunCheck(runnertest::CheckOf(kTypeSmtp, smtp), runnertest::Context(10s)));
    };
    EXPECT_EQ(smtpCheck(settings.Smtp.Port1, false).rfind("Success: 220 ", 0), 0u)
        << smtpCheck(settings.Smtp.Port1, false);

    // STARTTLS with a certificate made for this test: the handshake gets as far as the
    // certificate (implicit TLS would fail before it), which is not trusted, so the mail
    // is not sent and not tried again.
    if (Program("openssl").empty())
        GTEST_SKIP() << "openssl is not installed: STARTTLS not tried";
    ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost -keyout " +
                           dir.File("key.pem") + " -out " + dir.File("cert.pem") + " 2>/dev/null")
                              .c_str()),
              0);
    settings.Smtp.Port1 = testsupport::UnusedLoopbackPort();
    settings.Smtp.Secure1 = true;
    const auto secure = smtpServer("tls", settings.Smtp.Port1,
                                   {"--tlscert", dir.File("cert.pem"), "--tlskey", dir.File("key.pem")});
    const DeliveryOutcome refused = DefaultAlertChannels().at(1)(alert, settings, runnertest::Context(20s));
    const std::string said = "failed, Error #23728: Mail: the certificate of the SMTP server is not trusted";
    EXPECT_EQ(std::make_tuple(refused.Ok, refused.Retry, refused.Text.substr(0, said.size())),
              std::make_tuple(false, false, said))
        << refused.Text;
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("tls/new")));
    const std::string untrusted = "Error: TLS with 127.0.0.1:" + std::to_string(settings.Smtp.Port1);
    EXPECT_EQ(smtpCheck(settings.Smtp.Port1, true).rfind(untrusted + " failed: ", 0), 0u)
        << smtpCheck(settings.Smtp.Port1, true);
}

TEST(RealServers, AlertTrapsAreLoggedByTheTrapReceiver) {
    const std::string snmptrapd = Program("snmptrapd");
    if (snmptrapd.empty())
        GTEST_SKIP() << "snmptrapd (package snmptrapd) is not installed";
    testsupport::TempDir dir;
    testsupport::ScopedEnv persistent("SNMP_PERSISTENT_DIR", dir.Path());
    testsupport::WriteFile(dir.File("trapd.conf"), "disableAuthorization yes\nauthCommunity log public\n"
                                                   "format1 v1 %a %N %w %q %v\\n\nformat2 v2c%v\\n\n");
    int port = 0;
    ::close(testsupport::OpenLoopbackSocket(SOCK_DGRAM, port));
    ServerProcess receiver({snmptrapd, "-f", "-Lo", "-C", "-c", dir.File("trapd.conf"), "-On", "-m", "", "-p",
                            dir.File("trapd.pid"), "udp:127.0.0.1:" + std::to_string(port)},
                           dir.File("trapd.log"));
    ASSERT_TRUE(Eventually([&] { return ReadFile(dir.File("trapd.log")).find("NET-SNMP version") != std::string::npos; },
                           20s, 50ms));
    AlertSettings settings;
    settings.Traps.Agent = "127.0.0.1";
    settings.Traps.Port = port;
    settings.Traps.Oid = "1.3.6.1.4.1.99999.7";
    AlertDeliveryRequest alert;
    alert.Body = "Web: Failure";
    alert.Event = {7, 30, "Web", "web1", "TCP", "Servers", 3, "Failure", "12 ms", "refused", 0};
    std::string bindings = ".1.3.6.1.4.1.99999.7 = STRING: \"Web: Failure\"";
    const char* const values[] = {"Web", "web1", "TCP", "Failure", "12 ms", "refused", "", "Servers", "7", "Failure"};
    for (int i = 0; i < 10; ++i)
        bindings += "\t.1.3.6.1.4.1.99999.7." + std::to_string(i + 1) + " = STRING: \"" +
                    (i == 6 ? AlertFields(alert.Event).at("Time") : values[i]) + "\"";
    // Version, what the receiver logs before the bindings (a v2c notification's uptime
    // left out): the agent address, enterprise, generic and specific trap (".0" in its
    // words) of v1, the trap OID of v2c.
    const std::tuple<int, std::string> cases[] = {
        {1, "v1 127.0.0.1 .1.3.6.1.4.1.99999.7 6 .0 "},
        {2, "v2c\t.1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.4.1.99999.7\t"},
    };
    for (const auto& [version, header] : cases) {
        settings.Traps.ProtocolVersion = version;
        const DeliveryOutcome sent = DefaultAlertChannels().at(6)(alert, settings, runnertest::Context(5s));
        EXPECT_TRUE(sent.Ok) << sent.Text;
        const std::string start = "\n" + header.substr(0, 3);
        std::string log;
        ASSERT_TRUE(Eventually([&] { return (log = ReadFile(dir.File("trapd.log"))).find(start) != std::string::npos; },
                               10s, 50ms))
            << log;
        std::string line = log.substr(log.find(start) + 1);
        line = line.substr(0, line.find('\n'));
        if (version != 1)
            line.erase(3, line.find('\t') - 3);
        EXPECT_EQ(line, header + bindings);
    }
}

TEST(RealServers, DnsChecksAgainstADnsServer) {
    const std::string dnsmasq = Program("dnsmasq");
    if (dnsmasq.empty())
        GTEST_SKIP() << "dnsmasq (package dnsmasq-base) is not installed";
    testsupport::TempDir dir;
    const int port = testsupport::UnusedLoopbackPort();
    ServerProcess server({dnsmasq, "-k", "-p", std::to_string(port), "--listen-address=127.0.0.1", "--bind-interfaces",
                          "--no-resolv", "--no-hosts", "-C", "/dev/null", "--log-facility=-",
                          "--pid-file=" + dir.File("dnsmasq.pid"), "--local=/example.test/",
                          "--host-record=www.example.test,192.0.2.10", "--host-record=www.example.test,192.0.2.11",
                          "--cname=alias.example.test,www.example.test",
                          "--mx-host=example.test,mail1.example.test,10", "--mx-host=example.test,Mail2.Example.Test,20"},
                         dir.File("dnsmasq.log"));
    ASSERT_TRUE(Eventually([&] { return testsupport::Accepts(port); }, 20s, 50ms)) << ReadFile(dir.File("dnsmasq.log"));
    const std::string at = "127.0.0.1:" + std::to_string(port);
    // Name, record type ("" A, "M01" MX, "C01" CNAME), expected addresses or names, and
    // the outcome: in whole when it fails without data, else its kind and data (in order:
    // the server rotates its answers).
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"www.example.test", "", "192.0.2.11", "Success [192.0.2.10, 192.0.2.11]"},
        {"WWW.Example.Test.", "", "203.0.113.5", "Error [192.0.2.10, 192.0.2.11]"},
        {"alias.example.test", "", "", "Success [192.0.2.10, 192.0.2.11]"},
        {"alias.example.test", "C01", "www.example.test", "Success [www.example.test]"},
        {"example.test", "M01", "MAIL2.example.test.", "Success [mail1.example.test, mail2.example.test]"},
        {"www.example.test", "M01", "", "Error: No MX record for 'www.example.test' at " + at + " [] {}"},
        {"nothing.example.test", "", "",
         "Error: A query for 'nothing.example.test' failed at " + at + ": NXDOMAIN: the name does not exist [] {}"},
        {"www.elsewhere.test", "", "",
         "Error: A query for 'www.elsewhere.test' failed at " + at + ": REFUSED: the server refused to answer [] {}"},
    };
    for (const auto& [name, type, expected, said] : cases) {
        CSnNodeCfg check = runnertest::MakeCheck(kTypeDns);
        check.Function.ParamServer = at;
        check.Function.Param1 = name;
        check.Function.Param2 = expected;
        if (!type.empty())
            check.Function.ParamByteCodes = type;
        const CheckOutcome outcome = RunCheck(check, runnertest::Context(10s));
        const std::string described = runnertest::Describe(outcome);
        std::vector<std::string> data;
        std::istringstream items(outcome.Data.Str());
        for (std::string item; std::getline(items >> std::ws, item, ',');)
            data.push_back(item);
        std::sort(data.begin(), data.end());
        std::string got = described.substr(0, described.find(':')) + " [";
        for (std::size_t i = 0; i < data.size(); ++i)
            got += (i ? ", " : "") + data[i];
        EXPECT_EQ(outcome.Data.IsEmpty() && outcome.kind != CheckOutcome::Kind::Success ? described : got + "]", said)
            << name << " " << type << ": " << described;
    }
}

TEST(RealServers, SnmpGetChecksAgainstAnSnmpAgent) {
    if (testsupport::LoopbackSnmpd::Program().empty())
        GTEST_SKIP() << "snmpd (package snmpd) is not installed";
    testsupport::LoopbackSnmpd snmpd;
    ASSERT_TRUE(snmpd.Ready()) << snmpd.Log();
    const auto check = [&](const std::string& community, const std::string& oid, int type, int op,
                           const std::string& value, bool v1 = false) {
        CSnNodeCfg cfg = runnertest::MakeCheck(kTypeSnmpGet);
        SnmpGetSettings s = SnmpGetSettings::Read(cfg.Function);
        s.Host = "127.0.0.1";
        s.Port = snmpd.Port();
        s.Community = community;
        s.Oid = oid;
        s.DataType = type;
        s.Operator1 = op;
        s.Value1 = value;
        s.Version1 = v1;
        s.Write(cfg.Function);
        return RunCheck(cfg, runnertest::Context(1500ms));
    };
    const std::string description = testsupport::LoopbackSnmpd::kDescription;
    const CheckOutcome named = check("sentrelle", "1.3.6.1.2.1.1.1.0", 8, 1, description);
    EXPECT_EQ(runnertest::Describe(named), "Success: 1.3.6.1.2.1.1.1.0 = " + description + " (String): Equal To '" +
                                               description + "' holds [" + description + "] {}");
    // The agent has been up for more than nothing, in SNMP v1 too.
    for (bool v1 : {false, true}) {
        const CheckOutcome up = check("sentrelle", "1.3.6.1.2.1.1.3.0", 9, 5, "0", v1);
        EXPECT_EQ(up.kind, CheckOutcome::Kind::Success) << runnertest::Describe(up);
        EXPECT_NE(up.Response.Str().find("(TimeTicks): Greater Than '0' holds"), std::string::npos);
    }
    // The agent ignores a community it does not know: the check ends at its time-out.
    const CheckOutcome wrong = check("guess", "1.3.6.1.2.1.1.3.0", 9, 5, "0");
    const std::string silence = "Error: SNMP GET of 1.3.6.1.2.1.1.3.0 (SNMP v2c): no answer from the agent at "
                                "127.0.0.1:" + std::to_string(snmpd.Port()) + " within ";
    EXPECT_EQ(runnertest::Describe(wrong).substr(0, silence.size()), silence);
}

TEST(RealServers, FtpAndTftpChecksLogOnFindFilesAndLookIntoThem) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("root/pub"));
    testsupport::WriteFile(dir.File("root/pub/status.txt"), "state: OK\n");
    // The TFTP server reads as an account without rights after confining itself here.
    for (const std::string& path : {dir.Path(), dir.File("root"), dir.File("root/pub")})
        std::filesystem::permissions(path, std::filesystem::perms::all);
    const std::string python = PythonWith("pyftpdlib");
    if (python.empty())
        GTEST_SKIP() << "python3 with pyftpdlib (package python3-pyftpdlib) is not installed";
    const int port = testsupport::UnusedLoopbackPort();
    const std::string at = "127.0.0.1:" + std::to_string(port);
    ServerProcess ftp({python, "-c",
                       "import sys\nfrom pyftpdlib.authorizers import DummyAuthorizer\n"
                       "from pyftpdlib.handlers import FTPHandler\nfrom pyftpdlib.servers import FTPServer\n"
                       "a = DummyAuthorizer()\na.add_user('mon', 'pw', sys.argv[2])\na.add_anonymous(sys.argv[2])\n"
                       "FTPHandler.authorizer = a\nFTPHandler.auth_failed_timeout = 0\n"
                       "FTPServer(('127.0.0.1', int(sys.argv[1])), FTPHandler).serve_forever()",
                       std::to_string(port), dir.File("root")},
                      dir.File("ftp.log"));
    ASSERT_TRUE(Eventually([&] { return Accepts(port); }, 20s, 50ms)) << ReadFile(dir.File("ftp.log"));
    // Host, account, password, directory, file, pattern, passive, anonymous, binary, file
    // must exist, look for the pattern, it must not be there.
    const std::pair<FtpSettings, std::string> cases[] = {
        {{"FTP://" + at, "", "", "", "", "", true, true, true, false, false, false},
         "Success: Logged on to " + at + " anonymously"},
        {{at, "mon", "pw", "pub", "status.txt", "", false, false, true, true, false, false},
         "Success: 'pub/status.txt' exists on " + at + " (10 bytes)"},
        {{at, "mon", "no", "", "", "", true, false, true, false, false, false},
         "Error: Log-on to " + at + " refused: Access denied: 530"},
        {{at, "mon", "pw", "/pub", "gone.txt", "", true, false, true, true, false, false},
         "Error: File not found on " + at + ": Remote file not found"},
        {{at, "", "", "pub/", "status.txt", "ok", true, true, false, true, true, false},
         "Success: 'pub/status.txt' on " + at + " (10 bytes) contains 'ok'"},
        {{at, "", "", "pub", "status.txt", "state: OK", true, true, true, true, true, true},
         "Error: 'pub/status.txt' on " + at + " (10 bytes) contains 'state: OK'"},
    };
    for (const auto& [settings, expected] : cases) {
        const CheckOutcome outcome = RunCheck(runnertest::CheckOf(kTypeFtp, settings), runnertest::Context(10s));
        EXPECT_EQ(runnertest::Judged(outcome), expected);
    }

    const std::string tftpd = Program("in.tftpd");
    if (tftpd.empty() || ::geteuid() != 0)
        GTEST_SKIP() << (tftpd.empty() ? "in.tftpd (package tftpd-hpa) is not installed"
                                       : "in.tftpd confines itself to its directory only when started as root");
    const std::string tftpAt = "127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort());
    ServerProcess tftp({tftpd, "-L", "-a", tftpAt, "-s", dir.File("root")}, dir.File("tftp.log"));
    const auto tftpCheck = [&](const std::string& file, const std::string& pattern) {
        const TftpSettings tftp{tftpAt, file, pattern, true, !pattern.empty(), false};
        return runnertest::Judged(RunCheck(runnertest::CheckOf(kTypeTftp, tftp), runnertest::Context(5s)));
    };
    const std::string found = "Success: 'pub/status.txt' on " + tftpAt + " (10 bytes) contains 'state'";
    ASSERT_TRUE(Eventually([&] { return tftpCheck("pub/status.txt", "state") == found; }, 10s, 100ms))
        << tftpCheck("pub/status.txt", "state") << ReadFile(dir.File("tftp.log"));
    EXPECT_EQ(tftpCheck("/pub/status.txt", ""), "Success: '/pub/status.txt' fetched from " + tftpAt + " (10 bytes)");
    EXPECT_EQ(tftpCheck("pub/gone.txt", ""), "Error: File not found on " + tftpAt + ": TFTP: File Not Found");
}
