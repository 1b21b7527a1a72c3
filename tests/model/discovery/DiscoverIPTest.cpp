#include "model/discovery/Discovery.h"

#include "LoopbackSockets.h"
#include "library/QvcMessageQueue.h"
#include "model/checks/HostList.h"
#include "platform/UniqueFd.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<CQvcString> Numbered(int count) {
    std::vector<CQvcString> hosts;
    for (int i = 1; i <= count; ++i)
        hosts.push_back(std::string(1, 'h') += std::to_string(i));
    return hosts;
}

std::vector<std::size_t> Sizes(const std::vector<std::vector<CQvcString>>& lists) {
    std::vector<std::size_t> sizes;
    for (const auto& list : lists)
        sizes.push_back(list.size());
    return sizes;
}

// What one scan reported until its end message.
struct ScanReport {
    std::vector<CDiscoveredHost> Hosts; // in address order
    QvcMessage LastProgress;
    bool Ended = false;
};

ScanReport Collect(CThreadDiscoverIP& scan, CQvcMessageQueue& queue, std::chrono::milliseconds limit = 20s) {
    ScanReport report;
    for (QvcMessage message; !report.Ended && queue.WaitForMessage(message, limit);) {
        if (message.message == kMsgDiscoverProgress)
            report.LastProgress = message;
        report.Ended = message.message == kMsgDiscoverIPEnded;
    }
    report.Hosts = scan.TakeHosts();
    std::sort(report.Hosts.begin(), report.Hosts.end(),
              [](const CDiscoveredHost& a, const CDiscoveredHost& b) { return a.Name.Str() < b.Name.Str(); });
    return report;
}

} // namespace

TEST(DiscoverIP, DealsHostsToTheWorkersInTurn) {
    const struct {
        int Hosts, Workers;
        std::vector<std::size_t> Sizes;
    } cases[] = {
        {30, 12, {3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2}},
        {5, 12, {1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {0, 12, std::vector<std::size_t>(12, 0)},
        {24, 12, std::vector<std::size_t>(12, 2)},
        {3, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sizes(CThreadDiscoverIP::Deal(Numbered(c.Hosts), c.Workers)), c.Sizes) << c.Hosts << " hosts";
    // Host 1 to list 1, host 13 to list 1 again.
    const auto lists = CThreadDiscoverIP::Deal(Numbered(30), 12);
    EXPECT_EQ(lists[0], (std::vector<CQvcString>{"h1", "h13", "h25"}));
    EXPECT_EQ(lists[11], (std::vector<CQvcString>{"h12", "h24"}));
}

// Only the loopback addresses that listen on the port answer; every host is probed once
// and the end message comes after the results.
TEST(DiscoverIP, PortScanOfALoopbackRangeFindsExactlyTheListeners) {
    int port = 0;
    platform::UniqueFd first(testsupport::OpenListenerAt("127.0.0.3", port));
    platform::UniqueFd second(testsupport::OpenListenerAt("127.0.0.17", port));
    platform::UniqueFd last(testsupport::OpenListenerAt("127.0.0.40", port));
    ASSERT_TRUE(first && second && last) << "loopback listeners on one port";
    std::vector<CQvcString> hosts;
    ASSERT_EQ(ExpandIPRange("127.0.0.1", "127.0.0.40", hosts), 0);

    CQvcMessageQueue queue;
    CThreadDiscoverIP scan;
    const auto started = Clock::now();
    ASSERT_GE(scan.Start(&queue, hosts, port, false, 0), 0);
    const ScanReport report = Collect(scan, queue);
    ASSERT_TRUE(report.Ended);
    EXPECT_LT(Clock::now() - started, 5s);
    std::vector<CQvcString> names;
    for (const CDiscoveredHost& host : report.Hosts) {
        names.push_back(host.Name);
        EXPECT_EQ(host.Port, port);
        EXPECT_GE(host.ResponseMs, 0);
    }
    EXPECT_EQ(names, (std::vector<CQvcString>{"127.0.0.17", "127.0.0.3", "127.0.0.40"}));
    EXPECT_EQ(report.LastProgress.wparam, 40u);
    EXPECT_EQ(report.LastProgress.lparam, 40);
}

// Every probe hangs on a listener that drops the SYNs: a stop in the middle must not wait
// for the probes' time-outs, let alone for the rest of the list.
TEST(DiscoverIP, StopInTheMiddleOfAScanEndsWithinASecond) {
    testsupport::SilentLoopbackListener silent;
    if (!silent.Silent())
        GTEST_SKIP() << "the loopback listener's backlog could not be filled";
    CQvcMessageQueue queue;
    CThreadDiscoverIP scan;
    ASSERT_GE(scan.Start(&queue, std::vector<CQvcString>(120, "127.0.0.1"), silent.Port(), false, 0), 0);
    // The workers' first tick comes 850 ms after the start: they are now 100 ms into their
    // first probes, with 650 ms of time-out left and a scan of 7.5 seconds ahead.
    QvcMessage early;
    EXPECT_FALSE(queue.WaitForMessage(early, 950ms)) << early.message;
    const auto stopAt = Clock::now();
    scan.Stop(0);
    const ScanReport report = Collect(scan, queue, 5s);
    EXPECT_TRUE(report.Ended);
    EXPECT_LT(Clock::now() - stopAt, 450ms);
    EXPECT_TRUE(report.Hosts.empty());
}

TEST(DiscoverIP, PingOfLoopbackAnswersWithItsName) {
    if (!CThreadDiscoverIP::PingPermitted())
        GTEST_SKIP() << "this user may open no ICMP socket (net.ipv4.ping_group_range, no raw socket)";
    CQvcMessageQueue queue;
    CThreadDiscoverIP scan;
    ASSERT_GE(scan.Start(&queue, {"127.0.0.1"}, 0, true, 0), 0);
    const ScanReport report = Collect(scan, queue);
    ASSERT_TRUE(report.Ended);
    ASSERT_EQ(report.Hosts.size(), 1u);
    EXPECT_EQ(report.Hosts[0].Name, "127.0.0.1");
    EXPECT_EQ(report.Hosts[0].Port, 0);
    EXPECT_GE(report.Hosts[0].ResponseMs, 0);
    EXPECT_FALSE(report.Hosts[0].FullName.IsEmpty()) << "127.0.0.1 has a name in every system's hosts file";
}
