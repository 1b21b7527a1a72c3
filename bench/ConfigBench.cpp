// The configuration store at 1,000, 10,000 and 100,000 nodes: loading every node (in
// summary mode as the Manager does, and in full as the engine does) and a structural change.
// Folders of 100 checks below the root; the checks carry realistic texts.
#include "BenchInstallation.h"
#include "model/store/SnCfg.h"

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

// One structural change as the Manager makes it: a check moved between two folders,
// which re-reads, checks, edits and writes the stored tree in one transaction and
// compares it with the in-memory tree.
void BM_MoveCheck(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    benchinstall::For(nodes);
    CSnCfg store("Bench");
    if (store.Open(true, false) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    CSnNode* root = nullptr;
    store.CreatePlaceholderRoot(root);
    if (store.LoadAllNodes(root) != 0 || CSnCfg::CountFolders(root) < 2) {
        state.SkipWithError("load failed");
        return;
    }
    CSnNode* folders[2] = {CSnCfg::CollectFolders(root, false)[0], CSnCfg::CollectFolders(root, false)[1]};
    CSnNode* check = folders[0]->ChildNode();
    int to = 1;
    for (auto _ : state) {
        const CSnCfg::TreeEdit edit = store.MoveChecks(root, folders[to], {check}, false);
        if (edit.Code != 0 || edit.Stale) {
            state.SkipWithError("move failed");
            return;
        }
        to = 1 - to;
    }
    state.counters["nodes"] = static_cast<double>(CSnCfg::CountChecks(root) + CSnCfg::CountFolders(root) + 1);
}

} // namespace

BENCHMARK(BM_LoadAllNodesSummary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllNodesFull)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveCheck)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
