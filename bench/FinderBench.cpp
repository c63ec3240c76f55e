// The bench-tool finders over E192, the largest series: each query must answer well inside 50 ms. The worst
// cases are targets whose decades hold the most values to pair (the three-resistor search) and dividers over the
// widest total range.
#include <benchmark/benchmark.h>

#include "core/bench/CombinationFinder.h"
#include "core/bench/DividerFinder.h"
#include "core/bench/ESeries.h"
#include "core/bench/RegulatorFinder.h"

namespace {

const ESeries& e192() { return *ESeries::named("E192"); }

void BM_CombinationE192(benchmark::State& state) {
    const double target = static_cast<double>(state.range(0)) + 0.37;  // never a series value
    for (auto _ : state) benchmark::DoNotOptimize(CombinationFinder::find(target, e192(), nullptr));
}
BENCHMARK(BM_CombinationE192)->Arg(5)->Arg(1234)->Arg(3300000)->Unit(benchmark::kMillisecond);

void BM_DividerE192(benchmark::State& state) {
    const DividerFinder::Query q{12, 3.3, &e192(), state.range(0) ? std::optional(10e3) : std::nullopt, 1, 1e9};
    for (auto _ : state) benchmark::DoNotOptimize(DividerFinder::find(q, nullptr));
}
BENCHMARK(BM_DividerE192)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RegulatorE192(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RegulatorFinder::find({5.0, 240, 1.25, 50e-6, &e192()}, nullptr));
}
BENCHMARK(BM_RegulatorE192)->Unit(benchmark::kMillisecond);

}  // namespace
