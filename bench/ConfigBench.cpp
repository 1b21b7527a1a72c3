// The configuration store at 1,000, 10,000 and 100,000 nodes: loading every node (in
// summary mode as the Manager does, and in full as the engine does) and a structural change.
// Folders of 100 checks below the root; the checks carry realistic texts.  Each figure is
// printed beside its yardstick, measured in the same run: the same rows read with one
// `SELECT *` into plain structs, or written with one prepared statement in one transaction.
#include "BenchInstallation.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/SnCheckCreator.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "platform/Registry.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// Our figure and the yardstick's, both in milliseconds, and our rate as a share of its.
void Beside(benchmark::State& state, double seconds, double yardstick) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms"] = 1000.0 * seconds / runs;
    state.counters["yardstick ms"] = 1000.0 * yardstick / runs;
    state.counters["% of yardstick rate"] = seconds > 0 ? 100.0 * yardstick / seconds : 0;
}

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
    double seconds = 0, yardstick = 0;
    const std::string file = benchinstall::For(nodes).ConfigFile();
    std::vector<benchinstall::Row> rows;
    // Both once untimed: the process has the memory of one load, as a running one has.
    store.LoadAllNodes(root);
    benchinstall::SelectRows(file, "SELECT * FROM Nodes", rows);
    for (auto _ : state) {
        auto begin = std::chrono::steady_clock::now();
        if (store.LoadAllNodes(root) != 0) {
            state.SkipWithError("load failed");
            return;
        }
        seconds += SecondsSince(begin);
        placed = CSnCfg::CountChecks(root) + CSnCfg::CountFolders(root) + 1;
        begin = std::chrono::steady_clock::now();
        benchinstall::SelectRows(file, "SELECT * FROM Nodes", rows);
        benchmark::DoNotOptimize(rows.data());
        yardstick += SecondsSince(begin);
    }
    Beside(state, seconds, yardstick);
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

// `sentrelle add-checks` of that many hosts into a folder of a fresh installation, through
// the creation loop; the yardstick inserts the rows it made into another fresh one.
void BM_CreateChecks(benchmark::State& state) {
    const int checks = static_cast<int>(state.range(0));
    CServerList hosts;
    for (int i = 0; i < checks; ++i)
        hosts.Append(CQvcString("host-" + std::to_string(i) + ".example.test"));
    double seconds = 0, yardstick = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto made = std::make_unique<benchinstall::Installation>(2);
        const std::string key = std::string(kProductKey) + "\\Manager";
        platform::RegEnsureKey(platform::Hive::LocalMachine, key.c_str());
        platform::RegSetDword(platform::Hive::LocalMachine, key.c_str(), "MaxCreateChecks", 1000000);
        platform::RegSetDword(platform::Hive::LocalMachine, key.c_str(), "MaxTotalChecks", 1000000);
        long firstId = 0;
        {
            CSnCfg store("Bench");
            CSnNode* root = nullptr;
            if (store.Open() != 0 || store.LoadAllNodes(root) != 0) {
                state.SkipWithError("open failed");
                return;
            }
            CSnCheckCreator creator(store);
            CSnNode* check = nullptr;
            if (creator.NewCheck(check) != 0) {
                state.SkipWithError("no new check");
                return;
            }
            firstId = check->Id();
            creator.SetType(*check, kTypeIcmpPing);
            check->Cfg.Name = "<HOSTS> - ICMP Ping";
            const auto begin = std::chrono::steady_clock::now();
            const CSnCheckCreator::Result result =
                creator.Create(root, CSnCfg::FindNode(root, 10000), check, hosts);
            seconds += SecondsSince(begin);
            if (!result.Ok() || static_cast<int>(result.Created.size()) != checks) {
                state.SkipWithError(result.Message.c_str());
                return;
            }
        }
        std::vector<benchinstall::Row> rows;
        benchinstall::SelectRows(made->ConfigFile(),
                                 "SELECT * FROM Nodes WHERE ID >= " + std::to_string(firstId), rows);
        made = std::make_unique<benchinstall::Installation>(2);
        const auto begin = std::chrono::steady_clock::now();
        benchinstall::InsertRows(made->ConfigFile(), "Nodes", rows);
        yardstick += SecondsSince(begin);
        made.reset();
        state.ResumeTiming();
    }
    Beside(state, seconds, yardstick);
    state.counters["checks/s"] = seconds > 0 ? checks * static_cast<double>(state.iterations()) / seconds : 0;
}

} // namespace

BENCHMARK(BM_CreateChecks)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllNodesSummary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllNodesFull)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveCheck)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
