// Cost of one refresh of the results: LoadResults reads section "Results" of the result
// file once and fills every node of the tree.  The goal is well under one frame (16 ms)
// at 10,000 checks.
#include "NodeTreeBuilder.h"
#include "model/link/SnIPC.h"
#include "platform/Profile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

// A result file with lines as the engine writes them (status, time, processing,
// comment, duration, data and response) for check IDs from 1000 upwards.
std::string WriteResultFile(const testsupport::EngineRootDir& root, int checks) {
    std::string file = "[Results]\r\n";
    for (int id = 1000; id < 1000 + checks; ++id)
        file += std::to_string(id) + "=" + std::to_string(id % 8 + 1) + "||1700000000||0||||" +
                std::to_string(id % 90) + "||" + std::to_string(id % 1000) + " ms||Reply from 192.0.2." +
                std::to_string(id % 250) + "\r\n";
    testsupport::WriteFile(root.File("Sys/Res/result.dat"), file);
    return file;
}

void BM_LoadResults(benchmark::State& state) {
    const auto checks = static_cast<int>(state.range(0));
    testsupport::EngineRootDir root;
    testsupport::NodeTreeBuilder tree;
    tree.AddFlatTree(checks / 100, 100);
    const std::string file = WriteResultFile(root, checks);

    CSnIPC link(CQvcString(root.Path()), "Bench");
    link.LoadResults(tree.Root()); // grows the section buffer once, as the first refresh does
    std::vector<char> buffer(file.size() * 2);
    const std::string path = root.File("Sys/Res/result.dat");
    double seconds = 0, yardstick = 0;
    for (auto _ : state) {
        auto begin = std::chrono::steady_clock::now();
        link.LoadResults(tree.Root());
        benchmark::ClobberMemory();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        // The yardstick: the result file's section read alone.
        begin = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(platform::ProfileReadSection(path.c_str(), "Results", buffer.data(),
                                                              static_cast<std::uint32_t>(buffer.size())));
        yardstick += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    state.SetItemsProcessed(state.iterations() * checks);
    state.counters["ms"] = 1000.0 * seconds / static_cast<double>(state.iterations());
    state.counters["yardstick ms"] = 1000.0 * yardstick / static_cast<double>(state.iterations());
    state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_LoadResults)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The whole-section read alone (the profile reader), for comparison: what is left of
// LoadResults beyond it is the indexing and the filling of the nodes.
void BM_ReadResultSection(benchmark::State& state) {
    const auto checks = static_cast<int>(state.range(0));
    testsupport::EngineRootDir root;
    const std::string file = WriteResultFile(root, checks);
    std::vector<char> buffer(file.size() * 2);
    const std::string path = root.File("Sys/Res/result.dat");
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::ProfileReadSection(path.c_str(), "Results", buffer.data(),
                                                              static_cast<std::uint32_t>(buffer.size())));
    }
    state.SetItemsProcessed(state.iterations() * checks);
}
BENCHMARK(BM_ReadResultSection)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One batched update of the result file as the engine makes it (one key changed), through
// the profile writer: lock file, read, temporary file and rename, all opened through the
// directory's descriptor without following links.
void BM_WriteResultKey(benchmark::State& state) {
    const auto checks = static_cast<int>(state.range(0));
    testsupport::EngineRootDir root;
    WriteResultFile(root, checks);
    const std::string path = root.File("Sys/Res/result.dat");
    int round = 0;
    for (auto _ : state) {
        std::vector<platform::ProfileChange> changes(1);
        changes[0].key = "1000";
        changes[0].value = "1||" + std::to_string(1700000000 + ++round) + "||0||||1||1 ms||Reply";
        benchmark::DoNotOptimize(platform::ProfileWriteKeys(path.c_str(), "Results", changes));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteResultKey)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
