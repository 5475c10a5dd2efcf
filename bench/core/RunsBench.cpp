#include "dsp/CorrelationRuns.h"
#include "dsp/ThreadPool.h"
#include "sounding/CKorvaneDoc.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace korvane {
namespace {

// 30 records of 8192 samples: a burst arriving later with depth over a little noise, full
// windows, as a Load leaves them.
CKorvaneDoc MakeSounding() {
    constexpr int kRecords = 30;
    constexpr uint32_t kSamples = 8192;
    CKorvaneDoc doc;
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    doc.recordCount = kRecords;
    doc.samplesPerRecord = kSamples;
    doc.dataLoaded = 1;
    for (int k = 0; k < kRecords; ++k) {
        const double onset = 800.0 + 35.0 * k;
        std::vector<float> wave(kSamples);
        for (uint32_t j = 0; j < kSamples; ++j) {
            const double t = (j - onset) / 40.0;
            wave[j] =
                static_cast<float>(std::exp(-t * t) * std::sin(0.15 * (j - onset))) + noise(random);
        }
        doc.rawWaves.push_back(wave);
        doc.filteredWaves.push_back(std::move(wave));
        doc.depths.push_back(1.0f + 0.5f * static_cast<float>(k));
        doc.windows.push_back({0, static_cast<int32_t>(kSamples) - 1});
    }
    doc.ccVelocities.assign(kRecords - 1, 0.0f);
    return doc;
}

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
