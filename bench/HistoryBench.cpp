// The history of results: what the engine's writing costs with 10,000 checks reporting
// every minute (each result kept, one graph sample each, flushed every 5 s as the engine
// does), and how long the availability of one check over a year of minutely entries
// takes to read and compute, per month.
#include "TestSupport.h"
#include "engine/HistoryWriter.h"
#include "model/history/HistoryStore.h"
#include "model/tree/NodeStatus.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>

namespace {

constexpr int kChecks = 10000;
constexpr int kFlushesPerMinute = 12;

// Every iteration is one minute of the engine's life; "core" is the share of one core it
// takes (processor time of the minute's writing over 60 s).
void BM_HistoryWritingMinute(benchmark::State& state) {
    testsupport::TempDir dir;
    CSnStatsLimits limits;
    limits.RpLogFrequencySecs = 10;
    limits.GrLogFrequencySecs = 10;
    CHistoryWriter writer(CQvcString(dir.File("Statistics.db")), limits, nullptr, std::chrono::milliseconds(0));
    std::int64_t now = 1'800'000'000;
    const CQvcString data("12.5"), response("Reply from 127.0.0.1: 12.5 ms");
    std::clock_t cpu = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        for (int flush = 0; flush < kFlushesPerMinute; ++flush) {
            for (int id = flush; id < kChecks; id += kFlushesPerMinute) {
                const std::int32_t status = (id + now / 60) % 97 == 0 ? kStatusFailure : kStatusSuccess;
                writer.Record(10000 + id, now, status, data, 12, response);
                writer.Sample(10000 + id, now, data, 12);
            }
            writer.Flush();
            now += 60 / kFlushesPerMinute;
        }
        cpu += std::clock() - start;
    }
    const double seconds = static_cast<double>(cpu) / CLOCKS_PER_SEC / static_cast<double>(state.iterations());
    state.counters["core"] = seconds / 60.0;
    state.counters["entries/s"] = benchmark::Counter(static_cast<double>(kChecks) * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HistoryWritingMinute)->Unit(benchmark::kMillisecond)->Iterations(20);

// A year of minutely entries of one check that fails for ten minutes once a day, among
// nothing else; made once.
struct YearOfHistory {
    static constexpr std::int32_t kCheck = 10001;
    static constexpr std::int64_t kFrom = 1'767'225'600; // 2026-01-01 00:00 UTC
    static constexpr std::int64_t kTo = kFrom + 365 * 86400;
    testsupport::TempDir dir;
    CQvcString path = CQvcString(dir.File("Statistics.db"));
    YearOfHistory() {
        CHistoryStore store;
        store.Open(path, true);
        std::vector<CHistoryEntry> entries;
        std::int32_t last = kStatusNone;
        for (std::int64_t t = kFrom; t < kTo; t += 60) {
            const std::int32_t status = (t - kFrom) % 86400 < 600 ? kStatusFailure : kStatusSuccess;
            entries.push_back({t, kCheck, status, "12", 12, "reply", status != last});
            last = status;
        }
        store.Append(entries, {});
    }
};

void Availability(benchmark::State& state, bool changesOnly) {
    static YearOfHistory year;
    CHistoryStore store;
    if (store.Open(year.path, false) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    std::size_t read = 0;
    for (auto _ : state) {
        std::vector<CHistoryEntry> entries;
        store.Entries(YearOfHistory::kCheck, YearOfHistory::kFrom, YearOfHistory::kTo, entries, changesOnly);
        std::reverse(entries.begin(), entries.end());
        read = entries.size();
        for (const auto& [from, to] : CalendarPeriods(YearOfHistory::kFrom, YearOfHistory::kTo, AvailabilityBucket::Month)) {
            CHistoryEntry before;
            bool found = false;
            store.EntryBefore(YearOfHistory::kCheck, from, before, found);
            benchmark::DoNotOptimize(ComputeAvailability(found ? before.Status : kStatusNone, entries, from, to));
        }
    }
    state.counters["entries read"] = static_cast<double>(read);
}
void BM_AvailabilityYearFromChanges(benchmark::State& state) { Availability(state, true); }
void BM_AvailabilityYearFromEveryEntry(benchmark::State& state) { Availability(state, false); }
BENCHMARK(BM_AvailabilityYearFromChanges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AvailabilityYearFromEveryEntry)->Unit(benchmark::kMillisecond);

} // namespace
