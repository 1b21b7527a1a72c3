// The configuration store at 1,000, 10,000 and 100,000 nodes: loading every node (in
// summary mode as the Manager does, and in full as the engine does) and writing the tree.
// Folders of 100 checks below the root; the checks carry realistic texts.
#include "BenchInstallation.h"
#include "model/SnCfg.h"

#include <benchmark/benchmark.h>

namespace {

void LoadAll(benchmark::State& state, bool full) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::For(nodes);
    CSnCfg store("Bench");
    if (store.Open(true, full) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    CSnNode* root = nullptr;
    store.CreatePlaceholderRoot(root);
    long placed = 0;
    for (auto _ : state) {
        if (store.LoadAllNodes(root) != 0) {
            state.SkipWithError("load failed");
            return;
        }
        placed = CSnCfg::CountChecks(root) + CSnCfg::CountFolders(root) + 1;
    }
    state.counters["nodes"] = static_cast<double>(placed);
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(placed) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_LoadAllNodesSummary(benchmark::State& state) { LoadAll(state, false); }
void BM_LoadAllNodesFull(benchmark::State& state) { LoadAll(state, true); }

void BM_WriteTree(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::For(nodes);
    CSnCfg store("Bench");
    if (store.Open(true, false) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    CSnNode* root = nullptr;
    store.CreatePlaceholderRoot(root);
    if (store.LoadAllNodes(root) != 0) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        if (store.WriteTree(root) != 0) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.counters["nodes"] = static_cast<double>(CSnCfg::CountChecks(root) + CSnCfg::CountFolders(root) + 1);
}

} // namespace

BENCHMARK(BM_LoadAllNodesSummary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllNodesFull)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTree)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
