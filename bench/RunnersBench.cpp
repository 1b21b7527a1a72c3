// What one check costs when its peer answers at once on the loopback interface: the
// upper bound of checks a single worker thread completes, and the cost of reading /proc
// for the local checks.
#include "LoopbackHttpServer.h"
#include "LoopbackTcpPeer.h"
#include "engine/CheckRunner.h"
#include "engine/SnmpTrapMessage.h"
#include "model/checks/CheckTypes.h"

#include <benchmark/benchmark.h>

namespace {

CSnNodeCfg Check(int type) {
    CSnNodeCfg check;
    check.Function.Type = type;
    CheckTypeDefaults(&check.Function);
    return check;
}

void RunAll(benchmark::State& state, const CSnNodeCfg& check) {
    RunContext context;
    std::int64_t failed = 0;
    for (auto _ : state) {
        const CheckOutcome outcome = RunCheck(check, context);
        failed += outcome.kind != CheckOutcome::Kind::Success;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["checks/min"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 60.0, benchmark::Counter::kIsRate);
    state.counters["failed"] = static_cast<double>(failed);
}

// A TCP-based check of `type` against a greeting listener: a plain connect (TCP/IP) or
// a connect that waits for the expected greeting (NNTP).
void BM_TcpCheck(benchmark::State& state, int type) {
    testsupport::LoopbackTcpPeer listener(testsupport::LoopbackTcpPeer::Greeting("200 ready\r\n"));
    CSnNodeCfg check = Check(type);
    check.Function.ParamServer = "127.0.0.1";
    check.Function.Param1 = CQvcString(listener.Port());
    RunAll(state, check);
}
BENCHMARK_CAPTURE(BM_TcpCheck, Connect, kTypeTcpIp)->UseRealTime();
BENCHMARK_CAPTURE(BM_TcpCheck, Response, kTypeNntp)->UseRealTime();

void BM_HttpCheck(benchmark::State& state) {
    testsupport::LoopbackHttpServer server;
    server.SetPage("/", "<html><body>ok</body></html>");
    CSnNodeCfg check = Check(kTypeHttp);
    check.Function.ParamServer = "127.0.0.1:" + std::to_string(server.Port());
    RunAll(state, check);
}
BENCHMARK(BM_HttpCheck)->UseRealTime();

void BM_ProcessCheck(benchmark::State& state) {
    CSnNodeCfg check = Check(kTypeProcess);
    check.Function.Param1 = "bench_runners";
    RunAll(state, check);
}
BENCHMARK(BM_ProcessCheck)->UseRealTime();

void BM_SnmpTrapMessage(benchmark::State& state) {
    SnmpTrapContent content;
    content.Version = 2;
    content.Community = "public";
    content.Oid = "1.3.6.1.4.1.8072.2.3.1";
    content.Value = "Backup finished";
    std::string out, why;
    for (auto _ : state) {
        BuildSnmpTrap(content, out, why);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_SnmpTrapMessage);

} // namespace
