// The engine's throughput: how many checks one engine completes per minute when every
// check is always due (interval 1 s), counted over a window of real time.
//  - BM_EnginePipeline: a runner that answers at once, so the figure is the engine's own
//    cost (scheduling, the status pipeline, the batched result file) at 1,000 and 10,000
//    checks.
//  - BM_EngineTcpLoopback: the real TCP/IP runner connecting to a listener on 127.0.0.1
//    (which accepts, greets and closes), so the figure is what one engine completes of
//    the cheapest network check on this machine, with the default 32 workers.
//  - BM_EngineSilentPeers: most checks connect to a loopback listener that never answers
//    (its backlog is full, so SYNs are dropped) with a 10 s time-out, every second; a few
//    connect to one that answers, every 2 s.  The figure is the answering checks' runs
//    achieved against those scheduled, with the checks waiting on the network reactor
//    (reactor=1) and, for comparison, each holding a worker as before (reactor=0).
//  - BM_EngineIdleAtScale: 100,000 checks every hour with a runner that answers at once;
//    after the first round, the resident memory per check (growth of the process since
//    before the start, divided by the checks) and the processor time the idle engine uses.
//  - BM_EngineReloadPause: checks that are always due with a runner that answers at once;
//    the longest gap between two ended runs while the engine reloads its configuration
//    (as after a Manager's change), beside the longest gap in as long a time without one.
#include "BenchInstallation.h"
#include "LoopbackTcpPeer.h"
#include "engine/Engine.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr auto kWarmUp = std::chrono::seconds(3);
constexpr auto kWindow = std::chrono::seconds(10);

// An engine running on its own thread after the warm-up, stopped and joined when it goes;
// `Error()` says why it did not start.
class CRunningEngine {
public:
    CRunningEngine(EngineOptions options, EngineServices services) : m_engine(std::move(options), std::move(services)) {
        CQvcString message;
        if (m_engine.Start(message) != 0) {
            m_error = message.Str().empty() ? "the engine did not start" : message.Str();
            return;
        }
        m_loop = std::thread([this] { m_engine.Run(); });
        std::this_thread::sleep_for(kWarmUp);
    }
    ~CRunningEngine() {
        if (!m_loop.joinable())
            return;
        m_engine.RequestStop();
        m_loop.join();
    }
    CRunningEngine(const CRunningEngine&) = delete;
    CRunningEngine& operator=(const CRunningEngine&) = delete;
    const std::string& Error() const { return m_error; }
    CEngine* operator->() { return &m_engine; }

private:
    CEngine m_engine;
    std::thread m_loop;
    std::string m_error;
};

// Runs the engine on its own thread and counts the runs that end within the window.
void MeasureChecksPerMinute(benchmark::State& state, const std::string& root, EngineServices services,
                            std::size_t workers, const std::shared_ptr<std::atomic<long>>& runs) {
    EngineOptions options;
    options.Root = CQvcString(root);
    options.Workers = workers;
    CRunningEngine engine(options, std::move(services));
    if (!engine.Error().empty()) {
        state.SkipWithError(engine.Error().c_str());
        return;
    }
    double perMinute = 0;
    for (auto _ : state) {
        const long before = runs->load();
        const auto begin = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kWindow);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        perMinute = static_cast<double>(runs->load() - before) / seconds * 60.0;
    }
    state.counters["checks/min"] = perMinute;
    state.counters["checks"] = static_cast<double>(engine->CheckCount());
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
    // The checks run on the network reactor: count them as they end there.
    services.StartCheck = [runs, failures, start = services.StartCheck](const CSnNodeCfg& check,
                                                                        const RunContext& context,
                                                                        std::function<void(CheckOutcome)> done) {
        return start(check, context, [runs, failures, done](CheckOutcome outcome) {
            ++*runs;
            if (outcome.kind != CheckOutcome::Kind::Success)
                ++*failures;
            done(std::move(outcome));
        });
    };
    MeasureChecksPerMinute(state, inst.Root(), services, 32, runs);
    state.counters["failed"] = static_cast<double>(failures->load());
    state.counters["accepted"] = static_cast<double>(listener.Accepted());
}

// Resident memory of this process, in bytes.
double ResidentBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_EngineSilentPeers(benchmark::State& state) {
    const bool reactor = state.range(0) != 0;
    testsupport::SilentLoopbackListener silent;
    testsupport::LoopbackTcpPeer answering(testsupport::LoopbackTcpPeer::Greeting("220 ready\r\n"));
    if (!silent.Silent() || !answering.Listening()) {
        state.SkipWithError("cannot set up the loopback listeners");
        return;
    }
    constexpr int kNodes = 2100;
    benchinstall::Installation& inst = benchinstall::For(kNodes);
    // One check in twenty answers (every 2 s); the others wait 10 s for nothing, every
    // second.  No dependencies: the failing checks would stand in for the others' runs.
    inst.Sql("UPDATE Nodes SET Type = 30, ScanInterval = 1, ParamServer = '127.0.0.1', Param1 = '" +
             std::to_string(silent.Port()) + "', Param2 = '', Param3 = '', Param4 = '10000', ParamByteCodes = '00', "
             "Dependencies = '' WHERE Type <> 1");
    inst.Sql("UPDATE Nodes SET ScanInterval = 2, Param1 = '" + std::to_string(answering.Port()) +
             "', Param4 = '5000' WHERE Type <> 1 AND ID % 20 = 0");
    const std::string answeringPort = std::to_string(answering.Port());
    auto answered = std::make_shared<std::atomic<long>>(0);
    auto silentEnded = std::make_shared<std::atomic<long>>(0);
    auto failed = std::make_shared<std::atomic<long>>(0);
    EngineServices services = DefaultEngineServices();
    const auto count = [answered, silentEnded, failed, answeringPort](const CSnNodeCfg& check,
                                                                      const CheckOutcome& outcome) {
        if (check.Function.Param1.Str() != answeringPort)
            ++*silentEnded;
        else if (outcome.kind == CheckOutcome::Kind::Success)
            ++*answered;
        else
            ++*failed;
    };
    if (reactor) {
        services.StartCheck = [count, start = services.StartCheck](const CSnNodeCfg& check, const RunContext& context,
                                                                   std::function<void(CheckOutcome)> done) {
            return start(check, context, [count, check, done](CheckOutcome outcome) {
                count(check, outcome);
                done(std::move(outcome));
            });
        };
    } else {
        services.StartCheck = nullptr;
    }
    services.RunCheck = [count, run = services.RunCheck](const CSnNodeCfg& check, const RunContext& context) {
        CheckOutcome outcome = run(check, context);
        count(check, outcome);
        return outcome;
    };

    EngineOptions options;
    options.Root = CQvcString(inst.Root());
    CEngine engine(options, std::move(services));
    CQvcString message;
    if (engine.Start(message) != 0) {
        state.SkipWithError(message.c_str());
        return;
    }
    std::size_t answeringChecks = 0;
    for (int id = 10000; id < 10000 + kNodes; ++id)
        answeringChecks += (engine.Check(id) != nullptr && id % 20 == 0) ? 1 : 0;
    std::thread loop([&engine] { engine.Run(); });
    std::this_thread::sleep_for(kWarmUp);
    double achieved = 0, scheduled = 0;
    for (auto _ : state) {
        const long before = answered->load();
        const auto begin = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(20));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        achieved = static_cast<double>(answered->load() - before);
        scheduled = seconds / 2.0 * static_cast<double>(answeringChecks);
    }
    engine.RequestStop();
    loop.join();
    state.counters["answering"] = static_cast<double>(answeringChecks);
    state.counters["silent"] = static_cast<double>(engine.CheckCount() - answeringChecks);
    state.counters["runs"] = achieved;
    state.counters["scheduled"] = scheduled;
    state.counters["kept %"] = scheduled > 0 ? 100.0 * achieved / scheduled : 0;
    state.counters["silent ended"] = static_cast<double>(silentEnded->load());
    state.counters["answering failed"] = static_cast<double>(failed->load());
}

void BM_EngineIdleAtScale(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::Installation& inst = benchinstall::For(nodes);
    inst.Sql("UPDATE Nodes SET ScanInterval = 3600 WHERE Type <> 1");
    auto runs = std::make_shared<std::atomic<long>>(0);
    EngineServices services;
    services.RunCheck = [runs](const CSnNodeCfg&, const RunContext&) {
        ++*runs;
        CheckOutcome outcome = CheckOutcome::Success("Answered at once", "0 ms");
        outcome.DurationSecs = 0;
        return outcome;
    };
    EngineOptions options;
    options.Root = CQvcString(inst.Root());
    const double residentBefore = ResidentBytes();
    CEngine engine(options, std::move(services));
    CQvcString message;
    if (engine.Start(message) != 0) {
        state.SkipWithError(message.c_str());
        return;
    }
    std::thread loop([&engine] { engine.Run(); });
    // The first round: every check runs once.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (runs->load() < static_cast<long>(engine.CheckCount()) && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The last results written, and the engine's minutely return of free memory done.
    std::this_thread::sleep_for(std::chrono::seconds(65));
    const double resident = ResidentBytes();
    double cpuShare = 0;
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(20));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        cpuShare = (CpuSeconds() - cpuBefore) / seconds;
    }
    engine.RequestStop();
    loop.join();
    state.counters["checks"] = static_cast<double>(engine.CheckCount());
    state.counters["first round runs"] = static_cast<double>(runs->load());
    state.counters["bytes/check"] = (resident - residentBefore) / static_cast<double>(engine.CheckCount());
    state.counters["idle core %"] = 100.0 * cpuShare;
}

// The longest time in which no run ended, sampled every 2 ms over `window`.
double LongestGapMs(const std::atomic<std::int64_t>& lastRun, std::chrono::milliseconds window) {
    const auto end = std::chrono::steady_clock::now() + window;
    std::int64_t longest = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
        longest = std::max(longest, now - lastRun.load());
    }
    return static_cast<double>(longest) / 1e6;
}

void BM_EngineReloadPause(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::Installation& inst = benchinstall::For(nodes);
    inst.Sql("UPDATE Nodes SET ScanInterval = 1 WHERE Type <> 1");
    auto lastRun = std::make_shared<std::atomic<std::int64_t>>(0);
    EngineServices services;
    services.RunCheck = [lastRun](const CSnNodeCfg&, const RunContext&) {
        lastRun->store(std::chrono::steady_clock::now().time_since_epoch().count());
        CheckOutcome outcome = CheckOutcome::Success("Answered at once", "0 ms");
        outcome.DurationSecs = 0;
        return outcome;
    };
    EngineOptions options;
    options.Root = CQvcString(inst.Root());
    options.BackgroundLoads = true;
    CRunningEngine engine(options, std::move(services));
    if (!engine.Error().empty()) {
        state.SkipWithError(engine.Error().c_str());
        return;
    }
    double pause = 0, steady = 0;
    for (auto _ : state) {
        steady = LongestGapMs(*lastRun, std::chrono::seconds(5));
        engine->RequestReload();
        pause = LongestGapMs(*lastRun, std::chrono::seconds(5));
    }
    state.counters["checks"] = static_cast<double>(engine->CheckCount());
    state.counters["reload pause ms"] = pause;
    state.counters["steady gap ms"] = steady;
}

} // namespace

BENCHMARK(BM_EngineReloadPause)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_EngineSilentPeers)->Arg(1)->Arg(0)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_EngineIdleAtScale)->Arg(100000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_EngineTcpLoopback)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_EnginePipeline)->Arg(1000)->Arg(10000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
