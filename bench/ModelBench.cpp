// Speed of the check models on configurations of realistic size.
#include "model/checks/HostList.h"
#include "model/schedule/SnCfgScheduleList.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnDependencyCalculator.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeWalk.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

// A root with `folders` folders of `perFolder` checks; every check depends on the check
// before it, on its own folder and on the first check (the one router all hosts sit behind).
struct Configuration {
    std::vector<std::unique_ptr<CSnNode>> nodes;
    CSnNode* root = nullptr;

    Configuration(int folders, int perFolder) {
        root = Add(1, kTypeFolder);
        CSnNode* lastFolder = nullptr;
        std::int32_t id = 10000;
        for (int f = 0; f < folders; ++f) {
            CSnNode* folder = Add(100 + f, kTypeFolder);
            (lastFolder ? lastFolder->Cfg.Next.Node : root->Cfg.Child.Node) = folder;
            lastFolder = folder;
            CSnNode* last = nullptr;
            for (int c = 0; c < perFolder; ++c, ++id) {
                CSnNode* check = Add(id, 10);
                check->Cfg.Action.Dependencies.Format("%d;%d;10000", static_cast<int>(id - 1), 100 + f);
                (last ? last->Cfg.Next.Node : folder->Cfg.Child.Node) = check;
                last = check;
            }
        }
    }
    CSnNode* Add(std::int32_t id, std::int32_t type) {
        nodes.push_back(std::make_unique<CSnNode>());
        nodes.back()->Cfg.ID = id;
        nodes.back()->Cfg.Function.Type = type;
        return nodes.back().get();
    }
};

// Processor time of this thread, which a loaded machine does not inflate as it does wall time.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The calculation beside its yardstick: one walk of the tree that indexes every node by ID.
void BM_DependencyCalculator(benchmark::State& state) {
    Configuration cfg(static_cast<int>(state.range(0)) / 50, 50);
    CSnCfg store; // the calculator finds nodes with the store's search; no database needed
    double seconds = 0, processor = 0, yardstick = 0;
    for (auto _ : state) {
        auto begin = std::chrono::steady_clock::now();
        const double cpuBegin = ThreadSeconds();
        CSnDependencyCalculator calculator("CSnDependencyCalculator");
        calculator.Calculate(store, cfg.root);
        processor += ThreadSeconds() - cpuBegin;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        begin = std::chrono::steady_clock::now();
        std::unordered_map<std::int32_t, CSnNode*> byId;
        ::WalkTree(cfg.root, [&](CSnNode* node, int) {
            byId.try_emplace(static_cast<std::int32_t>(node->Id()), node);
            return WalkStep::Continue;
        });
        benchmark::DoNotOptimize(byId.size());
        yardstick += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["nodes"] = static_cast<double>(cfg.nodes.size());
    state.counters["ms"] = 1000.0 * seconds / runs;
    state.counters["cpu ms"] = 1000.0 * processor / runs;
    state.counters["yardstick ms"] = 1000.0 * yardstick / runs;
}
BENCHMARK(BM_DependencyCalculator)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One search by ID that walks the whole tree (the ID is not in it).
void BM_FindNodeMissing(benchmark::State& state) {
    Configuration cfg(static_cast<int>(state.range(0)) / 50, 50);
    for (auto _ : state)
        benchmark::DoNotOptimize(CSnCfg::FindNode(cfg.root, 4242));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(cfg.nodes.size()));
}
BENCHMARK(BM_FindNodeMissing)->Arg(5000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ExpandWholeRange(benchmark::State& state) {
    std::vector<CQvcString> out;
    for (auto _ : state) {
        ExpandIPRange("10.1.0.0", "10.1.255.255", out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["addresses"] = static_cast<double>(out.size());
}
BENCHMARK(BM_ExpandWholeRange)->Unit(benchmark::kMillisecond);

void BM_ScheduleListEntries(benchmark::State& state) {
    CSnCfgScheduleList list;
    CSnCfgSchedule entry;
    entry.Days[1] = 1;
    for (int i = 1; i <= CSnCfgScheduleList::kMaxEntries; ++i) {
        entry.Time = 3600 * i;
        list.Append(entry);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Entries());
}
BENCHMARK(BM_ScheduleListEntries);

} // namespace
