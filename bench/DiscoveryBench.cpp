// Hosts scanned per second by IP discovery: a /24 of loopback addresses
// (127.0.1.1-127.0.1.254) probed on one TCP port, with listeners on three of them.  The
// whole scan counts, from Start to the end message, so the workers' first tick (850 ms)
// and the discovery thread's tick that notices the end (up to 1 s) are part of the
// figure; the probes alone are measured beside it.
#include "LoopbackSockets.h"
#include "library/QvcMessageQueue.h"
#include "model/checks/HostList.h"
#include "model/discovery/Discovery.h"
#include "model/discovery/HostProbe.h"
#include "platform/UniqueFd.h"

#include <benchmark/benchmark.h>

namespace {

struct LoopbackSubnet {
    std::vector<CQvcString> Hosts;
    int Port = 0;
    std::vector<platform::UniqueFd> Listeners;

    LoopbackSubnet() {
        ExpandIPRange("127.0.1.1", "127.0.1.254", Hosts);
        for (const char* address : {"127.0.1.10", "127.0.1.100", "127.0.1.200"})
            Listeners.emplace_back(testsupport::OpenListenerAt(address, Port));
        for (const auto& listener : Listeners)
            ::fcntl(listener.Get(), F_SETFL, O_NONBLOCK);
    }
    // Accepts and closes the probes' connections, so that the listeners' queues never fill.
    void Drain() const {
        for (const auto& listener : Listeners)
            while (platform::UniqueFd(::accept(listener.Get(), nullptr, nullptr))) {
            }
    }
};

void Report(benchmark::State& state, std::size_t hosts, std::int64_t answered) {
    state.counters["hosts/s"] = benchmark::Counter(static_cast<double>(state.iterations() * hosts),
                                                   benchmark::Counter::kIsRate);
    state.counters["answered"] = static_cast<double>(answered) / static_cast<double>(state.iterations());
}

void BM_DiscoverTcpScan(benchmark::State& state) {
    LoopbackSubnet subnet;
    std::int64_t answered = 0;
    for (auto _ : state) {
        CQvcMessageQueue queue;
        CThreadDiscoverIP scan;
        scan.Start(&queue, subnet.Hosts, subnet.Port, false, 0);
        for (QvcMessage message; queue.WaitForMessage(message, std::chrono::seconds(60));)
            if (message.message == kMsgDiscoverIPEnded)
                break;
        answered += static_cast<std::int64_t>(scan.TakeHosts().size());
        subnet.Drain();
    }
    Report(state, subnet.Hosts.size(), answered);
}
BENCHMARK(BM_DiscoverTcpScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_TcpProbesOnly(benchmark::State& state) {
    LoopbackSubnet subnet;
    std::int64_t answered = 0;
    for (auto _ : state) {
        for (const CQvcString& host : subnet.Hosts)
            answered += ProbeTcpPort(host.Str(), subnet.Port, kProbeTimeout, {}) >= 0;
        subnet.Drain();
    }
    Report(state, subnet.Hosts.size(), answered);
}
BENCHMARK(BM_TcpProbesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
