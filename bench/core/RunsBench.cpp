#include "analysis/CorrelationRuns.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"

#include "BenchSounding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace korvane {
namespace {

using bench::MakeSounding;

// Argument: worker threads, 0 for every core.
void BM_CrossCorrelationRun(benchmark::State& state) {
    CKorvaneDoc doc = MakeSounding();
    NullProgress progress;
    for (auto _ : state) {
        const CommandResult result =
            RunCrossCorrelation(doc, progress, static_cast<unsigned>(state.range(0)));
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel(
        std::to_string(state.range(0) == 0 ? ThreadPool::HardwareThreads() : state.range(0)) +
        " thread(s)");
}

void BM_RawAutocorrelationRun(benchmark::State& state) {
    CKorvaneDoc doc = MakeSounding();
    NullProgress progress;
    for (auto _ : state) {
        const CommandResult result =
            RunRawAutocorrelation(doc, progress, static_cast<unsigned>(state.range(0)));
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel(
        std::to_string(state.range(0) == 0 ? ThreadPool::HardwareThreads() : state.range(0)) +
        " thread(s)");
}

BENCHMARK(BM_CrossCorrelationRun)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawAutocorrelationRun)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace korvane
