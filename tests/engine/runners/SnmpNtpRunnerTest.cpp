// The SNMP GET runner against the tests' own agent (every value type the agent may
// answer), the NTP runner against a small SNTP server, and both against peers that never
// answer.
#include "LoopbackSnmp.h"
#include "RunnerTestSupport.h"
#include "engine/NtpRunner.h"
#include "model/checks/CheckSettings.h"

#include <gtest/gtest.h>

#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

CSnNodeCfg SnmpCheck(const std::string& agent, const std::string& oid, int type = 0, int op = 1,
                     const std::string& value = "") {
    CSnNodeCfg check = MakeCheck(kTypeSnmpGet);
    SnmpGetSettings s = SnmpGetSettings::Read(check.Function);
    s.Host = agent;
    s.Oid = oid;
    s.DataType = type;
    s.Operator1 = op;
    s.Value1 = value;
    s.Write(check.Function);
    return check;
}

TEST(SnmpGetRunner, ReadsEveryValueTypeAndJudgesIt) {
    testsupport::LoopbackSnmpResponder agent;
    const std::string base = "1.3.6.1.4.1.99.";
    agent.Set(base + "1", {0x41, std::string("\x00\xff\xff\xff\xff", 5)}); // Counter32 at its top
    agent.Set(base + "2", {0x42, "\x05"});                                 // Gauge32
    agent.Set(base + "3", {0x43, std::string("\x01\x00", 2)});                            // TimeTicks
    agent.Set(base + "4", {0x46, std::string("\x00\xff\xff\xff\xff\xff\xff\xff\xff", 9)}); // Counter64 at its top
    agent.Set(base + "5", {0x02, "\xfe"});                                 // INTEGER -2
    agent.Set(base + "6", {0x04, "up and running"});
    agent.Set(base + "7", {0x06, "\x2b\x06\x01"});                         // OID 1.3.6.1
    agent.Set(base + "8", {0x40, std::string("\x0a\x00\x00\x01", 4)});                    // IpAddress
    agent.Set(base + "9", {0x81, ""});                                     // noSuchInstance
    agent.Set(base + "10", {0x82, ""});                                    // endOfMibView
    agent.Set(base + "11", {0x04, std::string("\x00\x01", 2)});            // binary text in hex
    agent.Set(base + "13", {0x41, std::string(6, '\x01')});                // beyond 32 bits

    struct Case {
        std::string oid;
        int type, op;
        std::string value;
        CheckOutcome::Kind kind;
        std::string response;
    };
    using K = CheckOutcome::Kind;
    const Case cases[] = {
        {"1", 3, 1, "4294967295", K::Success, "= 4294967295 (Counter32): Equal To '4294967295' holds"},
        {"2", 10, 3, "5", K::Error, "= 5 (Gauge32): Less Than '5' does not hold"},
        {"3", 9, 6, "256", K::Success, "= 256 (TimeTicks): Greater or Equal To '256' holds"},
        {"4", 3, 5, "18446744073709551614", K::Success,
         "= 18446744073709551615 (Counter64): Greater Than '18446744073709551614' holds"},
        {"5", 4, 3, "-1", K::Success, "= -2 (Integer): Less Than '-1' holds"},
        {"6", 8, 1, "up and running", K::Success, "= up and running (String): Equal To 'up and running' holds"},
        {"7", 6, 1, ".1.3.6.1", K::Success, "= 1.3.6.1 (OID): Equal To '.1.3.6.1' holds"},
        {"8", 5, 5, "9.255.255.255", K::Success, "= 10.0.0.1 (IpAddress): Greater Than '9.255.255.255' holds"},
        {"8", 0, 1, "", K::Success, "= 10.0.0.1 (IpAddress)"}, // no value: only the answer counts
        {"9", 8, 1, "x", K::Error, ": the agent answered noSuchInstance"},
        {"10", 8, 1, "x", K::Error, ": the agent answered endOfMibView"},
        {"12", 8, 1, "x", K::Error, ": the agent answered noSuchObject"},
        {"13", 3, 1, "1", K::Error, ": the agent answered an unreadable Counter32"},
        {"11", 8, 1, "00 01", K::Success, "= 00 01 (String): Equal To '00 01' holds"},
    };
    for (const Case& c : cases) {
        const CheckOutcome outcome = RunCheck(SnmpCheck(agent.Address(), base + c.oid, c.type, c.op, c.value), Context(5s));
        const std::string prefix = c.response[0] == ':' ? "SNMP GET of " + base + c.oid : base + c.oid + " ";
        EXPECT_EQ(Describe(outcome).substr(0, Describe(outcome).find(" [")),
                  (c.kind == K::Success ? "Success: " : "Error: ") + prefix + c.response);
    }
    // SNMP v1: a missing OID is the error status noSuchName.
    CSnNodeCfg v1 = SnmpCheck(agent.Address(), base + "12");
    v1.Function.ParamByteCodes = "100";
    EXPECT_EQ(RunCheck(v1, Context(5s)).Response.Str(), "SNMP GET of " + base + "12: the agent answered noSuchName");
}

// An SNTP server of the tests: answers with its clock `ahead` of the real one, the given
// stratum and leap indicator.
class LoopbackSntpServer {
public:
    LoopbackSntpServer(std::chrono::milliseconds ahead, int stratum, int leap = 0) {
        m_fd = testsupport::OpenLoopbackSocket(SOCK_DGRAM, m_port);
        m_thread = std::thread([=, this] {
            char buffer[512];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            pollfd readable{m_fd, POLLIN, 0};
            if (::poll(&readable, 1, 5000) != 1)
                return;
            if (::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length) < 48)
                return;
            std::string answer(48, '\0');
            answer[0] = static_cast<char>((leap << 6) | (4 << 3) | 4);
            answer[1] = static_cast<char>(stratum);
            answer.replace(12, 4, stratum == 0 ? std::string("RATE") : std::string("GPS\0", 4));
            answer.replace(24, 8, std::string(buffer + 40, 8)); // originate: the client's transmit
            const NtpTimestamp now = NtpNow() + (static_cast<std::uint64_t>(ahead.count()) << 32) / 1000;
            for (int b = 0; b < 8; ++b)
                answer[32 + b] = answer[40 + b] = static_cast<char>(now >> (56 - 8 * b));
            ::sendto(m_fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        });
    }
    ~LoopbackSntpServer() {
        m_thread.join();
        ::close(m_fd);
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

private:
    int m_fd = -1;
    int m_port = 0;
    std::thread m_thread;
};

CSnNodeCfg NtpCheck(const std::string& host) {
    CSnNodeCfg check = MakeCheck(kTypeNtp);
    check.Function.ParamServer = host;
    return check;
}

TEST(NtpRunner, OffsetAndStratumOfASynchronisedServerOnly) {
    {
        LoopbackSntpServer server(1500ms, 2);
        const CheckOutcome outcome = RunCheck(NtpCheck(server.Address()), Context(5s));
        ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
        // The offset is 1500 ms give or take the delays of a busy machine.
        const std::string data = outcome.Data.Str();
        EXPECT_NEAR(std::stod(data.substr(7)), 1500.0, 150.0) << data;
        EXPECT_EQ(data.substr(0, 8) + data.substr(data.find(" ms")), "offset + ms, stratum 2");
        EXPECT_NE(outcome.Response.Str().find("stratum 2 (reference 71.80.83.0)"), std::string::npos)
            << outcome.Response.Str();
    }
    {
        LoopbackSntpServer server(0ms, 0);
        EXPECT_EQ(Describe(RunCheck(NtpCheck(server.Address()), Context(5s))),
                  "Error: Time server " + server.Address() + " refused the query (kiss code 'RATE') [] {}");
    }
    {
        LoopbackSntpServer server(0ms, 3, 3);
        EXPECT_EQ(Describe(RunCheck(NtpCheck(server.Address()), Context(5s))),
                  "Error: Time server " + server.Address() + " is not synchronised (stratum 3) [] {}");
    }
}

// A peer that takes every datagram and answers none: each protocol ends at its time-out
// with an error, and at once when the engine stops.
TEST(SnmpNtpRunners, SilentPeerEndsAtTheTimeOutAndAtAStop) {
    int port = 0;
    const int silent = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const std::pair<CSnNodeCfg, std::string> checks[] = {
        {SnmpCheck(address, "1.3.6.1.2.1.1.3.0"), "SNMP GET of 1.3.6.1.2.1.1.3.0 (SNMP v2c): no answer from the agent at " + address},
        {NtpCheck(address), "NTP query to '" + address + "': no answer from " + address},
    };
    for (const auto& [check, said] : checks) {
        const auto start = std::chrono::steady_clock::now();
        const CheckOutcome outcome = RunCheck(check, Context(1200ms));
        EXPECT_EQ(outcome.kind, CheckOutcome::Kind::Error);
        EXPECT_EQ(outcome.Response.Str().substr(0, said.size()), said);
        EXPECT_GE(SecondsSince(start), 1.1);
        EXPECT_LT(SecondsSince(start), 2.5);

        const auto [stopped, tookToStop] = RunStoppedAfter(check);
        EXPECT_EQ(stopped, "Uncertain: Check cancelled: the engine is stopping");
        EXPECT_LT(tookToStop, 0.8);
    }
    ::close(silent);
}

} // namespace
