// The TCP/IP runner against peers the tests open on the loopback interface.
#include "LoopbackSockets.h"
#include "LoopbackTcpPeer.h"
#include "RunnerTestSupport.h"
#include "engine/NetworkChecks.h"
#include "engine/TcpRunner.h"

#include <poll.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

using TcpPeer = testsupport::LoopbackTcpPeer;

// Holds the connection open, saying nothing, until the test ends or the client leaves.
void HoldSilently(int fd, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd readable{fd, POLLIN, 0};
        char c;
        if (::poll(&readable, 1, 20) > 0 && ::recv(fd, &c, 1, MSG_DONTWAIT) == 0)
            return;
    }
}

CSnNodeCfg TcpCheck(int port, int type = kTypeTcpIp) {
    CSnNodeCfg check = MakeCheck(type);
    check.Function.ParamServer = "127.0.0.1";
    check.Function.Param1 = CQvcString(port);
    return check;
}

} // namespace

TEST(TcpRunner, ConnectingIsEnoughWithoutResponseOptions) {
    TcpPeer peer(HoldSilently);
    ASSERT_TRUE(peer.Listening());
    const CheckOutcome outcome = RunCheck(TcpCheck(peer.Port()), Context());
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_EQ(outcome.Response.Str().rfind("Connected to 127.0.0.1:" + std::to_string(peer.Port()) + " in ", 0), 0u)
        << outcome.Response.Str();
    EXPECT_TRUE(outcome.Data.EndsWith(" ms")) << outcome.Data.Str();

    // A refused connection is an error.
    const int port = testsupport::UnusedLoopbackPort();
    EXPECT_EQ(Describe(RunCheck(TcpCheck(port), Context())),
              "Error: Cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused [] {}");
}

TEST(TcpRunner, SendsTheTextAndFindsTheResponseIgnoringCase) {
    std::mutex mutex;
    std::string received;
    TcpPeer peer([&](int fd, const std::atomic<bool>& stop) {
        testsupport::LineConnection client{fd, stop};
        std::string first, second;
        if (client.Read(first) && client.Read(second)) {
            std::lock_guard lock(mutex);
            received = first + "\r\n" + second + "\r\n";
        }
        client.Say("* OK Hello THERE, welcome");
        HoldSilently(fd, stop);
    });
    CSnNodeCfg check = TcpCheck(peer.Port());
    check.Function.ParamByteCodes = "11";
    check.Function.Param2 = "HELLO||WORLD"; // two lines: "||" is a line break
    check.Function.Param3 = "hello there";
    const RunContext context = Context();
    const CheckOutcome outcome = RunCheck(check, context);
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_EQ(outcome.Response.Str(),
              "Response from 127.0.0.1:" + std::to_string(peer.Port()) + ": '* OK Hello THERE, welcome'");
    EXPECT_EQ(outcome.Comment.Str(), "Response includes 'hello there'");
    std::lock_guard lock(mutex);
    EXPECT_EQ(received, "HELLO\r\nWORLD\r\n");
}

TEST(TcpRunner, ResponseWithoutTheExpectedTextIsAnError) {
    TcpPeer peer(TcpPeer::Greeting("200 news.test ready\r\n"));
    CSnNodeCfg check = TcpCheck(peer.Port());
    check.Function.ParamByteCodes = "01";
    check.Function.Param3 = "IMAP";
    const RunContext context = Context();
    const CheckOutcome outcome = RunCheck(check, context);
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Error) << Describe(outcome);
    EXPECT_EQ(outcome.Response.Str(), "Response does not include 'IMAP': '200 news.test ready'");

    // A peer that closes at once without a word.
    TcpPeer mute([](int, const std::atomic<bool>&) {});
    check.Function.Param1 = CQvcString(mute.Port());
    const CheckOutcome closed = RunCheck(check, context);
    ASSERT_EQ(closed.kind, CheckOutcome::Kind::Error) << Describe(closed);
    EXPECT_NE(closed.Response.Find("closed the connection without a response"), -1) << closed.Response.Str();
}

TEST(TcpRunner, SilentPeerFailsWithinTheCheckTimeout) {
    TcpPeer peer(HoldSilently);
    CSnNodeCfg check = TcpCheck(peer.Port());
    check.Function.ParamByteCodes = "01";
    check.Function.Param3 = "ready";
    check.Function.Param4 = "700";
    const RunContext context = Context(30s);
    const auto start = std::chrono::steady_clock::now();
    const CheckOutcome outcome = RunCheck(check, context);
    const double took = SecondsSince(start);
    ASSERT_EQ(outcome.kind, CheckOutcome::Kind::Error) << Describe(outcome);
    EXPECT_EQ(outcome.Response.Str(),
              "Connected to 127.0.0.1:" + std::to_string(peer.Port()) + ", but no response within 700 ms");
    EXPECT_GE(took, 0.6);
    EXPECT_LT(took, 10.0);

    // The engine's limit wins when it is the smaller one.
    check.Function.Param4 = "60000";
    const RunContext shortContext = Context(500ms);
    const auto again = std::chrono::steady_clock::now();
    const CheckOutcome limited = RunCheck(check, shortContext);
    EXPECT_EQ(limited.kind, CheckOutcome::Kind::Error) << Describe(limited);
    EXPECT_NE(limited.Response.Find("within 500 ms"), -1) << limited.Response.Str();
    EXPECT_LT(SecondsSince(again), 10.0);

    // The engine's stop ends the wait long before either limit.
    const auto [stopped, tookToStop] = RunStoppedAfter(check, 300ms);
    EXPECT_EQ(stopped, "Uncertain: Check cancelled: the engine is stopping");
    EXPECT_LT(tookToStop, 10.0);
}

TEST(TcpRunner, HostTextsAndIpv6) {
    const RunContext context = Context(3s);
    CSnNodeCfg check = MakeCheck(kTypeTcpIp);
    EXPECT_EQ(RunCheck(check, context).kind, CheckOutcome::Kind::Uncertain) << "no host";
    check.Function.ParamServer = "[::1";
    EXPECT_EQ(RunCheck(check, context).Response.Str(), "Host '[::1' is not valid");

    TcpPeer peer(HoldSilently, AF_INET6);
    if (!peer.Listening())
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    check.Function.ParamServer = "::1";
    check.Function.Param1 = CQvcString(peer.Port());
    const CheckOutcome outcome = RunCheck(check, context);
    EXPECT_EQ(outcome.kind, CheckOutcome::Kind::Success) << Describe(outcome);
    EXPECT_NE(outcome.Response.Find("[::1]:"), -1) << outcome.Response.Str();
    // A port written with the host wins over the port field.
    check.Function.ParamServer = "[::1]:" + std::to_string(peer.Port());
    check.Function.Param1 = "1";
    EXPECT_EQ(RunCheck(check, context).kind, CheckOutcome::Kind::Success);
}

TEST(TcpRunner, ManySilentPeersDoNotHoldUpAnAnsweringCheck) {
    testsupport::SilentLoopbackListener silent;
    ASSERT_TRUE(silent.Silent());
    TcpPeer answering(TcpPeer::Greeting("200 ready\r\n"));
    constexpr std::size_t kSilentChecks = 300;
    CSnNodeCfg quiet = TcpCheck(silent.Port());
    quiet.Function.Param4 = "5000";
    const RunContext context = Context(30s);
    // Shared with the runs, which may outlive a failed test.
    struct Collected {
        std::mutex mutex;
        std::vector<std::string> responses;
        std::size_t Count() {
            std::lock_guard lock(mutex);
            return responses.size();
        }
    };
    auto collected = std::make_shared<Collected>();
    for (std::size_t i = 0; i < kSilentChecks; ++i) {
        ASSERT_TRUE(StartNetworkCheck(quiet, context, [collected](CheckOutcome outcome) {
            std::lock_guard lock(collected->mutex);
            collected->responses.push_back(outcome.Response.Str());
        }));
    }
    // All of them wait on the reactor; a check of a peer that answers still gets through.
    const CheckOutcome answered = RunCheck(TcpCheck(answering.Port()), context);
    EXPECT_EQ(answered.kind, CheckOutcome::Kind::Success) << Describe(answered);
    EXPECT_EQ(collected->Count(), 0u);

    const auto end = std::chrono::steady_clock::now() + 60s;
    while (collected->Count() < kSilentChecks && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    std::lock_guard lock(collected->mutex);
    const auto& responses = collected->responses;
    ASSERT_EQ(responses.size(), kSilentChecks);
    const std::string expected = "No connection to 127.0.0.1:" + std::to_string(silent.Port()) + " within 5000 ms";
    EXPECT_EQ(static_cast<std::size_t>(std::count(responses.begin(), responses.end(), expected)), kSilentChecks)
        << responses.front();
}
