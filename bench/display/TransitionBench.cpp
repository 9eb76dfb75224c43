// One full-screen frame of every transition kind, half way through.
#include "display/Transition.h"

#include <benchmark/benchmark.h>

using namespace parlora;

static void BM_TransitionFrame(benchmark::State& state) {
    const int kind = int(state.range(0));
    const Surface from(1024, 768, ArgbFromRgb(200, 40, 10)), to(1024, 768, ArgbFromRgb(20, 100, 251));
    Surface out(1024, 768);
    TTransition::RenderFrame(kind, from, to, 0.5, out); // builds the radial angle map once
    double p = 0.0;
    for (auto _ : state) {
        TTransition::RenderFrame(kind, from, to, 0.1 + p, out);
        benchmark::DoNotOptimize(out.data());
        p = p > 0.7 ? 0.0 : p + 0.05;
    }
}
BENCHMARK(BM_TransitionFrame)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
