// Parse time of the longest version replies a module can send (4095 bytes)
// in the shapes that make a backtracking matcher work hardest.
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/product_version.h"

namespace {

constexpr std::size_t kLongestReply = 4095;

std::string Repeat(const std::string& unit) {
    std::string text;
    while (text.size() < kLongestReply) {
        text += unit;
    }
    text.resize(kLongestReply);
    return text;
}

void ParseReply(benchmark::State& state, const std::string& reply, int expected) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string text = reply;  // the parser upper-cases in place
        product_version_id id;
        state.ResumeTiming();
        const int result = ParseProductVersion(text, id);
        benchmark::DoNotOptimize(result);
        if (result != expected) {
            state.SkipWithError("unexpected parse result");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}

void BM_ModelThenUnderscores(benchmark::State& state) {
    ParseReply(state, "K7R40D" + std::string(kLongestReply - 6, '_'), 0);
}

void BM_RepeatedModelUnderscore(benchmark::State& state) {
    ParseReply(state, Repeat("K7R40D_"), 0);
}

void BM_RepeatedFullIdentity(benchmark::State& state) {
    ParseReply(state, Repeat("K7R40D_STANDARD_V1"), 1);
}

}  // namespace

BENCHMARK(BM_ModelThenUnderscores)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepeatedModelUnderscore)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepeatedFullIdentity)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
