// Costs of the text operations that every stored setting and result line goes through.
#include "library/QvcString.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string ResultLine(int i) {
    return std::to_string(i % 8) + "||1700000000||0||comment " + std::to_string(i) + "||3||  42 % ||Reply from host " +
           std::to_string(i);
}

// Splitting one result line into its seven fields, as the result reader does per check.
void BM_ResultLineTokens(benchmark::State& state) {
    const CQvcString line(ResultLine(12345));
    CQvcString out;
    for (auto _ : state) {
        for (int i = 0; i < 7; ++i) {
            line.GetToken("||", "", out, i);
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ResultLineTokens);

// Reading one key out of a settings text of N items.
void BM_GetSetting(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i)
        text += "Key" + std::to_string(i) + ":=Value" + std::to_string(i) + ";;";
    const std::string key = "Key" + std::to_string(state.range(0) - 1);
    CQvcString out;
    for (auto _ : state) {
        CQvcString::GetSetting(text, ";;", key, "", out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_GetSetting)->Arg(4)->Arg(16)->Arg(64);

void BM_ScrambleRoundTrip(benchmark::State& state) {
    for (auto _ : state) {
        CQvcString s = CQvcString::Unscramble(CQvcString::Scramble("secret-password").Str());
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_ScrambleRoundTrip);

} // namespace
