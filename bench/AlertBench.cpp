// How long alerts take to go out after a burst of failures: 1,000 checks that answer at
// once (every second) all fail in the same pass, and each failure is mailed through the
// real e-mail channel to a loopback SMTP server.  The figures: seconds from the failure
// to the last alert delivered at the server, the mails that carried them, and the checks
// the engine completed per second meanwhile (the burst must not hold checking up).  With
// a batch window of 0 every alert is its own mail; with 2000 ms alerts to the same
// recipients share mails.
#include "BenchInstallation.h"
#include "LoopbackSmtpSink.h"
#include "engine/Engine.h"
#include "engine/alerting/DefaultChannels.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/store/SnCfg.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kNodes = 1010; // 10 folders of 100 checks

std::size_t AlertsDelivered(const testsupport::LoopbackSmtpSink& sink) {
    std::size_t alerts = 0;
    for (const auto& message : sink.Messages()) {
        for (std::size_t at = message.Data.find("Check: "); at != std::string::npos;
             at = message.Data.find("Check: ", at + 1))
            ++alerts;
    }
    return alerts;
}

void BM_AlertBurst(benchmark::State& state) {
    benchinstall::Installation& inst = benchinstall::For(kNodes);
    inst.Sql("UPDATE Nodes SET ScanInterval = 1, Dependencies = '' WHERE Type <> 1");
    testsupport::LoopbackSmtpSink sink;
    {
        CSnCfg store("Bench");
        CSnSmtpSettings smtp;
        if (store.Open(true, false) != 0 || smtp.Read(store) != 0) {
            state.SkipWithError("cannot open the configuration");
            return;
        }
        smtp.Server1 = "127.0.0.1";
        smtp.Port1 = sink.Port();
        smtp.SenderAddress1 = "bench@example.test";
        smtp.LogFile = "";
        smtp.Write(store);
    }
    auto failing = std::make_shared<std::atomic<bool>>(false);
    auto runs = std::make_shared<std::atomic<long>>(0);
    EngineServices services;
    services.RunCheck = [failing, runs](const CSnNodeCfg&, const RunContext&) {
        ++*runs;
        return *failing ? CheckOutcome::Error("Refused") : CheckOutcome::Success("Answered");
    };
    services.AlertChannels = DefaultAlertChannels();
    EngineOptions options;
    options.Root = CQvcString(inst.Root());
    options.Alerts.BatchWindow = std::chrono::milliseconds(state.range(0));
    CEngine engine(options, services);
    CQvcString message;
    if (engine.Start(message) != 0) {
        state.SkipWithError(message.c_str());
        return;
    }
    std::thread loop([&engine] { engine.Run(); });
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::size_t checks = engine.CheckCount();
    double seconds = 0;
    long checked = 0;
    for (auto _ : state) {
        const long before = runs->load();
        const auto begin = std::chrono::steady_clock::now();
        *failing = true;
        while (AlertsDelivered(sink) < checks &&
               std::chrono::steady_clock::now() - begin < std::chrono::minutes(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        checked = runs->load() - before;
    }
    engine.RequestStop();
    loop.join();
    state.counters["alerts"] = static_cast<double>(AlertsDelivered(sink));
    state.counters["mails"] = static_cast<double>(sink.Messages().size());
    state.counters["s to last"] = seconds;
    state.counters["checks/s"] = static_cast<double>(checked) / seconds;
}

} // namespace

BENCHMARK(BM_AlertBurst)->Arg(0)->Arg(2000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
