// The ICMP runner against the loopback interface.  Whether an ICMP socket may be opened
// depends on the machine (net.ipv4.ping_group_range, root or CAP_NET_RAW): the tests
// accept both answers and say which one they met.
#include "RunnerTestSupport.h"
#include "engine/IcmpPingRunner.h"

#include <gtest/gtest.h>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

CSnNodeCfg Ping(const std::string& host) {
    CSnNodeCfg check = MakeCheck(kTypeIcmpPing);
    check.Function.ParamServer = host;
    return check;
}

// True when the outcome is a reply; otherwise it must be the explanation of a machine
// that allows no ICMP socket.
bool Answered(const CheckOutcome& outcome, const char* what) {
    if (outcome.kind == CheckOutcome::Kind::Uncertain &&
        outcome.Response == CIcmpPingRunner::kNotPermitted) {
        EXPECT_EQ(outcome.Comment.Str(), "Raw ICMP sockets need root or CAP_NET_RAW");
        std::printf("[ INFO     ] %s: no ICMP socket allowed here: %s\n", what, outcome.Response.c_str());
        return false;
    }
    std::printf("[ INFO     ] %s: %s\n", what, Describe(outcome).c_str());
    return true;
}

} // namespace

TEST(IcmpPingRunner, LoopbackAnswersOrTheRunSaysWhyNot) {
    const RunContext context = Context(10s);
    for (auto sockets : {CIcmpPingRunner::Sockets::DatagramOrRaw, CIcmpPingRunner::Sockets::DatagramOnly}) {
        CIcmpPingRunner runner(sockets);
        const CheckOutcome outcome = runner.Run(Ping("127.0.0.1"), context);
        const char* name = sockets == CIcmpPingRunner::Sockets::DatagramOnly ? "datagram socket only"
                                                                            : "datagram or raw socket";
        if (!Answered(outcome, name))
            continue;
        ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
        EXPECT_EQ(outcome.Response.Str().rfind("Reply from 127.0.0.1: time", 0), 0u) << outcome.Response.Str();
        EXPECT_NE(outcome.Response.Find(" TTL="), -1) << outcome.Response.Str();
        EXPECT_TRUE(outcome.Data.EndsWith(" ms")) << outcome.Data.Str();
        EXPECT_TRUE(outcome.Comment.IsEmpty()); // the first request was answered
    }
}

TEST(IcmpPingRunner, SettingsAtTheirLimitsStillGetAnswers) {
    const RunContext context = Context(10s);
    CIcmpPingRunner runner;
    CSnNodeCfg check = Ping("localhost");
    for (const char* payload : {"0", "8191"}) {
        check.Function.Param2 = "8";
        check.Function.Param3 = "1"; // the loopback interface does not count hops
        check.Function.Param4 = payload;
        const CheckOutcome outcome = runner.Run(check, context);
        if (!Answered(outcome, payload))
            return;
        EXPECT_EQ(outcome.kind, CheckOutcome::Kind::Success) << payload << ": " << Describe(outcome);
    }
}

TEST(IcmpPingRunner, HostsThatCannotBeReached) {
    CIcmpPingRunner runner;
    EXPECT_EQ(RunCheck(Ping(""), Context()).Response.Str(), "No host configured"); // through the type's runner
    ScopedNames names({}); // no name resolves, and no lookup leaves this machine
    const CheckOutcome unknown = runner.Run(Ping("no-such-host.invalid"), Context(5s));
    EXPECT_EQ(unknown.kind, CheckOutcome::Kind::Error) << Describe(unknown);
    EXPECT_EQ(unknown.Response.Str().rfind("Host 'no-such-host.invalid' could not be resolved", 0), 0u)
        << unknown.Response.Str();
}

TEST(IcmpPingRunner, Ipv6Loopback) {
    CIcmpPingRunner runner;
    const CheckOutcome outcome = runner.Run(Ping("::1"), Context(10s));
    if (!Answered(outcome, "::1"))
        return;
    if (outcome.Response.StartsWith("Echo request to ::1 could not be sent"))
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_EQ(outcome.Response.Str().rfind("Reply from ::1: time", 0), 0u) << outcome.Response.Str();
    EXPECT_NE(outcome.Response.Find(" TTL="), -1) << outcome.Response.Str();
}
