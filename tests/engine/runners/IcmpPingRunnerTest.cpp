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
    using Sockets = CIcmpPingRunner::Sockets;
    const struct {
        Sockets sockets;
        const char* host;
        const char* payload; // bytes; empty: the default of a new check
    } cases[] = {
        {Sockets::DatagramOrRaw, "127.0.0.1", ""}, {Sockets::DatagramOnly, "127.0.0.1", ""},
        // Settings at their limits still get answers.
        {Sockets::DatagramOrRaw, "127.0.0.1", "0"}, {Sockets::DatagramOrRaw, "127.0.0.1", "8191"},
        {Sockets::DatagramOrRaw, "::1", ""},
    };
    for (const auto& c : cases) {
        CIcmpPingRunner runner(c.sockets);
        CSnNodeCfg check = Ping(c.host);
        if (*c.payload) {
            check.Function.Param2 = "8";
            check.Function.Param3 = "1"; // the loopback interface does not count hops
            check.Function.Param4 = c.payload;
        }
        const CheckOutcome outcome = runner.Run(check, Context(10s));
        const std::string what = std::string(c.host) + " " + c.payload;
        if (!Answered(outcome, what.c_str()))
            continue;
        if (outcome.Response.StartsWith("Echo request to ::1 could not be sent"))
            continue; // no IPv6 loopback on this machine
        EXPECT_EQ(Describe(outcome).rfind(std::string("Success: Reply from ") + c.host + ": time", 0), 0u) << what;
        EXPECT_NE(outcome.Response.Find(" TTL="), -1) << outcome.Response.Str();
        EXPECT_TRUE(outcome.Data.EndsWith(" ms")) << outcome.Data.Str();
        EXPECT_TRUE(outcome.Comment.IsEmpty()); // the first request was answered
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
