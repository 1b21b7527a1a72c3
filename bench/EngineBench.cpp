// The engine's throughput: how many checks one engine completes per minute when every
// check is always due (interval 1 s), counted over a window of real time.
//  - BM_EnginePipeline: a runner that answers at once, so the figure is the engine's own
//    cost (scheduling, the status pipeline, the batched result file) at 1,000 and 10,000
//    checks.
//  - BM_EngineTcpLoopback: the real TCP/IP runner connecting to a listener on 127.0.0.1
//    (which accepts, greets and closes), so the figure is what one engine completes of
//    the cheapest network check on this machine, with the default 32 workers.
#include "BenchInstallation.h"
#include "LoopbackTcpPeer.h"
#include "engine/Engine.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr auto kWarmUp = std::chrono::seconds(3);
constexpr auto kWindow = std::chrono::seconds(10);

// Runs the engine on its own thread and counts the runs that end within the window.
void MeasureChecksPerMinute(benchmark::State& state, const std::string& root, EngineServices services,
                            std::size_t workers, const std::shared_ptr<std::atomic<long>>& runs) {
    EngineOptions options;
    options.Root = CQvcString(root);
    options.Workers = workers;
    CEngine engine(options, std::move(services));
    CQvcString message;
    if (engine.Start(message) != 0) {
        state.SkipWithError(message.c_str());
        return;
    }
    std::thread loop([&engine] { engine.Run(); });
    std::this_thread::sleep_for(kWarmUp);
    double perMinute = 0;
    for (auto _ : state) {
        const long before = runs->load();
        const auto begin = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kWindow);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        perMinute = static_cast<double>(runs->load() - before) / seconds * 60.0;
    }
    engine.RequestStop();
    loop.join();
    state.counters["checks/min"] = perMinute;
    state.counters["checks"] = static_cast<double>(engine.CheckCount());
}

void BM_EnginePipeline(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::Installation& inst = benchinstall::For(nodes);
    inst.Sql("UPDATE Nodes SET ScanInterval = 1 WHERE Type <> 1");
    auto runs = std::make_shared<std::atomic<long>>(0);
    EngineServices services;
    services.RunCheck = [runs](const CSnNodeCfg&, const RunContext&) {
        ++*runs;
        CheckOutcome outcome = CheckOutcome::Success("Answered at once", "0 ms");
        outcome.DurationSecs = 0;
        return outcome;
    };
    MeasureChecksPerMinute(state, inst.Root(), services, 32, runs);
}

void BM_EngineTcpLoopback(benchmark::State& state) {
    testsupport::LoopbackTcpPeer listener(testsupport::LoopbackTcpPeer::Greeting("220 ready\r\n"));
    if (!listener.Listening()) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return;
    }
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::Installation& inst = benchinstall::For(nodes);
    // Every check a TCP/IP check of the listener, connecting only, every second.
    inst.Sql("UPDATE Nodes SET Type = 30, ScanInterval = 1, ParamServer = '127.0.0.1', Param1 = '" +
             std::to_string(listener.Port()) + "', Param2 = '', Param3 = '', Param4 = '5000', ParamByteCodes = '00' "
             "WHERE Type <> 1");
    auto runs = std::make_shared<std::atomic<long>>(0);
    auto failures = std::make_shared<std::atomic<long>>(0);
    EngineServices services = DefaultEngineServices();
    services.RunCheck = [runs, failures, run = services.RunCheck](const CSnNodeCfg& check, const RunContext& context) {
        CheckOutcome outcome = run(check, context);
        ++*runs;
        if (outcome.kind != CheckOutcome::Kind::Success)
            ++*failures;
        return outcome;
    };
    MeasureChecksPerMinute(state, inst.Root(), services, 32, runs);
    state.counters["failed"] = static_cast<double>(failures->load());
    state.counters["accepted"] = static_cast<double>(listener.Accepted());
}

} // namespace

BENCHMARK(BM_EngineTcpLoopback)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_EnginePipeline)->Arg(1000)->Arg(10000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
