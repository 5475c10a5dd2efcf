#include "dsp/ProgressReporter.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/LoadPipeline.h"
#include "sounding/WaveFileReader.h"

#include "BenchSounding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace korvane;

using namespace korvane::bench;

// Reading and parsing 30 files, without the filter.
void BM_LoadParseOnly(benchmark::State& state) {
    const auto& files = Files();
    std::vector<float> raw(kSamples);
    float depth = 0;
    for (auto _ : state) {
        for (const auto& path : files.paths())
            benchmark::DoNotOptimize(
                WaveFileReader::ReadSamples(path, raw.data(), kSamples, depth, 0.18f));
    }
}
BENCHMARK(BM_LoadParseOnly)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The 30 readers with their filters.
void BM_LoadReadAndFilter(benchmark::State& state) {
    const auto& files = Files();
    std::vector<float> raw(kSamples), filtered(kSamples), real(100), imag(100);
    float depth = 0;
    for (auto _ : state) {
        for (const auto& path : files.paths()) {
            const WaveFileReader reader(path, raw.data(), filtered.data(), kSamples, depth, 0.18f,
                                        real.data(), imag.data());
            benchmark::DoNotOptimize(real.data());
        }
    }
}
BENCHMARK(BM_LoadReadAndFilter)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Formatting the two wave tables of 30 records (no disk).
void BM_LoadWaveTables(benchmark::State& state) {
    CKorvaneDoc doc;
    NullProgress progress;
    LoadSounding(doc, Files().paths(), Files().diagnostics(), progress);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            DiagnosticFiles::WaveTable(doc.depths, doc.rawWaves, doc.samplesPerRecord).size());
        benchmark::DoNotOptimize(
            DiagnosticFiles::WaveTable(doc.depths, doc.filteredWaves, doc.samplesPerRecord).size());
    }
}
BENCHMARK(BM_LoadWaveTables)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The whole load: parse, filter, sort, phase velocities and the three diagnostic files, on
// every core (0) or on the given number of threads.
void BM_LoadFull(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        CKorvaneDoc doc;
        NullProgress progress;
        const CommandResult result = LoadSounding(doc, files.paths(), files.diagnostics(), progress,
                                                  {}, static_cast<unsigned>(state.range(0)));
        if (!result.ok() || !result.warning.empty())
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadFull)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7);

} // namespace
