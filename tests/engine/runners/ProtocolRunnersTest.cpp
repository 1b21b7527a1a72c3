// RADIUS, SMPP and TraceRoute against peers of the tests on the loopback interface, the
// hop rules of a traced route, and how each protocol ends against a peer that never answers.
#include "LoopbackSockets.h"
#include "LoopbackTcpPeer.h"
#include "RunnerTestSupport.h"
#include "engine/RadiusRunner.h"
#include "engine/SmppRunner.h"
#include "engine/TraceRouteRunner.h"

#include <gtest/gtest.h>

#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

std::string Said(const CheckOutcome& outcome) {
    return Describe(outcome).substr(0, Describe(outcome).find(" ["));
}

// A RADIUS server that knows one user: it reveals the hidden password the RFC's way and
// signs its answer with `signingSecret` (the right one, or not).
class RadiusPeer {
public:
    RadiusPeer(std::string secret, std::string signingSecret) : m_secret(secret), m_signing(signingSecret) {
        m_fd = testsupport::OpenLoopbackSocket(SOCK_DGRAM, m_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~RadiusPeer() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    int Port() const { return m_port; }

private:
    void Serve() {
        while (!m_stop) {
            pollfd readable{m_fd, POLLIN, 0};
            char buffer[4096];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            if (::poll(&readable, 1, 20) <= 0)
                continue;
            const ssize_t got = ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            const std::string request(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
            const std::string authenticator = request.substr(4, 16);
            std::string hidden = radius::AttributeText(request, radius::kUserPassword), password;
            for (std::size_t block = 0; block < hidden.size(); block += 16) {
                const std::string chain = block ? hidden.substr(block - 16, 16) : authenticator;
                const radius::Digest mask = radius::Md5(m_secret + chain);
                for (std::size_t i = 0; i < 16; ++i)
                    password += static_cast<char>(hidden[block + i] ^ static_cast<char>(mask[i]));
            }
            password.erase(password.find_last_not_of('\0') + 1);
            const bool known = radius::AttributeText(request, radius::kUserName) == "alice" &&
                               password == "correct horse battery staple";
            std::string answer = std::string(1, static_cast<char>(known ? radius::kAccessAccept : radius::kAccessReject)) +
                                 request[1] + std::string(2, '\0') + authenticator + "\x12\x0a" + "go away!";
            answer[3] = static_cast<char>(answer.size());
            const radius::Digest signature = radius::Md5(answer + m_signing);
            answer.replace(4, 16, reinterpret_cast<const char*>(signature.data()), 16);
            ::sendto(m_fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }
    std::string m_secret, m_signing;
    int m_fd = -1, m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

CSnNodeCfg RadiusCheck(int port, const std::string& password, int timeoutMs = 5000) {
    CSnNodeCfg check = MakeCheck(kTypeRadius);
    RadiusSettings settings{"127.0.0.1", port, "s3cret", timeoutMs, "alice", password};
    settings.Write(check.Function);
    return check;
}

std::string ReadPdu(int fd, const std::atomic<bool>& stop) {
    std::string pdu;
    while (!stop && (pdu.size() < 16 || pdu.size() < smpp::Field(pdu, 0))) {
        pollfd readable{fd, POLLIN, 0};
        char c;
        if (::poll(&readable, 1, 20) > 0 && ::recv(fd, &c, 1, 0) <= 0)
            break;
        if (readable.revents & POLLIN)
            pdu += c;
    }
    return pdu;
}

// An SMS centre that binds system ID "esme" with password "pw" and answers the unbind.
void SmppCentre(int fd, const std::atomic<bool>& stop) {
    for (std::string pdu = ReadPdu(fd, stop); pdu.size() >= 16; pdu = ReadPdu(fd, stop)) {
        std::string answer;
        if (smpp::Field(pdu, 4) == smpp::kBindTransceiver) {
            const bool known = pdu.substr(16, 8) == std::string("esme\0pw\0", 8);
            answer = smpp::Pdu(smpp::kBindTransceiverResp, known ? 0 : 0x0E, smpp::Field(pdu, 12),
                               std::string("centre\0", 7));
        } else {
            answer = smpp::Pdu(smpp::kUnbindResp, 0, smpp::Field(pdu, 12), "");
        }
        ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    }
}

CSnNodeCfg SmppCheck(int port, bool logOn, const std::string& password) {
    CSnNodeCfg check = MakeCheck(kTypeSmpp);
    SmppSettings{"127.0.0.1", port, "SMPP", "esme", password, logOn}.Write(check.Function);
    return check;
}

void HoldSilently(int fd, const std::atomic<bool>& stop) {
    while (!stop && ReadPdu(fd, stop).size() > 0) {
    }
}

} // namespace

TEST(RadiusRunner, AcceptRejectAndAnAnswerNotSignedWithTheSecret) {
    RadiusPeer peer("s3cret", "s3cret");
    const std::string server = "127.0.0.1:" + std::to_string(peer.Port());
    // The password is longer than one block, so the hiding chains blocks.
    EXPECT_EQ(Said(RunCheck(RadiusCheck(peer.Port(), "correct horse battery staple"), Context())),
              "Success: Access-Accept for user 'alice' from " + server + ": go away!");
    EXPECT_EQ(Said(RunCheck(RadiusCheck(peer.Port(), "correct horse battery"), Context())),
              "Error: Access-Reject for user 'alice' from " + server + ": go away!");

    RadiusPeer impostor("s3cret", "other");
    EXPECT_EQ(Said(RunCheck(RadiusCheck(impostor.Port(), "correct horse battery staple", 300), Context())),
              "Error: No answer from RADIUS server 127.0.0.1:" + std::to_string(impostor.Port()) +
                  " within 300 ms (answers came whose authenticator does not match the shared secret: is the "
                  "secret right?)");
}

TEST(SmppRunner, ConnectsOrBindsAndUnbinds) {
    testsupport::LoopbackTcpPeer peer(SmppCentre);
    const std::string server = "127.0.0.1:" + std::to_string(peer.Port());
    EXPECT_EQ(Said(RunCheck(SmppCheck(peer.Port(), false, ""), Context())), "Success: Connected to SMPP server " + server);
    EXPECT_EQ(Said(RunCheck(SmppCheck(peer.Port(), true, "pw"), Context())),
              "Success: Bound to SMPP server " + server + " as transceiver 'esme' (server 'centre')");
    EXPECT_EQ(Said(RunCheck(SmppCheck(peer.Port(), true, "wrong"), Context())),
              "Error: SMPP server " + server + " refused to bind system ID 'esme': status 0x0000000E (invalid password)");
}

TEST(TraceRouteRunner, HopRulesOfATracedRoute) {
    using Rule = TraceRouteSettings::HopRule;
    const TraceHop router{"10.0.0.1", "gw.example.test", 2ms}, slow{"10.0.0.2", "", 700ms}, host{"10.0.0.9", "", 1ms};
    const TracedRoute route{{router, TraceHop{}, host}, true, ""};
    struct Case {
        Rule rule;
        std::string hops;
        bool resolve, hopTime;
        TracedRoute route;
        std::string said;
    } cases[] = {
        {Rule::None, "", false, true, route, "Success: h reached in 3 hops"},
        {Rule::None, "", false, true, {{router, slow}, false, ""}, "Error: h not reached within 2 hops"},
        {Rule::None, "", false, true, {{router}, false, "10.0.0.1 reports the host unreachable (code 1)"},
         "Error: h not reached within 1 hop: 10.0.0.1 reports the host unreachable (code 1)"},
        {Rule::AnyListed, "10.0.0.7, 10.0.0.1", false, true, route, "Success: h reached in 3 hops"},
        {Rule::AnyListed, "10.0.0.7", false, true, route, "Error: None of the listed hops is in the route to h"},
        {Rule::AnyListed, "GW.example.test", true, true, route, "Success: h reached in 3 hops"},
        {Rule::AnyListed, "gw.example.test", false, true, route, "Error: None of the listed hops is in the route to h"},
        {Rule::NoneListed, "10.0.0.7;10.0.0.9", false, true, route, "Error: Listed hop 10.0.0.9 is in the route to h"},
        {Rule::NoneListed, "10.0.0.7", false, true, route, "Success: h reached in 3 hops"},
        {Rule::None, "", false, true, {{slow, host}, true, ""}, "Error: Hop 1 10.0.0.2 700 ms took longer than 500 ms"},
        {Rule::None, "", false, false, {{slow, host}, true, ""}, "Success: h reached in 2 hops"},
    };
    for (const Case& c : cases) {
        TraceRouteSettings settings;
        settings.Rule = c.rule;
        settings.Hops = c.hops;
        settings.Resolve = c.resolve;
        settings.CheckHopTime = c.hopTime;
        EXPECT_EQ(Said(JudgeRoute(settings, "h", c.route)), c.said) << c.hops;
    }
}

TEST(TraceRouteRunner, TheLoopbackAddressIsOneHopAway) {
    int port = 0;
    const int v6 = testsupport::OpenLoopbackSocket(SOCK_DGRAM, port, AF_INET6);
    for (const std::string host : {"127.0.0.1", "::1"}) {
        if (host == "::1" && v6 < 0)
            continue; // no IPv6 loopback here
        CSnNodeCfg check = MakeCheck(kTypeTraceRoute);
        TraceRouteSettings settings = TraceRouteSettings::Read(check.Function);
        settings.Host = settings.Hops = host;
        settings.Rule = TraceRouteSettings::HopRule::AnyListed;
        settings.Resolve = false;
        settings.Write(check.Function);
        const CheckOutcome outcome = RunCheck(check, Context(10s));
        EXPECT_EQ(Said(outcome), "Success: " + host + " reached in 1 hop");
        EXPECT_EQ(outcome.Comment.Str().rfind("1 " + host + " ", 0), 0u) << outcome.Comment.Str();
    }
    ::close(v6);
}

TEST(ProtocolRunners, ASilentPeerEndsTheRunAtItsTimeOutOrAtTheStop) {
    int udpPort = 0;
    const int radiusSilent = testsupport::OpenLoopbackSocket(SOCK_DGRAM, udpPort);
    testsupport::LoopbackTcpPeer silent(HoldSilently);
    CSnNodeCfg ldap = MakeCheck(kTypeVBScript);
    ScriptCheckSettings script{kDirectoryScriptFile, kLdapFunction, {"127.0.0.1:" + std::to_string(silent.Port()),
                               "dc=example,dc=test", "", "", "", ""}, 900};
    script.Write(ldap.Function);
    CSnNodeCfg ldaps = ldap;
    script.Args[0] = "ldaps://" + script.Args[0];
    script.Write(ldaps.Function);
    const std::string tcp = "127.0.0.1:" + std::to_string(silent.Port());
    // A listener on the first probe's port keeps the host from reporting the probe.
    int probePort = 0;
    const int traceSilent = testsupport::OpenLoopbackSocket(SOCK_DGRAM, probePort, AF_INET, 33434);
    CSnNodeCfg trace = MakeCheck(kTypeTraceRoute);
    TraceRouteSettings traceSettings;
    traceSettings.Host = "127.0.0.1";
    traceSettings.Write(trace.Function);
    struct Case {
        CSnNodeCfg check;
        std::string timedOut;
    };
    std::vector<Case> cases = {
        {RadiusCheck(udpPort, "pw", 20000), "Error: No answer from RADIUS server 127.0.0.1:" + std::to_string(udpPort) +
                                              " within 600 ms"},
        {SmppCheck(silent.Port(), true, "pw"), "Error: No answer to bind_transceiver from SMPP server " + tcp +
                                                   " within 600 ms"},
        {ldap, "Error: No answer to the anonymous bind from LDAP server " + tcp + " within 600 ms"},
        {ldaps, "Error: No TLS handshake with LDAP server " + tcp + " within 600 ms"},
    };
    if (traceSilent >= 0)
        cases.push_back({trace, "Error: 127.0.0.1 not reached within 1 hop: the trace took longer than 600 ms"});
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Said(RunCheck(c.check, Context(600ms))), c.timedOut);
        EXPECT_LT(SecondsSince(start), 1.5);

        const auto [stopped, tookToStop] = RunStoppedAfter(c.check);
        EXPECT_EQ(stopped, "Uncertain: Check cancelled: the engine is stopping");
        EXPECT_LT(tookToStop, 0.8);
    }
    ::close(radiusSilent);
    ::close(traceSilent);
}
