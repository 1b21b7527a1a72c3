// SNMP GET runs per second on the loopback interface: against the distribution's agent
// (snmpd, started here with a throw-away configuration; skipped with a message when it is
// not installed) and against the small in-process agent of the tests, which shows the
// engine's own share of the cost.
#include "LoopbackSnmp.h"
#include "engine/CheckRunner.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <benchmark/benchmark.h>

namespace {

void RunGets(benchmark::State& state, const std::string& community, int port, const std::string& oid) {
    CSnNodeCfg check;
    check.Function.Type = kTypeSnmpGet;
    CheckTypeDefaults(&check.Function);
    SnmpGetSettings s = SnmpGetSettings::Read(check.Function);
    s.Host = "127.0.0.1";
    s.Port = port;
    s.Community = community;
    s.Oid = oid;
    s.DataType = 9;
    s.Operator1 = 5;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict" // GCC 12 false positive on assigning a literal (GCC bug 105329)
    s.Value1 = "0";
#pragma GCC diagnostic pop
    s.Write(check.Function);
    RunContext context;
    context.Timeout = std::chrono::seconds(2);
    std::int64_t failed = 0;
    for (auto _ : state)
        failed += RunCheck(check, context).kind != CheckOutcome::Kind::Success;
    state.counters["gets/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["failed"] = static_cast<double>(failed);
}

void BM_SnmpGetSnmpd(benchmark::State& state) {
    if (testsupport::LoopbackSnmpd::Program().empty()) {
        state.SkipWithError("snmpd (package snmpd) is not installed");
        return;
    }
    static testsupport::LoopbackSnmpd snmpd; // started once for every repetition
    if (!snmpd.Ready()) {
        state.SkipWithError("snmpd did not come up on the loopback interface");
        return;
    }
    RunGets(state, testsupport::LoopbackSnmpd::kCommunity, snmpd.Port(), "1.3.6.1.2.1.1.3.0");
}
BENCHMARK(BM_SnmpGetSnmpd)->UseRealTime();

void BM_SnmpGetInProcess(benchmark::State& state) {
    testsupport::LoopbackSnmpResponder agent;
    agent.Set("1.3.6.1.2.1.1.3.0", {0x43, "\x01\x02\x03"});
    RunGets(state, "public", agent.Port(), "1.3.6.1.2.1.1.3.0");
}
BENCHMARK(BM_SnmpGetInProcess)->UseRealTime();

} // namespace
